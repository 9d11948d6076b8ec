// The main window over a settings file in a fresh folder, rendered with fake Forms.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "main_window/Lintara.h"
#include "tests/mock/FakeForm.h"
#include "tests/mock/FakeServices.h"
#include "tests/support/TempFolder.h"

namespace lintara::test {

// Client programs of the configured types, as the settings below name them.
inline const char* const kConfiguredIni =
    "[RemoteDesktop]\nProgram=/opt/clients/rdp\nOptions=-v HOST:PORT\n"
    "[RDPConsole]\nProgram=/opt/clients/rdp\nOptions=-v HOST:PORT /admin\n"
    "[VNC]\nProgram=/opt/clients/vnc\nOptions=HOST::PORT\n"
    "[Telnet]\nProgram=/opt/clients/telnet\nOptions=HOST PORT\n"
    "[SSH]\nProgram=/opt/clients/ssh\nOptions=-p PORT HOST\n"
    "[FTP]\nProgram=/opt/clients/ftp\nOptions=  ftp://HOST:PORT/  \n";

// A main window over a settings file in a fresh folder.
struct Harness {
    explicit Harness(const std::string& ini = kConfiguredIni, const std::string& commandLine = {},
                     bool settingsFileExists = true) {
        services.applicationFolder = folder.path().string();
        settingsPath = lintara::SettingsPathOf(services);
        if (settingsFileExists) {
            lintara::test::WriteFile(settingsPath, ini);
            services.existingFiles.insert(settingsPath);
        }
        for (const char* client : {"/opt/clients/rdp", "/opt/clients/vnc", "/opt/clients/telnet",
                                   "/opt/clients/ssh", "/opt/clients/ftp"}) {
            services.existingFiles.insert(client);
        }
        services.commandLineText = commandLine;
        window = std::make_unique<Lintara>(services, forms, [this] {
            ++dialogsShown;
            if (choices.empty()) return std::string();
            std::string choice = choices.front();
            choices.pop_front();
            return choice;
        });
    }
    Harness& Start() {
        window->Form_Load();
        window->Show();
        return *this;
    }
    FakeForm& form() { return forms["Lintara"]; }
    // The Options window of the last opening.
    LintaraOptions& options() { return *window->OptionsWindow(); }
    FakeForm& optionsForm() { return forms["LintaraOptions"]; }
    std::string Text(int c) { return form().Text(c); }
    std::vector<int> Checked() { return form().CheckedIn(Lintara::ConnectToFrame); }

    TempFolder folder;
    FakeServices services;
    FakeFormFactory forms;
    std::string settingsPath;
    std::deque<std::string> choices;  // what the file-open dialog returns, in turn
    int dialogsShown = 0;
    std::unique_ptr<Lintara> window;
};

}  // namespace lintara::test
