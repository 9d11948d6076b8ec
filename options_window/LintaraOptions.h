// The Options window: programs, options and the default connection type.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/form.h"
#include "core/platform.h"

// One "Choose Program" button's dialog: invisible, lives as long as the window.
class FileOpenDialog {
  public:
    explicit FileOpenDialog(lintara::FileOpenFunction show) : m_show(std::move(show)) {}

    // Shows the dialog and waits for it; FileName is then the choice or empty.
    void ShowOpen() { FileName = m_show ? m_show() : std::string(); }
    std::string FileName;

  private:
    lintara::FileOpenFunction m_show;
};

class LintaraOptions : public lintara::FormEvents {
  public:
    // The controls, by their index in the table.
    enum Control : int {
        TSFrame,
        TSText,
        TSChooseButton,
        TSCommandLineLabel,
        TSCommandLineOptionsText,
        RDPConsoleFrame,
        RDPConsoleText,
        RDPConsoleChooseButton,
        RDPConsoleCommandLineLabel,
        RDPConsoleCommandLineOptionsText,
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
        Frame1,
        FTPText,
        FTPChooseButton,
        Label1,
        FTPCommandLineOptionsText,
        DefalutFrame,
        TermServiceOption,
        RDPConsoleOption,
        VNCOption,
        TelnetOption,
        SSHOption,
        PingOption,
        CancelButton,
        OKButton,
        ControlCount
    };
    static std::span<const lintara::ControlRow> Controls();
    static const lintara::FormTable& Layout();

    // mainWindow is shown again however this window closes.
    LintaraOptions(lintara::PlatformServices& services, lintara::FormFactory& forms,
                   lintara::FileOpenFunction fileOpen, lintara::Form& mainWindow);

    // Reads all thirteen values from the settings file into the window.
    void Form_Load();
    void Show() { m_form->Show(); }
    lintara::Form& form() { return *m_form; }

    // The default connection type chosen in the window, written as "Type" on OK.
    std::string Tag;
    std::string SettingsPath;

    FileOpenDialog TSCmnDialog, RDPConsoleCmnDialog, VNCCmnDialog, TelnetCmnDialog, SSHCmnDialog,
        FTPCmnDialog;

    // Event handlers.
    void PingOption_Click();
    void TermServiceOption_Click();
    void RDPConsoleOption_Click();
    void VNCOption_Click();
    void TelnetOption_Click();
    void SSHOption_Click();
    void OKButton_Click();
    void CancelButton_Click();
    void TSChooseButton_Click();
    void RDPConsoleChooseButton_Click();
    void VNCChooseButton_Click();
    void TelnetChooseButton_Click();
    void SSHChooseButton_Click();
    void FTPChooseButton_Click();
    // Runs at every closing; leaves cancel unset, so the window always closes.
    void Form_Unload(bool& cancel);

    // What the front end reports.
    void Click(int control) override;
    void QueryClose() override;

  private:
    // A text field and the key it holds. When the stored bytes are not UTF-8 they are
    // shown decoded as code page 1252 and kept, so an unedited field saves them as read.
    struct Field {
        const char* section;
        const char* key;
        Control box;
        std::string shown;
        std::optional<std::string> original;
    };

    void LoadAllSettings();
    // field is a text box, or -1 for the window itself.
    void LoadSetting(const std::string& section, const std::string& key, int field);
    void Choose(FileOpenDialog& dialog, Control field);
    void RunOptionHandler(int option);
    void CloseWindow();

    lintara::PlatformServices& m_services;
    lintara::Form& m_mainWindow;
    std::unique_ptr<lintara::Form> m_form;
    std::vector<Field> m_fields;  // in the order of every load and save
    bool m_closed = false;
};
