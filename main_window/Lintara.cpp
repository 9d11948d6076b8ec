// The main window's controls, start-up, type selection, drive-mapping panel and Connect.
#include "main_window/Lintara.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/command_line.h"
#include "core/launch.h"
#include "core/port_text.h"
#include "core/settings.h"
#include "core/texts.h"
#include "main_window/Appearance.h"
#include "main_window/WrappingButton.h"

namespace {

// Layouts are kept in twips; 15 twips make one pixel.
int Px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

void Place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

template <class T>
T* Make(QWidget* parent, const char* name, const QString& caption = {}) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    if constexpr (requires { control->setText(caption); }) {
        if (!caption.isEmpty()) control->setText(caption);
    }
    return control;
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

using Controls = std::initializer_list<QWidget*>;

}  // namespace

Lintara::Lintara(lintara::PlatformServices& services, FileOpenFunction fileOpen, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_services(services),
      m_fileOpen(std::move(fileOpen)) {
    setObjectName(QStringLiteral("Lintara"));
    setWindowTitle(QStringLiteral(" Lintara v. 1.2"));
    setWindowIcon(lintara::AppIcon());
    setFixedSize(Px(6795), Px(3675));
    CreateControls();
    ConnectHandlers();
}

void Lintara::CreateControls() {
    ConnectToFrame = Make<QGroupBox>(this, "ConnectToFrame");
    ConnectToFrame->setTitle(QStringLiteral("Connect To"));
    Place(ConnectToFrame, 120, 10, 6495, 1935);
    MapDriveFrame = Make<QGroupBox>(this, "MapDriveFrame");
    MapDriveFrame->setTitle(QStringLiteral("Map Network Drive Settings"));
    Place(MapDriveFrame, 120, 2040, 6495, 1515);

    // These three belong to the window but lie over the "Connect To" frame.
    ConnectButton = Make<QPushButton>(this, "ConnectButton", QStringLiteral("Connect"));
    Place(ConnectButton, 4680, 320, 1095, 375);
    ConnectText = Make<QLineEdit>(this, "ConnectText");
    Place(ConnectText, 1560, 360, 1935, 285);
    PortText = Make<QLineEdit>(this, "PortText");
    PortText->setMaxLength(5);
    PortText->setText(QStringLiteral("22"));
    Place(PortText, 3960, 360, 615, 315);
    for (QWidget* over : Controls{ConnectButton, ConnectText, PortText}) over->raise();

    Label1 = Make<QLabel>(ConnectToFrame, "Label1", QStringLiteral("IP or Hostname:"));
    Place(Label1, 240, 405, 1215, 255);
    PortLabel = Make<QLabel>(ConnectToFrame, "PortLabel", QStringLiteral("Port:"));
    Place(PortLabel, 3480, 405, 375, 255);

    TermServiceOption = Make<WrappingButton<QRadioButton>>(ConnectToFrame, "TermServiceOption",
                                                           QStringLiteral("Remote Desktop"));
    Place(TermServiceOption, 1440, 840, 975, 375);
    RDPConsoleOption = Make<WrappingButton<QRadioButton>>(ConnectToFrame, "RDPConsoleOption",
                                                          QStringLiteral("RDP Console"));
    RDPConsoleOption->setToolTip(QStringLiteral("Win2003 Console Only!"));
    Place(RDPConsoleOption, 2520, 840, 1095, 375);
    VNCOption =
        Make<WrappingButton<QRadioButton>>(ConnectToFrame, "VNCOption", QStringLiteral("VNC"));
    Place(VNCOption, 3480, 840, 735, 375);
    TelnetOption = Make<WrappingButton<QRadioButton>>(ConnectToFrame, "TelnetOption",
                                                      QStringLiteral("Telnet"));
    Place(TelnetOption, 4560, 840, 855, 375);
    SSHOption =
        Make<WrappingButton<QRadioButton>>(ConnectToFrame, "SSHOption", QStringLiteral("SSH"));
    Place(SSHOption, 5520, 840, 735, 375);
    PingOption =
        Make<WrappingButton<QRadioButton>>(ConnectToFrame, "PingOption", QStringLiteral("Ping"));
    Place(PingOption, 5520, 1440, 615, 255);
    MapDriveOption = Make<WrappingButton<QRadioButton>>(ConnectToFrame, "MapDriveOption",
                                                        QStringLiteral("Map a Drive"));
    Place(MapDriveOption, 1080, 1440, 1215, 255);
    FTP = Make<WrappingButton<QRadioButton>>(ConnectToFrame, "FTP", QStringLiteral("FTP"));
    Place(FTP, 4560, 1440, 615, 255);
    HTTPOption =
        Make<WrappingButton<QRadioButton>>(ConnectToFrame, "HTTPOption", QStringLiteral("HTTP"));
    Place(HTTPOption, 2520, 1440, 855, 255);
    HTTPSOption =
        Make<WrappingButton<QRadioButton>>(ConnectToFrame, "HTTPSOption", QStringLiteral("HTTPS"));
    Place(HTTPSOption, 3480, 1440, 855, 255);

    Options = Make<QPushButton>(ConnectToFrame, "Options");
    Options->setIcon(lintara::AppIcon());
    Options->setIconSize(QSize(32, 32));
    Place(Options, 240, 720, 975, 615);

    Anonymous = Make<WrappingButton<QCheckBox>>(MapDriveFrame, "Anonymous",
                                                QStringLiteral("Anonymous Access"));
    Place(Anonymous, 5160, 920, 1215, 375);
    UserNameText = Make<QLineEdit>(MapDriveFrame, "UserNameText", QStringLiteral("varo"));
    Place(UserNameText, 960, 960, 1335, 285);
    // Shown in clear on purpose: the panel is for quick admin-share mappings.
    PasswordText = Make<QLineEdit>(MapDriveFrame, "PasswordText");
    Place(PasswordText, 3840, 960, 1095, 285);
    UserNameLabel = Make<QLabel>(MapDriveFrame, "UserNameLabel", QStringLiteral("Username:"));
    Place(UserNameLabel, 120, 1000, 855, 255);
    PasswordLabel = Make<QLabel>(MapDriveFrame, "PasswordLabel", QStringLiteral("Password:"));
    Place(PasswordLabel, 3000, 1005, 735, 255);
    ShareText = Make<QComboBox>(MapDriveFrame, "ShareText");
    ShareText->setEditable(true);
    // Typed text is used as it stands: no completion, nothing added to the list.
    ShareText->setCompleter(nullptr);
    ShareText->setInsertPolicy(QComboBox::NoInsert);
    ShareText->setEditText(QStringLiteral("\\\\"));
    Place(ShareText, 3960, 360, 2415, 315);
    DriveText = Make<QComboBox>(MapDriveFrame, "DriveText");
    Place(DriveText, 1200, 360, 1095, 315);
    DriveLabel = Make<QLabel>(MapDriveFrame, "DriveLabel", QStringLiteral("Drive Letter:"));
    Place(DriveLabel, 240, 400, 975, 255);
    ShareLabel = Make<QLabel>(MapDriveFrame, "ShareLabel", QStringLiteral("Share Name:"));
    Place(ShareLabel, 2880, 405, 975, 255);

    m_tabOrder = {ConnectButton,     ConnectText,      PortText,       MapDriveFrame,
                  Anonymous,         UserNameText,     PasswordText,   UserNameLabel,
                  PasswordLabel,     ConnectToFrame,   Label1,         PortLabel,
                  ShareText,         DriveText,        DriveLabel,     ShareLabel,
                  TermServiceOption, RDPConsoleOption, VNCOption,      TelnetOption,
                  SSHOption,         PingOption,       MapDriveOption, FTP,
                  HTTPOption,        HTTPSOption,      Options};
    ApplyTabOrder();
}

void Lintara::ConnectHandlers() {
    // toggled(true) also fires when code selects a button, so the handler runs at once,
    // inside the code that selected it.
    const std::pair<QRadioButton*, void (Lintara::*)()> handlers[] = {
        {HTTPSOption, &Lintara::HTTPSOption_Click},
        {FTP, &Lintara::FTP_Click},
        {HTTPOption, &Lintara::HTTPOption_Click},
        {RDPConsoleOption, &Lintara::RDPConsoleOption_Click},
        {PingOption, &Lintara::PingOption_Click},
        {SSHOption, &Lintara::SSHOption_Click},
        {TelnetOption, &Lintara::TelnetOption_Click},
        {TermServiceOption, &Lintara::TermServiceOption_Click},
        {VNCOption, &Lintara::VNCOption_Click},
        {MapDriveOption, &Lintara::MapDriveOption_Click},
    };
    for (const auto& [option, handler] : handlers) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) (this->*handler)();
        });
    }
    connect(ConnectButton, &QPushButton::clicked, this, &Lintara::ConnectButton_Click);
    // Quick connect: type the host, press Enter.
    connect(ConnectText, &QLineEdit::returnPressed, this, &Lintara::ConnectButton_Click);
    connect(PortText, &QLineEdit::returnPressed, this, &Lintara::ConnectButton_Click);
    connect(Options, &QPushButton::clicked, this, &Lintara::Options_Click);
    connect(ConnectText, &QLineEdit::textChanged, this, &Lintara::ConnectText_Change);
    connect(Anonymous, &QCheckBox::clicked, this, &Lintara::Anonymous_Click);
}

int Lintara::TabIndex(const QWidget* control) const {
    const auto it = std::find(m_tabOrder.begin(), m_tabOrder.end(), control);
    return it == m_tabOrder.end() ? -1 : static_cast<int>(it - m_tabOrder.begin());
}

void Lintara::MoveInTabOrder(QWidget* control, int index) {
    m_tabOrder.erase(std::find(m_tabOrder.begin(), m_tabOrder.end(), control));
    m_tabOrder.insert(m_tabOrder.begin() + index, control);
    ApplyTabOrder();
}

void Lintara::ApplyTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* control : m_tabOrder) {
        if (!(control->focusPolicy() & Qt::TabFocus)) continue;  // labels and frames
        if (previous) setTabOrder(previous, control);
        previous = control;
    }
}

void Lintara::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownBefore || event->spontaneous()) return;
    m_shownBefore = true;
    if (const QScreen* shown = screen()) {
        move(shown->availableGeometry().center() - rect().center());
    }
    // The first control of the tab order holds the focus when the window appears.
    for (QWidget* control : m_tabOrder) {
        if (control->focusPolicy() & Qt::TabFocus) {
            control->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void Lintara::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (m_ending) return;
    m_ending = true;
    m_services.EndProgram();
}

// ---- Start-up ----

void Lintara::Form_Load() {
    SettingsPath = lintara::SettingsPathOf(m_services);
    if (!m_services.FileExists(SettingsPath)) {
        m_services.ShowMessage(lintara::texts::SettingsMissing(SettingsPath), lintara::kStyleError,
                               lintara::texts::kTitleFatal);
        m_ending = true;
        close();
        m_services.EndProgram();
        return;
    }

    const std::string commandLine = m_services.CommandLineText();
    if (commandLine.empty()) {
        MoveInTabOrder(ConnectText, 0);
    } else {
        // The command line may come from a link on a web page: only a host name or an
        // IP address is taken, nothing a client or a terminal could read as more.
        const std::string host = lintara::HostFromCommandLine(commandLine);
        const std::string problem = lintara::UntrustedHostProblem(host);
        if (problem.empty()) {
            ConnectText->setText(FromStd(host));
        } else {
            m_services.ShowMessage(
                lintara::texts::CommandLineHostIgnored(lintara::ShownSafely(host), problem),
                lintara::kStyleError, lintara::texts::kTitleError);
        }
    }

    SelectDefaultConnection();

    DriveText->clear();
    for (int code = 90; code >= 69; --code) {
        DriveText->addItem(QString(QChar(code)) + QLatin1Char(':'));
    }
    DriveText->setCurrentIndex(0);
}

void Lintara::SelectDefaultConnection() {
    std::string type =
        lintara::ReadSetting(SettingsPath, "DefaultConnection", "Type", lintara::kNotConfigured);
    if (type == lintara::kNotConfigured) {
        type = "SSH";
    } else {
        std::erase(type, ' ');
    }
    QRadioButton* option = PingOption;
    for (const auto& row : lintara::DefaultTypes()) {
        if (row.value == type) {
            option = findChild<QRadioButton*>(QString::fromLatin1(row.optionName));
            break;
        }
    }
    Select(option);
}

void Lintara::Select(QRadioButton* option) {
    // Selecting from code runs the handler as a click does, also on a selected button.
    if (option->isChecked()) {
        emit option->toggled(true);
    } else {
        option->setChecked(true);
    }
}

// ---- Connection-type selection ----

void Lintara::HTTPSOption_Click() {
    SelectType(QStringLiteral("443"), QStringLiteral("HTTPS"));
}
void Lintara::FTP_Click() {
    SelectType(QStringLiteral("21"), QStringLiteral("FTP"));
}
void Lintara::HTTPOption_Click() {
    SelectType(QStringLiteral("80"), QStringLiteral("HTTP"));
}
void Lintara::RDPConsoleOption_Click() {
    SelectType(QStringLiteral("3389"), QStringLiteral("RDPConsole"));
}
void Lintara::PingOption_Click() {
    SelectType(QStringLiteral("N/A"), QStringLiteral("Ping"));
}
void Lintara::SSHOption_Click() {
    SelectType(QStringLiteral("22"), QStringLiteral("SSH"));
}
void Lintara::TelnetOption_Click() {
    SelectType(QStringLiteral("23"), QStringLiteral("Telnet"));
}
void Lintara::TermServiceOption_Click() {
    SelectType(QStringLiteral("3389"), QStringLiteral("TermService"));
}
void Lintara::VNCOption_Click() {
    SelectType(QStringLiteral("5900"), QStringLiteral("VNC"));
}

void Lintara::SelectType(const QString& port, const QString& key) {
    PortText->setText(port);
    Tag = key;
    SetPanelEnabled(false);
}

void Lintara::SetPanelEnabled(bool enabled) {
    for (QWidget* control : Controls{DriveLabel, DriveText, ShareLabel, ShareText, Anonymous,
                                     UserNameLabel, UserNameText, PasswordLabel, PasswordText}) {
        control->setEnabled(enabled);
    }
}

// ---- Drive-mapping panel ----

void Lintara::MapDriveOption_Click() {
    if (ConnectText->text().isEmpty()) {
        m_services.ShowMessage(lintara::texts::kHostRequiredForDrive, lintara::kStyleError,
                               lintara::texts::kTitleError);
        ConnectText->setFocus(Qt::OtherFocusReason);
        SelectDefaultConnection();
        return;
    }
    PortText->setText(QStringLiteral("N/A"));
    Tag = QStringLiteral("MapDrive");
    for (QWidget* control : Controls{DriveLabel, DriveText, ShareLabel, ShareText, Anonymous}) {
        control->setEnabled(true);
    }
    ApplyAnonymousRule();
    FillShareList();
}

void Lintara::ConnectText_Change() {
    if (MapDriveOption->isChecked()) FillShareList();
}

void Lintara::Anonymous_Click() {
    ApplyAnonymousRule();
}

void Lintara::ApplyAnonymousRule() {
    const bool withCredentials = !Anonymous->isChecked();
    for (QWidget* control : Controls{UserNameLabel, UserNameText, PasswordLabel, PasswordText}) {
        control->setEnabled(withCredentials);
    }
}

void Lintara::FillShareList() {
    static const char* const suffixes[] = {"\\C$", "\\D$", "\\E$", "\\F$",    "\\G$",
                                           "\\H$", "\\I$", "\\J$", "\\ADMIN$"};
    const QString host = ConnectText->text();
    ShareText->clear();
    for (const char* suffix : suffixes) {
        ShareText->addItem(QStringLiteral("\\\\") + host + QString::fromLatin1(suffix));
    }
    ShareText->setCurrentIndex(0);
}

// ---- Connect ----

void Lintara::ConnectButton_Click() {
    bool failed = false;
    if (ConnectText->text().isEmpty()) {
        m_services.ShowMessage(lintara::texts::kHostRequired, lintara::kStyleError,
                               lintara::texts::kTitleError);
        ConnectText->setFocus(Qt::OtherFocusReason);
        failed = true;
    }
    if (!lintara::PortTextPasses(PortText->text().toStdString())) {
        m_services.ShowMessage(lintara::texts::kBadPort, lintara::kStyleError,
                               lintara::texts::kTitleError);
        PortText->setFocus(Qt::OtherFocusReason);
        failed = true;
    }
    if (!failed) LaunchConnection();
}

void Lintara::LaunchConnection() {
    lintara::LaunchRequest request;
    request.typeKey = Tag.toStdString();
    request.host = ConnectText->text().toStdString();
    request.port = PortText->text().toStdString();
    request.drive = DriveText->currentText().toStdString();
    request.share = ShareText->currentText().toStdString();
    request.anonymous = Anonymous->isChecked();
    request.userName = UserNameText->text().toStdString();
    request.password = PasswordText->text().toStdString();

    const lintara::LaunchPlan plan = lintara::PlanLaunch(
        request, SettingsPath,
        [this](const std::string& path) { return m_services.FileExists(path); });
    const auto type = lintara::FindConnectionType(request.typeKey);
    if (type && type->kind == lintara::LaunchKind::Configured) {
        ProgramPath = plan.programPath;
        ProgramOptions = plan.programOptions;
    }
    if (!plan.messageText.empty()) {
        m_services.ShowMessage(plan.messageText, lintara::kStyleError, plan.messageTitle);
        return;
    }
    std::vector<long> tasks;
    for (const std::string& line : plan.commandLines) {
        const lintara::StartResult result =
            m_services.StartCommand(line, lintara::kWindowNormalFocus);
        if (!result.started) {
            // Nothing more is started and the window stays as it is, so the user can
            // correct the settings or the input and try again.
            const auto words = lintara::SplitCommandLine(line);
            const std::string program = words.empty() ? line : words.front();
            m_services.ShowMessage(lintara::texts::StartFailed(program, result.reason),
                                   lintara::kStyleError, lintara::texts::kTitleError);
            return;
        }
        tasks.push_back(result.taskId);
    }
    // Gone at once, as a closed window would be; back with every value if what was
    // started fails at once.
    if (plan.closeMainWindow) hide();
    Watch(std::move(tasks), plan.closeMainWindow);
}

void Lintara::Watch(std::vector<long> tasks, bool endsProgram) {
    m_watches.push_back({lintara::StartWatch(std::move(tasks)), endsProgram});
    CheckWatches();
    if (!m_watches.empty() && !m_ending) {
        if (!m_watchTimer) {
            m_watchTimer = new QTimer(this);
            m_watchTimer->setInterval(20);
            connect(m_watchTimer, &QTimer::timeout, this, &Lintara::CheckWatches);
        }
        m_watchTimer->start();
    }
}

void Lintara::CheckWatches() {
    // A message box below runs the event loop, and with it this timer.
    if (m_checking || m_ending) return;
    m_checking = true;
    std::vector<std::string> failures;
    bool end = false;
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        const auto verdict = it->watch.Check(m_services);
        if (verdict == lintara::StartWatch::Verdict::Watching) {
            ++it;
            continue;
        }
        if (verdict == lintara::StartWatch::Verdict::Failed) {
            failures.push_back(it->watch.FailureText());
        } else if (it->endsProgram) {
            end = true;
        }
        it = m_watches.erase(it);
    }
    if (m_watches.empty() && m_watchTimer) m_watchTimer->stop();
    if (!failures.empty()) {
        show();
        for (const std::string& text : failures) {
            m_services.ShowMessage(text, lintara::kStyleError, lintara::texts::kTitleError);
        }
    } else if (end) {
        m_ending = true;
        m_services.EndProgram();
    }
    m_checking = false;
}

// ---- Options ----

void Lintara::Options_Click() {
    auto* options = new LintaraOptions(m_services, m_fileOpen, this);
    options->setAttribute(Qt::WA_DeleteOnClose);
    options->Form_Load();
    options->show();
    hide();
}
