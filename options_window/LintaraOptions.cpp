// The Options window: shows, edits and saves the programs, options and default type.
#include "options_window/LintaraOptions.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringDecoder>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/launch.h"
#include "core/settings.h"
#include "core/texts.h"
#include "main_window/WrappingButton.h"

namespace {

// Places and sizes are designed in twips; 15 of them make one pixel.
int Px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QRect Twips(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

const char* const kDefaultSection = "DefaultConnection";

// Code page 1252 at 0x80..0x9F; the rest of the page is Latin-1. Unassigned bytes map
// to the control character of the same number, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromCp1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

// The text of a stored value, or none when the bytes are not UTF-8.
std::optional<QString> FromUtf8(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

std::string ToBytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// A value is one line of the settings file: a pasted or chosen line break would split
// it and turn the rest into keys or sections of their own. Each break becomes a blank.
class OneLineValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        if (input.contains(QLatin1Char('\r')) || input.contains(QLatin1Char('\n'))) {
            const int before = static_cast<int>(input.size());
            input.replace(QLatin1String("\r\n"), QLatin1String(" "));
            input.replace(QLatin1Char('\r'), QLatin1Char(' '));
            input.replace(QLatin1Char('\n'), QLatin1Char(' '));
            position = std::max(0, position - (before - static_cast<int>(input.size())));
        }
        return Acceptable;
    }
};

}  // namespace

FileOpenDialog::FileOpenDialog(FileOpenFunction show, const QString& name, QObject* parent)
    : QObject(parent), m_show(std::move(show)) {
    setObjectName(name);
}

void FileOpenDialog::ShowOpen() {
    FileName = m_show ? m_show() : QString();
}

LintaraOptions::LintaraOptions(lintara::PlatformServices& services, FileOpenFunction fileOpen,
                               QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      m_services(services),
      m_fileOpen(std::move(fileOpen)),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("LintaraOptions"));
    setWindowTitle(QStringLiteral(" Lintara Options"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Px(6330), Px(9600));
    CreateControls();
    ApplyTabOrder();
    ConnectHandlers();
    TSChooseButton->setFocus();
}

void LintaraOptions::CreateControls() {
    auto* validator = new OneLineValidator(this);
    auto frame = [this](QGroupBox*& member, const char* name, const char* caption, int top,
                        int height) {
        member = new QGroupBox(QString::fromUtf8(caption), this);
        member->setObjectName(QString::fromLatin1(name));
        member->setGeometry(Twips(40, top, 6255, height));
    };
    auto box = [validator](QLineEdit*& member, const char* name, QWidget* parent, QRect place) {
        member = new QLineEdit(parent);
        member->setObjectName(QString::fromLatin1(name));
        member->setGeometry(place);
        member->setMaxLength(std::numeric_limits<int>::max());
        member->setValidator(validator);
    };
    auto button = [](QPushButton*& member, const char* name, const char* caption, QWidget* parent,
                     QRect place) {
        member = new QPushButton(QString::fromUtf8(caption), parent);
        member->setObjectName(QString::fromLatin1(name));
        member->setGeometry(place);
        // Enter presses a button only while it has the focus; none is the default.
        member->setAutoDefault(true);
        member->setDefault(false);
    };
    auto label = [](QLabel*& member, const char* name, QWidget* parent, QRect place) {
        member = new QLabel(QStringLiteral("Command Line Options:"), parent);
        member->setObjectName(QString::fromLatin1(name));
        member->setGeometry(place);
    };
    auto option = [this](QRadioButton*& member, const char* name, const char* caption,
                         QRect place) {
        // A caption too wide for its button goes on to a second line, as designed.
        member = new WrappingButton<QRadioButton>(QString::fromUtf8(caption), DefalutFrame);
        member->setObjectName(QString::fromLatin1(name));
        member->setGeometry(place);
    };

    // Remote Desktop: the program box and its button belong to the window and are
    // drawn over the frame.
    frame(TSFrame, "TSFrame", "Remote Desktop Application", 120, 1155);
    box(TSText, "TSText", this, Twips(120, 360, 4575, 285));
    button(TSChooseButton, "TSChooseButton", "Choose Program", this, Twips(4800, 300, 1335, 375));
    label(TSCommandLineLabel, "TSCommandLineLabel", TSFrame, Twips(120, 750, 1695, 255));
    box(TSCommandLineOptionsText, "TSCommandLineOptionsText", TSFrame, Twips(1920, 720, 3495, 285));

    frame(RDPConsoleFrame, "RDPConsoleFrame", "Remote Desktop Console", 1440, 1155);
    RDPConsoleFrame->setToolTip(QStringLiteral("Note: Should be same as above."));
    box(RDPConsoleText, "RDPConsoleText", this, Twips(120, 1680, 4575, 285));
    button(RDPConsoleChooseButton, "RDPConsoleChooseButton", "Choose Program", RDPConsoleFrame,
           Twips(4800, 200, 1335, 375));
    label(RDPConsoleCommandLineLabel, "RDPConsoleCommandLineLabel", RDPConsoleFrame,
          Twips(120, 750, 1695, 255));
    box(RDPConsoleCommandLineOptionsText, "RDPConsoleCommandLineOptionsText", RDPConsoleFrame,
        Twips(1920, 720, 3495, 285));

    struct Group {
        QGroupBox*& frame;
        const char *frameName, *caption;
        int top;
        QLineEdit*& text;
        const char* textName;
        QPushButton*& choose;
        const char* chooseName;
        int chooseTop;
        QLabel*& label;
        const char* labelName;
        int labelWidth;
        QLineEdit*& options;
        const char* optionsName;
    };
    const Group groups[] = {
        {VNCFrame, "VNCFrame", "VNC Application", 2760, VNCText, "VNCText", VNCChooseButton,
         "VNCChooseButton", 200, VNCCommandLineLabel, "VNCCommandLineLabel", 1695,
         VNCCommandLineOptionsText, "VNCCommandLineOptionsText"},
        {TelnetFrame, "TelnetFrame", "Telnet Application", 4080, TelnetText, "TelnetText",
         TelnetChooseButton, "TelnetChooseButton", 200, TelnetCommandLineLabel,
         "TelnetCommandLineLabel", 1695, TelnetCommandLineOptionsText,
         "TelnetCommandLineOptionsText"},
        {SSHFrame, "SSHFrame", "SSH Application", 5400, SSHText, "SSHText", SSHChooseButton,
         "SSHChooseButton", 200, SSHCommandLineLabel, "SSHCommandLineLabel", 1695,
         SSHCommandLineOptionsText, "SSHCommandLineOptionsText"},
        {Frame1, "Frame1", "FTP Application", 6720, FTPText, "FTPText", FTPChooseButton,
         "FTPChooseButton", 240, Label1, "Label1", 1815, FTPCommandLineOptionsText,
         "FTPCommandLineOptionsText"},
    };
    for (const Group& g : groups) {
        frame(g.frame, g.frameName, g.caption, g.top, 1155);
        box(g.text, g.textName, g.frame, Twips(120, 240, 4575, 285));
        button(g.choose, g.chooseName, "Choose Program", g.frame,
               Twips(4800, g.chooseTop, 1335, 375));
        label(g.label, g.labelName, g.frame, Twips(120, 750, g.labelWidth, 255));
        box(g.options, g.optionsName, g.frame, Twips(1920, 720, 3495, 285));
    }

    frame(DefalutFrame, "DefalutFrame", "Defalut Connection Type", 8040, 975);
    option(TermServiceOption, "TermServiceOption", "Remote Desktop", Twips(240, 360, 975, 375));
    option(RDPConsoleOption, "RDPConsoleOption", "RDP Console", Twips(1320, 240, 1095, 615));
    option(VNCOption, "VNCOption", "VNC", Twips(2640, 360, 735, 375));
    option(TelnetOption, "TelnetOption", "Telnet", Twips(3600, 360, 855, 375));
    option(SSHOption, "SSHOption", "SSH", Twips(4560, 360, 735, 375));
    option(PingOption, "PingOption", "Ping", Twips(5400, 360, 735, 375));

    button(CancelButton, "CancelButton", "Cancel", this, Twips(5160, 9120, 1095, 375));
    button(OKButton, "OKButton", "OK", this, Twips(3960, 9120, 1095, 375));

    m_defaultTypeOptions = {TermServiceOption, RDPConsoleOption, VNCOption,
                            TelnetOption,      SSHOption,        PingOption};

    // Created after the frames, but drawn above them.
    TSText->raise();
    TSChooseButton->raise();
    RDPConsoleText->raise();

    TSCmnDialog = new FileOpenDialog(m_fileOpen, QStringLiteral("TSCmnDialog"), this);
    RDPConsoleCmnDialog =
        new FileOpenDialog(m_fileOpen, QStringLiteral("RDPConsoleCmnDialog"), this);
    VNCCmnDialog = new FileOpenDialog(m_fileOpen, QStringLiteral("VNCCmnDialog"), this);
    TelnetCmnDialog = new FileOpenDialog(m_fileOpen, QStringLiteral("TelnetCmnDialog"), this);
    SSHCmnDialog = new FileOpenDialog(m_fileOpen, QStringLiteral("SSHCmnDialog"), this);
    FTPCmnDialog = new FileOpenDialog(m_fileOpen, QStringLiteral("FTPCmnDialog"), this);

    m_fields = {
        {"RemoteDesktop", "Program", TSText, {}, {}},
        {"RemoteDesktop", "Options", TSCommandLineOptionsText, {}, {}},
        {"RDPConsole", "Program", RDPConsoleText, {}, {}},
        {"RDPConsole", "Options", RDPConsoleCommandLineOptionsText, {}, {}},
        {"VNC", "Program", VNCText, {}, {}},
        {"VNC", "Options", VNCCommandLineOptionsText, {}, {}},
        {"Telnet", "Program", TelnetText, {}, {}},
        {"Telnet", "Options", TelnetCommandLineOptionsText, {}, {}},
        {"SSH", "Program", SSHText, {}, {}},
        {"SSH", "Options", SSHCommandLineOptionsText, {}, {}},
        {"FTP", "Program", FTPText, {}, {}},
        {"FTP", "Options", FTPCommandLineOptionsText, {}, {}},
    };
}

void LintaraOptions::ApplyTabOrder() {
    m_tabOrder = {
        TSChooseButton,
        TSText,
        TSFrame,
        TSCommandLineLabel,
        TSCommandLineOptionsText,
        RDPConsoleFrame,
        RDPConsoleText,
        RDPConsoleChooseButton,
        RDPConsoleCommandLineLabel,
        RDPConsoleCommandLineOptionsText,
        CancelButton,
        OKButton,
        VNCFrame,
        VNCText,
        VNCChooseButton,
        VNCCommandLineLabel,
        VNCCommandLineOptionsText,
        TelnetFrame,
        TelnetText,
        TelnetChooseButton,
        TelnetCommandLineLabel,
        TelnetCommandLineOptionsText,
        SSHFrame,
        SSHText,
        SSHChooseButton,
        SSHCommandLineLabel,
        SSHCommandLineOptionsText,
        DefalutFrame,
        TermServiceOption,
        RDPConsoleOption,
        VNCOption,
        TelnetOption,
        SSHOption,
        PingOption,
        Frame1,
        FTPText,
        FTPChooseButton,
        Label1,
        FTPCommandLineOptionsText,
    };
    // Frames and labels hold a place in the order but never take the focus.
    QWidget* previous = nullptr;
    for (QWidget* control : m_tabOrder) {
        if (!(control->focusPolicy() & Qt::TabFocus)) continue;
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

int LintaraOptions::TabIndex(const QWidget* control) const {
    for (std::size_t i = 0; i < m_tabOrder.size(); ++i) {
        if (m_tabOrder[i] == control) return static_cast<int>(i);
    }
    return -1;
}

void LintaraOptions::ConnectHandlers() {
    // Bound to the selection itself, so selecting from code runs the handler at once.
    auto onSelect = [this](QRadioButton* option, void (LintaraOptions::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) (this->*handler)();
        });
    };
    onSelect(PingOption, &LintaraOptions::PingOption_Click);
    onSelect(TermServiceOption, &LintaraOptions::TermServiceOption_Click);
    onSelect(RDPConsoleOption, &LintaraOptions::RDPConsoleOption_Click);
    onSelect(VNCOption, &LintaraOptions::VNCOption_Click);
    onSelect(TelnetOption, &LintaraOptions::TelnetOption_Click);
    onSelect(SSHOption, &LintaraOptions::SSHOption_Click);

    connect(OKButton, &QPushButton::clicked, this, &LintaraOptions::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &LintaraOptions::CancelButton_Click);
    connect(TSChooseButton, &QPushButton::clicked, this, &LintaraOptions::TSChooseButton_Click);
    connect(RDPConsoleChooseButton, &QPushButton::clicked, this,
            &LintaraOptions::RDPConsoleChooseButton_Click);
    connect(VNCChooseButton, &QPushButton::clicked, this, &LintaraOptions::VNCChooseButton_Click);
    connect(TelnetChooseButton, &QPushButton::clicked, this,
            &LintaraOptions::TelnetChooseButton_Click);
    connect(SSHChooseButton, &QPushButton::clicked, this, &LintaraOptions::SSHChooseButton_Click);
    connect(FTPChooseButton, &QPushButton::clicked, this, &LintaraOptions::FTPChooseButton_Click);
}

void LintaraOptions::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_placed) PlaceOnScreen();
    m_placed = true;
}

// Centred on the screen with its frame, which is known only once the window is shown.
void LintaraOptions::PlaceOnScreen() {
    QScreen* screen = m_mainWindow ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect place = frameGeometry();
    place.moveCenter(area.center());
    // On a screen smaller than the window, keep the title bar reachable.
    place.moveTop(std::max(place.top(), area.top()));
    place.moveLeft(std::max(place.left(), area.left()));
    move(place.topLeft());
}

// Tab walks the tab order; the group of default types is one stop, at its selected
// button, as on the desktops this window was designed for.
bool LintaraOptions::focusNextPrevChild(bool next) {
    auto stop = [this](QWidget* control) -> QWidget* {
        if (std::find(m_defaultTypeOptions.begin(), m_defaultTypeOptions.end(), control) ==
            m_defaultTypeOptions.end()) {
            return control;
        }
        for (QRadioButton* option : m_defaultTypeOptions) {
            if (option->isChecked()) return option;
        }
        return m_defaultTypeOptions.front();
    };
    std::vector<QWidget*> stops;
    for (QWidget* control : m_tabOrder) {
        if (!(control->focusPolicy() & Qt::TabFocus) || !control->isEnabled() ||
            !control->isVisibleTo(this)) {
            continue;
        }
        QWidget* s = stop(control);
        if (stops.empty() || stops.back() != s) stops.push_back(s);
    }
    if (stops.empty()) return false;
    QWidget* current = focusWidget() ? stop(focusWidget()) : nullptr;
    const auto at = std::find(stops.begin(), stops.end(), current);
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t index = at == stops.end() ? (next ? -1 : 0) : at - stops.begin();
    index = (index + (next ? 1 : -1) + count) % count;
    stops[static_cast<std::size_t>(index)]->setFocus(next ? Qt::TabFocusReason
                                                          : Qt::BacktabFocusReason);
    return true;
}

void LintaraOptions::Form_Load() {
    SettingsPath = lintara::SettingsPathOf(m_services);
    LoadAllSettings();
}

void LintaraOptions::LoadAllSettings() {
    for (const Field& field : m_fields) LoadSetting(field.section, field.key, field.box);
    LoadSetting(kDefaultSection, "Type", this);
}

void LintaraOptions::LoadSetting(const std::string& section, const std::string& key,
                                 QWidget* field) {
    const std::string value = lintara::ReadSetting(SettingsPath, section, key, "");
    if (section != kDefaultSection) {
        for (Field& f : m_fields) {
            if (f.box != field) continue;
            const std::optional<QString> text = FromUtf8(value);
            f.shown = text ? *text : FromCp1252(value);
            f.original = text ? std::nullopt : std::optional<std::string>(value);
            f.box->setText(f.shown);
        }
        return;
    }
    QRadioButton* selected = PingOption;
    QString tag = QStringLiteral("Ping");
    for (const auto& type : lintara::DefaultTypes()) {
        if (value != type.value) continue;
        selected = findChild<QRadioButton*>(QString::fromLatin1(type.optionName));
        tag = QString::fromLatin1(type.value);
        break;
    }
    selected->setChecked(true);
    Tag = tag;
}

void LintaraOptions::PingOption_Click() {
    Tag = QStringLiteral("Ping");
}
void LintaraOptions::TermServiceOption_Click() {
    Tag = QStringLiteral("RemoteDesktop");
}
void LintaraOptions::RDPConsoleOption_Click() {
    Tag = QStringLiteral("RDPConsole");
}
void LintaraOptions::VNCOption_Click() {
    Tag = QStringLiteral("VNC");
}
void LintaraOptions::TelnetOption_Click() {
    Tag = QStringLiteral("Telnet");
}
void LintaraOptions::SSHOption_Click() {
    Tag = QStringLiteral("SSH");
}

void LintaraOptions::OKButton_Click() {
    // One replacement of the file: either every key is saved or the file stays as it was.
    std::vector<lintara::SettingWrite> writes;
    for (const Field& field : m_fields) {
        const QString text = field.box->text();
        const bool untouched = field.original && text == field.shown;
        writes.push_back({field.section, field.key, untouched ? *field.original : ToBytes(text)});
    }
    writes.push_back({kDefaultSection, "Type", ToBytes(Tag)});
    std::string reason;
    if (!lintara::WriteSettings(SettingsPath, writes, &reason)) {
        m_services.ShowMessage(lintara::texts::SaveFailed(SettingsPath, reason),
                               lintara::kStyleError, lintara::texts::kTitleError);
        return;
    }
    close();
}

void LintaraOptions::CancelButton_Click() {
    close();
}

void LintaraOptions::Form_Unload(bool& cancel) {
    (void)cancel;
    if (m_mainWindow) m_mainWindow->show();
}

void LintaraOptions::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
    } else {
        event->accept();
    }
}

void LintaraOptions::Choose(FileOpenDialog* dialog, QLineEdit* field) {
    dialog->ShowOpen();
    if (dialog->FileName.isEmpty()) return;
    field->setText(dialog->FileName);
}

void LintaraOptions::TSChooseButton_Click() {
    Choose(TSCmnDialog, TSText);
}
void LintaraOptions::RDPConsoleChooseButton_Click() {
    Choose(RDPConsoleCmnDialog, RDPConsoleText);
}
void LintaraOptions::VNCChooseButton_Click() {
    Choose(VNCCmnDialog, VNCText);
}
void LintaraOptions::TelnetChooseButton_Click() {
    Choose(TelnetCmnDialog, TelnetText);
}
void LintaraOptions::SSHChooseButton_Click() {
    Choose(SSHCmnDialog, SSHText);
}
void LintaraOptions::FTPChooseButton_Click() {
    Choose(FTPCmnDialog, FTPText);
}
