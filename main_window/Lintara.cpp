// The main window's controls, start-up, type selection, drive-mapping panel and Connect.
#include "main_window/Lintara.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/command_line.h"
#include "core/launch.h"
#include "core/port_text.h"
#include "core/settings.h"
#include "core/texts.h"

using lintara::ControlKind;
using lintara::ControlRow;

namespace {

constexpr int kWindow = lintara::kWindowContainer;
constexpr auto kFrame = ControlKind::Frame;
constexpr auto kLabel = ControlKind::Label;
constexpr auto kText = ControlKind::TextBox;
constexpr auto kCombo = ControlKind::ComboBox;
constexpr auto kCheck = ControlKind::CheckBox;
constexpr auto kOption = ControlKind::OptionButton;
constexpr auto kButton = ControlKind::CommandButton;
constexpr int kConnectTo = Lintara::ConnectToFrame;
constexpr int kMapDrive = Lintara::MapDriveFrame;

// In the order of the Control enumeration.
constexpr std::array<ControlRow, Lintara::ControlCount> kControls = {{
    {kFrame, "ConnectToFrame", kWindow, "Connect To", 120, 10, 6495, 1935, 9},
    {kFrame, "MapDriveFrame", kWindow, "Map Network Drive Settings", 120, 2040, 6495, 1515, 3},
    // These three belong to the window but lie over the "Connect To" frame.
    {kButton, "ConnectButton", kWindow, "Connect", 4680, 320, 1095, 375, 0},
    {kText, "ConnectText", kWindow, "", 1560, 360, 1935, 285, 1},
    {kText, "PortText", kWindow, "22", 3960, 360, 615, 315, 2, "", 5},
    {kLabel, "Label1", kConnectTo, "IP or Hostname:", 240, 405, 1215, 255, 10},
    {kLabel, "PortLabel", kConnectTo, "Port:", 3480, 405, 375, 255, 11},
    {kOption, "TermServiceOption", kConnectTo, "Remote Desktop", 1440, 840, 975, 375, 16},
    {kOption, "RDPConsoleOption", kConnectTo, "RDP Console", 2520, 840, 1095, 375, 17,
     "Win2003 Console Only!"},
    {kOption, "VNCOption", kConnectTo, "VNC", 3480, 840, 735, 375, 18},
    {kOption, "TelnetOption", kConnectTo, "Telnet", 4560, 840, 855, 375, 19},
    {kOption, "SSHOption", kConnectTo, "SSH", 5520, 840, 735, 375, 20},
    {kOption, "PingOption", kConnectTo, "Ping", 5520, 1440, 615, 255, 21},
    {kOption, "MapDriveOption", kConnectTo, "Map a Drive", 1080, 1440, 1215, 255, 22},
    {kOption, "FTP", kConnectTo, "FTP", 4560, 1440, 615, 255, 23},
    {kOption, "HTTPOption", kConnectTo, "HTTP", 2520, 1440, 855, 255, 24},
    {kOption, "HTTPSOption", kConnectTo, "HTTPS", 3480, 1440, 855, 255, 25},
    {kButton, "Options", kConnectTo, "", 240, 720, 975, 615, 26, "", 0, false, false, true},
    {kCheck, "Anonymous", kMapDrive, "Anonymous Access", 5160, 920, 1215, 375, 4},
    {kText, "UserNameText", kMapDrive, "varo", 960, 960, 1335, 285, 5},
    // Shown in clear on purpose: the panel is for quick admin-share mappings.
    {kText, "PasswordText", kMapDrive, "", 3840, 960, 1095, 285, 6},
    {kLabel, "UserNameLabel", kMapDrive, "Username:", 120, 1000, 855, 255, 7},
    {kLabel, "PasswordLabel", kMapDrive, "Password:", 3000, 1005, 735, 255, 8},
    {kCombo, "ShareText", kMapDrive, "\\\\", 3960, 360, 2415, 315, 12, "", 0, true},
    {kCombo, "DriveText", kMapDrive, "", 1200, 360, 1095, 315, 13},
    {kLabel, "DriveLabel", kMapDrive, "Drive Letter:", 240, 400, 975, 255, 14},
    {kLabel, "ShareLabel", kMapDrive, "Share Name:", 2880, 405, 975, 255, 15},
}};

constexpr lintara::FormTable kLayout = {"Lintara", " Lintara v. 1.2", 6795, 3675, true,
                                        true,      kControls};

constexpr Lintara::Control kPanel[] = {
    Lintara::DriveLabel,   Lintara::DriveText,     Lintara::ShareLabel,
    Lintara::ShareText,    Lintara::Anonymous,     Lintara::UserNameLabel,
    Lintara::UserNameText, Lintara::PasswordLabel, Lintara::PasswordText};
constexpr Lintara::Control kCredentials[] = {Lintara::UserNameLabel, Lintara::UserNameText,
                                             Lintara::PasswordLabel, Lintara::PasswordText};

int ControlNamed(std::string_view name) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (name == kControls[i].name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::span<const ControlRow> Lintara::Controls() {
    return kControls;
}

const lintara::FormTable& Lintara::Layout() {
    return kLayout;
}

Lintara::Lintara(lintara::PlatformServices& services, lintara::FormFactory& forms,
                 lintara::FileOpenFunction fileOpen)
    : m_services(services),
      m_forms(forms),
      m_fileOpen(std::move(fileOpen)),
      m_form(forms.CreateForm(kLayout, *this, nullptr)) {}

Lintara::~Lintara() = default;

void Lintara::Click(int control) {
    switch (control) {
        case ConnectButton:
            ConnectButton_Click();
            break;
        case Options:
            Options_Click();
            break;
        case Anonymous:
            Anonymous_Click();
            break;
        default:
            RunOptionHandler(control);
    }
}

void Lintara::Change(int control) {
    if (control == ConnectText) ConnectText_Change();
}

void Lintara::Enter(int control) {
    // Quick connect: type the host, press Enter.
    if (control == ConnectText || control == PortText) ConnectButton_Click();
}

void Lintara::QueryClose() {
    // The user closed the window: the program ends.
    End();
}

void Lintara::End() {
    if (m_ending) return;
    m_ending = true;
    m_services.EndProgram();
}

void Lintara::RunOptionHandler(int option) {
    switch (option) {
        case HTTPSOption:
            return HTTPSOption_Click();
        case FTP:
            return FTP_Click();
        case HTTPOption:
            return HTTPOption_Click();
        case RDPConsoleOption:
            return RDPConsoleOption_Click();
        case PingOption:
            return PingOption_Click();
        case SSHOption:
            return SSHOption_Click();
        case TelnetOption:
            return TelnetOption_Click();
        case TermServiceOption:
            return TermServiceOption_Click();
        case VNCOption:
            return VNCOption_Click();
        case MapDriveOption:
            return MapDriveOption_Click();
        default:
            return;
    }
}

void Lintara::Select(Control option) {
    // Selecting from code runs the handler at once, as a click does, also on a button
    // that is selected already.
    m_form->SetChecked(option, true);
    RunOptionHandler(option);
}

// ---- Start-up ----

void Lintara::Form_Load() {
    SettingsPath = lintara::SettingsPathOf(m_services);
    if (!m_services.FileExists(SettingsPath)) {
        m_services.ShowMessage(lintara::texts::SettingsMissing(SettingsPath), lintara::kStyleError,
                               lintara::texts::kTitleFatal);
        m_ending = true;
        m_form->Close();
        m_services.EndProgram();
        return;
    }

    const std::string commandLine = m_services.CommandLineText();
    if (commandLine.empty()) {
        m_form->SetTabIndex(ConnectText, 0);
    } else {
        // The command line may come from a link on a web page: only a host name or an
        // IP address is taken, nothing a client or a terminal could read as more.
        const std::string host = lintara::HostFromCommandLine(commandLine);
        const std::string problem = lintara::UntrustedHostProblem(host);
        if (problem.empty()) {
            m_form->SetText(ConnectText, host);
        } else {
            m_services.ShowMessage(
                lintara::texts::CommandLineHostIgnored(lintara::ShownSafely(host), problem),
                lintara::kStyleError, lintara::texts::kTitleError);
        }
    }

    SelectDefaultConnection();

    m_form->ListClear(DriveText);
    for (char letter = 'Z'; letter >= 'E'; --letter) {
        m_form->ListAdd(DriveText, std::string(1, letter) + ":");
    }
    m_form->ListSelect(DriveText, 0);
}

void Lintara::SelectDefaultConnection() {
    std::string type =
        lintara::ReadSetting(SettingsPath, "DefaultConnection", "Type", lintara::kNotConfigured);
    if (type == lintara::kNotConfigured) {
        type = "SSH";
    } else {
        std::erase(type, ' ');
    }
    Control option = PingOption;
    for (const auto& row : lintara::DefaultTypes()) {
        if (row.value == type) {
            option = static_cast<Control>(ControlNamed(row.optionName));
            break;
        }
    }
    Select(option);
}

// ---- Connection-type selection ----

void Lintara::HTTPSOption_Click() {
    SelectType("443", "HTTPS");
}
void Lintara::FTP_Click() {
    SelectType("21", "FTP");
}
void Lintara::HTTPOption_Click() {
    SelectType("80", "HTTP");
}
void Lintara::RDPConsoleOption_Click() {
    SelectType("3389", "RDPConsole");
}
void Lintara::PingOption_Click() {
    SelectType("N/A", "Ping");
}
void Lintara::SSHOption_Click() {
    SelectType("22", "SSH");
}
void Lintara::TelnetOption_Click() {
    SelectType("23", "Telnet");
}
void Lintara::TermServiceOption_Click() {
    SelectType("3389", "TermService");
}
void Lintara::VNCOption_Click() {
    SelectType("5900", "VNC");
}

void Lintara::SelectType(const char* port, const char* key) {
    m_form->SetText(PortText, port);
    Tag = key;
    SetPanelEnabled(false);
}

void Lintara::SetPanelEnabled(bool enabled) {
    for (Control control : kPanel) m_form->SetEnabled(control, enabled);
}

// ---- Drive-mapping panel ----

void Lintara::MapDriveOption_Click() {
    if (m_form->Text(ConnectText).empty()) {
        m_services.ShowMessage(lintara::texts::kHostRequiredForDrive, lintara::kStyleError,
                               lintara::texts::kTitleError);
        m_form->SetFocus(ConnectText);
        SelectDefaultConnection();
        return;
    }
    m_form->SetText(PortText, "N/A");
    Tag = "MapDrive";
    for (Control control : {DriveLabel, DriveText, ShareLabel, ShareText, Anonymous}) {
        m_form->SetEnabled(control, true);
    }
    ApplyAnonymousRule();
    FillShareList();
}

void Lintara::ConnectText_Change() {
    if (m_form->Checked(MapDriveOption)) FillShareList();
}

void Lintara::Anonymous_Click() {
    ApplyAnonymousRule();
}

void Lintara::ApplyAnonymousRule() {
    const bool withCredentials = !m_form->Checked(Anonymous);
    for (Control control : kCredentials) m_form->SetEnabled(control, withCredentials);
}

void Lintara::FillShareList() {
    static const char* const suffixes[] = {"\\C$", "\\D$", "\\E$", "\\F$",    "\\G$",
                                           "\\H$", "\\I$", "\\J$", "\\ADMIN$"};
    const std::string host = m_form->Text(ConnectText);
    m_form->ListClear(ShareText);
    for (const char* suffix : suffixes) m_form->ListAdd(ShareText, "\\\\" + host + suffix);
    m_form->ListSelect(ShareText, 0);
}

// ---- Connect ----

void Lintara::ConnectButton_Click() {
    bool failed = false;
    if (m_form->Text(ConnectText).empty()) {
        m_services.ShowMessage(lintara::texts::kHostRequired, lintara::kStyleError,
                               lintara::texts::kTitleError);
        m_form->SetFocus(ConnectText);
        failed = true;
    }
    if (!lintara::PortTextPasses(m_form->Text(PortText))) {
        m_services.ShowMessage(lintara::texts::kBadPort, lintara::kStyleError,
                               lintara::texts::kTitleError);
        m_form->SetFocus(PortText);
        failed = true;
    }
    if (!failed) LaunchConnection();
}

void Lintara::LaunchConnection() {
    lintara::LaunchRequest request;
    request.typeKey = Tag;
    request.host = m_form->Text(ConnectText);
    request.port = m_form->Text(PortText);
    request.drive = m_form->Text(DriveText);
    request.share = m_form->Text(ShareText);
    request.anonymous = m_form->Checked(Anonymous);
    request.userName = m_form->Text(UserNameText);
    request.password = m_form->Text(PasswordText);

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
    if (plan.closeMainWindow) m_form->Hide();
    Watch(std::move(tasks), plan.closeMainWindow);
}

void Lintara::Watch(std::vector<long> tasks, bool endsProgram) {
    m_watches.push_back({lintara::StartWatch(std::move(tasks)), endsProgram});
    CheckWatches();
    if (!m_watches.empty() && !m_ending && !m_timerRunning) {
        m_form->StartTimer(20);
        m_timerRunning = true;
    }
}

void Lintara::Timer() {
    CheckWatches();
}

void Lintara::CheckWatches() {
    // A message box below runs the event loop, and with it the timer.
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
    if (m_watches.empty() && m_timerRunning) {
        m_form->StopTimer();
        m_timerRunning = false;
    }
    if (!failures.empty()) {
        m_form->Show();
        for (const std::string& text : failures) {
            m_services.ShowMessage(text, lintara::kStyleError, lintara::texts::kTitleError);
        }
    } else if (end) {
        m_checking = false;
        End();
        return;
    }
    m_checking = false;
}

// ---- Options ----

void Lintara::Options_Click() {
    // The window of an earlier opening has closed; each opening starts afresh.
    m_options.reset();
    m_options = std::make_unique<LintaraOptions>(m_services, m_forms, m_fileOpen, *m_form);
    m_options->Form_Load();
    m_options->Show();
    m_form->Hide();
}
