// The main window: host, port, connection type, drive-mapping panel and Connect.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/form.h"
#include "core/platform.h"
#include "core/start_watch.h"
#include "options_window/LintaraOptions.h"

class Lintara : public lintara::FormEvents {
  public:
    // The controls, by their index in the table.
    enum Control : int {
        ConnectToFrame,
        MapDriveFrame,
        ConnectButton,
        ConnectText,
        PortText,
        Label1,
        PortLabel,
        TermServiceOption,
        RDPConsoleOption,
        VNCOption,
        TelnetOption,
        SSHOption,
        PingOption,
        MapDriveOption,
        FTP,
        HTTPOption,
        HTTPSOption,
        Options,
        Anonymous,
        UserNameText,
        PasswordText,
        UserNameLabel,
        PasswordLabel,
        ShareText,
        DriveText,
        DriveLabel,
        ShareLabel,
        ControlCount
    };
    static std::span<const lintara::ControlRow> Controls();
    static const lintara::FormTable& Layout();

    // services carries every message, start and file test; forms renders this window
    // and the Options window; fileOpen is handed on to the Options window.
    Lintara(lintara::PlatformServices& services, lintara::FormFactory& forms,
            lintara::FileOpenFunction fileOpen);
    ~Lintara() override;

    // Runs once before the window is first shown; may end the program instead.
    void Form_Load();
    void Show() { m_form->Show(); }

    lintara::Form& form() { return *m_form; }
    // The Options window of the last opening, while it exists.
    LintaraOptions* OptionsWindow() { return m_options.get(); }

    // The connection type key of the selected type; the launch dispatches on it.
    std::string Tag = "SSH";

    std::string SettingsPath;
    // The configured program of the last configured launch and its filled-in options.
    std::string ProgramPath;
    std::string ProgramOptions;

    // Event handlers.
    void ConnectButton_Click();
    void Options_Click();
    void HTTPSOption_Click();
    void FTP_Click();
    void HTTPOption_Click();
    void RDPConsoleOption_Click();
    void PingOption_Click();
    void SSHOption_Click();
    void TelnetOption_Click();
    void TermServiceOption_Click();
    void VNCOption_Click();
    void MapDriveOption_Click();
    void ConnectText_Change();
    void Anonymous_Click();

    // What the front end reports.
    void Click(int control) override;
    void Change(int control) override;
    void Enter(int control) override;
    void QueryClose() override;
    void Timer() override;

  private:
    void SelectDefaultConnection();
    void LaunchConnection();
    void SelectType(const char* port, const char* key);
    void SetPanelEnabled(bool enabled);
    void ApplyAnonymousRule();
    void FillShareList();
    void Select(Control option);
    void RunOptionHandler(int option);
    void Watch(std::vector<long> tasks, bool endsProgram);
    void CheckWatches();
    void End();

    lintara::PlatformServices& m_services;
    lintara::FormFactory& m_forms;
    lintara::FileOpenFunction m_fileOpen;
    std::unique_ptr<lintara::Form> m_form;
    std::unique_ptr<LintaraOptions> m_options;
    bool m_ending = false;  // the program is ending: closing the window ends nothing more
    // What launches started, watched for an early failure; endsProgram for a launch
    // that hid the window and ends the program once the watch is over.
    struct Watched {
        lintara::StartWatch watch;
        bool endsProgram;
    };
    std::vector<Watched> m_watches;
    bool m_timerRunning = false;
    bool m_checking = false;
};
