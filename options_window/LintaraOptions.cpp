// The Options window: shows, edits and saves the programs, options and default type.
#include "options_window/LintaraOptions.h"

#include <array>

#include "core/display_text.h"
#include "core/launch.h"
#include "core/settings.h"
#include "core/texts.h"

using lintara::ControlKind;
using lintara::ControlRow;

namespace {

constexpr int kWindow = lintara::kWindowContainer;
constexpr auto kFrame = ControlKind::Frame;
constexpr auto kLabel = ControlKind::Label;
constexpr auto kText = ControlKind::TextBox;
constexpr auto kOption = ControlKind::OptionButton;
constexpr auto kButton = ControlKind::CommandButton;
constexpr const char* kChoose = "Choose Program";
constexpr const char* kOptionsLabel = "Command Line Options:";
using W = LintaraOptions;

// In the order of the Control enumeration. The Remote Desktop program box and button
// and the RDP console program box belong to the window and lie over their frames.
constexpr std::array<ControlRow, W::ControlCount> kControls = {{
    {kFrame, "TSFrame", kWindow, "Remote Desktop Application", 40, 120, 6255, 1155, 2},
    {kText, "TSText", kWindow, "", 120, 360, 4575, 285, 1},
    {kButton, "TSChooseButton", kWindow, kChoose, 4800, 300, 1335, 375, 0},
    {kLabel, "TSCommandLineLabel", W::TSFrame, kOptionsLabel, 120, 750, 1695, 255, 3},
    {kText, "TSCommandLineOptionsText", W::TSFrame, "", 1920, 720, 3495, 285, 4},
    {kFrame, "RDPConsoleFrame", kWindow, "Remote Desktop Console", 40, 1440, 6255, 1155, 5,
     "Note: Should be same as above."},
    {kText, "RDPConsoleText", kWindow, "", 120, 1680, 4575, 285, 6},
    {kButton, "RDPConsoleChooseButton", W::RDPConsoleFrame, kChoose, 4800, 200, 1335, 375, 7},
    {kLabel, "RDPConsoleCommandLineLabel", W::RDPConsoleFrame, kOptionsLabel, 120, 750, 1695, 255,
     8},
    {kText, "RDPConsoleCommandLineOptionsText", W::RDPConsoleFrame, "", 1920, 720, 3495, 285, 9},
    {kFrame, "VNCFrame", kWindow, "VNC Application", 40, 2760, 6255, 1155, 12},
    {kText, "VNCText", W::VNCFrame, "", 120, 240, 4575, 285, 13},
    {kButton, "VNCChooseButton", W::VNCFrame, kChoose, 4800, 200, 1335, 375, 14},
    {kLabel, "VNCCommandLineLabel", W::VNCFrame, kOptionsLabel, 120, 750, 1695, 255, 15},
    {kText, "VNCCommandLineOptionsText", W::VNCFrame, "", 1920, 720, 3495, 285, 16},
    {kFrame, "TelnetFrame", kWindow, "Telnet Application", 40, 4080, 6255, 1155, 17},
    {kText, "TelnetText", W::TelnetFrame, "", 120, 240, 4575, 285, 18},
    {kButton, "TelnetChooseButton", W::TelnetFrame, kChoose, 4800, 200, 1335, 375, 19},
    {kLabel, "TelnetCommandLineLabel", W::TelnetFrame, kOptionsLabel, 120, 750, 1695, 255, 20},
    {kText, "TelnetCommandLineOptionsText", W::TelnetFrame, "", 1920, 720, 3495, 285, 21},
    {kFrame, "SSHFrame", kWindow, "SSH Application", 40, 5400, 6255, 1155, 22},
    {kText, "SSHText", W::SSHFrame, "", 120, 240, 4575, 285, 23},
    {kButton, "SSHChooseButton", W::SSHFrame, kChoose, 4800, 200, 1335, 375, 24},
    {kLabel, "SSHCommandLineLabel", W::SSHFrame, kOptionsLabel, 120, 750, 1695, 255, 25},
    {kText, "SSHCommandLineOptionsText", W::SSHFrame, "", 1920, 720, 3495, 285, 26},
    {kFrame, "Frame1", kWindow, "FTP Application", 40, 6720, 6255, 1155, 34},
    {kText, "FTPText", W::Frame1, "", 120, 240, 4575, 285, 35},
    {kButton, "FTPChooseButton", W::Frame1, kChoose, 4800, 240, 1335, 375, 36},
    {kLabel, "Label1", W::Frame1, kOptionsLabel, 120, 750, 1815, 255, 37},
    {kText, "FTPCommandLineOptionsText", W::Frame1, "", 1920, 720, 3495, 285, 38},
    {kFrame, "DefalutFrame", kWindow, "Defalut Connection Type", 40, 8040, 6255, 975, 27},
    {kOption, "TermServiceOption", W::DefalutFrame, "Remote Desktop", 240, 360, 975, 375, 28},
    {kOption, "RDPConsoleOption", W::DefalutFrame, "RDP Console", 1320, 240, 1095, 615, 29},
    {kOption, "VNCOption", W::DefalutFrame, "VNC", 2640, 360, 735, 375, 30},
    {kOption, "TelnetOption", W::DefalutFrame, "Telnet", 3600, 360, 855, 375, 31},
    {kOption, "SSHOption", W::DefalutFrame, "SSH", 4560, 360, 735, 375, 32},
    {kOption, "PingOption", W::DefalutFrame, "Ping", 5400, 360, 735, 375, 33},
    {kButton, "CancelButton", kWindow, "Cancel", 5160, 9120, 1095, 375, 10},
    {kButton, "OKButton", kWindow, "OK", 3960, 9120, 1095, 375, 11},
}};

constexpr lintara::FormTable kLayout = {
    "LintaraOptions", " Lintara Options", 6330, 9600, false, false, kControls};

const char* const kDefaultSection = "DefaultConnection";

int ControlNamed(std::string_view name) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (name == kControls[i].name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::span<const ControlRow> LintaraOptions::Controls() {
    return kControls;
}

const lintara::FormTable& LintaraOptions::Layout() {
    return kLayout;
}

LintaraOptions::LintaraOptions(lintara::PlatformServices& services, lintara::FormFactory& forms,
                               lintara::FileOpenFunction fileOpen, lintara::Form& mainWindow)
    : TSCmnDialog(fileOpen),
      RDPConsoleCmnDialog(fileOpen),
      VNCCmnDialog(fileOpen),
      TelnetCmnDialog(fileOpen),
      SSHCmnDialog(fileOpen),
      FTPCmnDialog(fileOpen),
      m_services(services),
      m_mainWindow(mainWindow),
      m_form(forms.CreateForm(kLayout, *this, &mainWindow)),
      m_fields{
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
      } {}

void LintaraOptions::Click(int control) {
    switch (control) {
        case OKButton:
            return OKButton_Click();
        case CancelButton:
            return CancelButton_Click();
        case TSChooseButton:
            return TSChooseButton_Click();
        case RDPConsoleChooseButton:
            return RDPConsoleChooseButton_Click();
        case VNCChooseButton:
            return VNCChooseButton_Click();
        case TelnetChooseButton:
            return TelnetChooseButton_Click();
        case SSHChooseButton:
            return SSHChooseButton_Click();
        case FTPChooseButton:
            return FTPChooseButton_Click();
        default:
            return RunOptionHandler(control);
    }
}

void LintaraOptions::RunOptionHandler(int option) {
    switch (option) {
        case PingOption:
            return PingOption_Click();
        case TermServiceOption:
            return TermServiceOption_Click();
        case RDPConsoleOption:
            return RDPConsoleOption_Click();
        case VNCOption:
            return VNCOption_Click();
        case TelnetOption:
            return TelnetOption_Click();
        case SSHOption:
            return SSHOption_Click();
        default:
            return;
    }
}

void LintaraOptions::QueryClose() {
    bool cancel = false;
    Form_Unload(cancel);
    m_closed = true;
}

void LintaraOptions::Form_Load() {
    SettingsPath = lintara::SettingsPathOf(m_services);
    LoadAllSettings();
}

void LintaraOptions::LoadAllSettings() {
    for (const Field& field : m_fields) LoadSetting(field.section, field.key, field.box);
    LoadSetting(kDefaultSection, "Type", -1);
}

void LintaraOptions::LoadSetting(const std::string& section, const std::string& key, int field) {
    const std::string value = lintara::ReadSetting(SettingsPath, section, key, "");
    if (section != kDefaultSection) {
        for (Field& f : m_fields) {
            if (f.box != field) continue;
            // Bytes that are not UTF-8 show as code page 1252 where the window's text is
            // UTF-8, and are kept unless edited; a code-page window shows them as they are.
            const bool utf8 = !m_form->TextIsUtf8() || lintara::IsUtf8(value);
            f.shown = utf8 ? value : lintara::Cp1252ToUtf8(value);
            f.original = utf8 ? std::nullopt : std::optional<std::string>(value);
            m_form->SetText(f.box, f.shown);
        }
        return;
    }
    int selected = PingOption;
    std::string tag = "Ping";
    for (const auto& type : lintara::DefaultTypes()) {
        if (value != type.value) continue;
        selected = ControlNamed(type.optionName);
        tag = type.value;
        break;
    }
    // Selecting runs the button's handler at once, which sets the same tag.
    m_form->SetChecked(selected, true);
    RunOptionHandler(selected);
    Tag = tag;
}

void LintaraOptions::PingOption_Click() {
    Tag = "Ping";
}
void LintaraOptions::TermServiceOption_Click() {
    Tag = "RemoteDesktop";
}
void LintaraOptions::RDPConsoleOption_Click() {
    Tag = "RDPConsole";
}
void LintaraOptions::VNCOption_Click() {
    Tag = "VNC";
}
void LintaraOptions::TelnetOption_Click() {
    Tag = "Telnet";
}
void LintaraOptions::SSHOption_Click() {
    Tag = "SSH";
}

void LintaraOptions::OKButton_Click() {
    // One replacement of the file: either every key is saved or the file stays as it was.
    std::vector<lintara::SettingWrite> writes;
    for (const Field& field : m_fields) {
        const std::string text = m_form->Text(field.box);
        const bool untouched = field.original && text == field.shown;
        writes.push_back(
            {field.section, field.key, untouched ? *field.original : lintara::OneLine(text)});
    }
    writes.push_back({kDefaultSection, "Type", Tag});
    std::string reason;
    if (!lintara::WriteSettings(SettingsPath, writes, &reason)) {
        m_services.ShowMessage(lintara::texts::SaveFailed(SettingsPath, reason),
                               lintara::kStyleError, lintara::texts::kTitleError);
        return;
    }
    CloseWindow();
}

void LintaraOptions::CancelButton_Click() {
    CloseWindow();
}

void LintaraOptions::CloseWindow() {
    if (m_closed) return;
    bool cancel = false;
    Form_Unload(cancel);
    m_closed = true;
    m_form->Close();
}

void LintaraOptions::Form_Unload(bool& cancel) {
    (void)cancel;
    m_mainWindow.Show();
}

void LintaraOptions::Choose(FileOpenDialog& dialog, Control field) {
    dialog.ShowOpen();
    if (dialog.FileName.empty()) return;
    m_form->SetText(field, lintara::OneLine(dialog.FileName));
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
