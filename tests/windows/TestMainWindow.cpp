// The main window's behaviour through a fake Form: start-up, type selection, Connect, the
// launch, the early-failure watch, the drive-mapping panel and the Options button.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/command_line.h"
#include "core/texts.h"
#include "main_window/Lintara.h"
#include "tests/windows/WindowHarness.h"

namespace {

using lintara::test::FakeForm;
using lintara::test::FakeServices;
using lintara::test::Harness;
using lintara::test::kConfiguredIni;
using lintara::test::ShownMessage;
namespace texts = lintara::texts;
using L = Lintara;
using Lines = std::vector<std::string>;

const std::string kBrowser = "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\"";

constexpr L::Control kOptions[] = {
    L::TermServiceOption, L::RDPConsoleOption, L::VNCOption, L::TelnetOption, L::SSHOption,
    L::PingOption,        L::MapDriveOption,   L::FTP,       L::HTTPOption,   L::HTTPSOption};
constexpr L::Control kPanel[] = {L::DriveLabel,   L::DriveText,     L::ShareLabel,
                                 L::ShareText,    L::Anonymous,     L::UserNameLabel,
                                 L::UserNameText, L::PasswordLabel, L::PasswordText};

ShownMessage Error(const std::string& text) {
    return {text, 16, "Error"};
}

Lines ShareList(const std::string& host) {
    Lines shares;
    for (const char* suffix :
         {"\\C$", "\\D$", "\\E$", "\\F$", "\\G$", "\\H$", "\\I$", "\\J$", "\\ADMIN$"}) {
        shares.push_back("\\\\" + host + suffix);
    }
    return shares;
}

TEST(MainWindow, MissingSettingsFileEndsTheProgram) {
    Harness h({}, "lintara://server1/", /*settingsFileExists=*/false);
    h.window->Form_Load();
    EXPECT_EQ(h.services.messages,
              (std::vector<ShownMessage>{
                  {"Help! Can't find " + h.settingsPath + "!     ", 16, "Fatal Error"}}));
    EXPECT_EQ(h.services.endCount, 1);
    EXPECT_TRUE(h.form().closed);
    // Nothing after the check ran: no host taken, no type selected, no drive letters.
    EXPECT_EQ(h.Text(L::ConnectText), "");
    EXPECT_TRUE(h.Checked().empty());
    EXPECT_EQ(h.form().ListCount(L::DriveText), 0);
}

TEST(MainWindow, HostFromCommandLine) {
    struct Case {
        std::string argument, host;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"lintara://server1/", "server1", false},
        {"lintara://10.0.0.5", "10.0.0.5", false},
        {"lintara://srv.example.org/a/b", "srv.example.org", false},
        {"lintara://db_01.example/", "db_01.example", false},
        {"lintara://[fe80::1]/", "[fe80::1]", false},
        {"lintara://" + std::string(125, 'a') + "." + std::string(127, 'b') + "/",
         std::string(125, 'a') + "." + std::string(127, 'b'), false},
        {"lintara://", "", false},
        {"server1", "", false},
        {"lintara://-oProxyCommand=evil/", "", true},
        {"lintara://two words/", "", true},
        {"lintara://x;cd;touch${IFS}pwned/", "", true},
        {"lintara://$(touch pwned)/", "", true},
        {"lintara://`touch pwned`/", "", true},
        {"lintara://a\"b/", "", true},
        {"lintara://a\nb/", "", true},
        {"lintara://host:8080/", "", true},
        {"lintara://good.example@evil.example/", "", true},
        {"lintara://\xE2\x80\xAE"
         "elpmaxe.knab/",
         "", true},
        {"lintara://" + std::string(100000, 'a') + "/", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument.substr(0, 60));
        Harness h(kConfiguredIni, c.argument);
        h.Start();
        EXPECT_EQ(h.Text(L::ConnectText), c.host);
        if (!c.refused) {
            EXPECT_TRUE(h.services.messages.empty());
        } else {
            const std::string ignored = lintara::HostFromCommandLine(c.argument);
            ASSERT_EQ(
                h.services.messages,
                (std::vector<ShownMessage>{Error(texts::CommandLineHostIgnored(
                    lintara::ShownSafely(ignored), lintara::UntrustedHostProblem(ignored)))}));
            // What the message shows is one short line of plain characters.
            const std::string& shown = h.services.messages.front().text;
            EXPECT_LT(shown.size(), 200u);
            EXPECT_TRUE(std::all_of(shown.begin(), shown.end(),
                                    [](char ch) { return ch >= 0x20 && ch < 0x7F; }));
        }
        // With a command line the tab order is the table's; Connect has the focus.
        EXPECT_EQ(h.form().TabIndex(L::ConnectButton), 0);
        EXPECT_EQ(h.form().TabIndex(L::ConnectText), 1);
        EXPECT_EQ(h.form().focus, L::ConnectButton);
        EXPECT_EQ(h.form().ListCount(L::ShareText), 0);
    }
}

TEST(MainWindow, WithoutCommandLineTheHostBoxComesFirst) {
    Harness h;
    h.Start();
    EXPECT_EQ(h.form().TabIndex(L::ConnectText), 0);
    EXPECT_EQ(h.form().TabIndex(L::ConnectButton), 1);
    EXPECT_EQ(h.form().TabIndex(L::PortText), 2);
    EXPECT_EQ(h.form().focus, L::ConnectText);
}

TEST(MainWindow, DefaultType) {
    struct Case {
        const char* name;
        std::string ini;
        L::Control option;
        const char *port, *tag;
    };
    auto type = [](const std::string& value) {
        return "[DefaultConnection]\nType=" + value + "\n";
    };
    const Case cases[] = {
        {"no section", "[SSH]\nProgram=x\n", L::SSHOption, "22", "SSH"},
        {"empty file", "", L::SSHOption, "22", "SSH"},
        {"RemoteDesktop", type("RemoteDesktop"), L::TermServiceOption, "3389", "TermService"},
        {"RDPConsole", type("RDPConsole"), L::RDPConsoleOption, "3389", "RDPConsole"},
        {"VNC", type("VNC"), L::VNCOption, "5900", "VNC"},
        {"Telnet", type("Telnet"), L::TelnetOption, "23", "Telnet"},
        {"SSH", type("SSH"), L::SSHOption, "22", "SSH"},
        {"Ping", type("Ping"), L::PingOption, "N/A", "Ping"},
        {"blanks inside are dropped", type("Remote Desktop"), L::TermServiceOption, "3389",
         "TermService"},
        {"lower case", type("ssh"), L::PingOption, "N/A", "Ping"},
        {"empty value", type(""), L::PingOption, "N/A", "Ping"},
        {"HTTP is no default", type("HTTP"), L::PingOption, "N/A", "Ping"},
        {"NOTCONFIGURED", type("NOTCONFIGURED"), L::SSHOption, "22", "SSH"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.ini);
        h.Start();
        EXPECT_EQ(h.Checked(), std::vector<int>{c.option});
        EXPECT_EQ(h.Text(L::PortText), c.port);
        EXPECT_EQ(h.window->Tag, c.tag);
        for (int control : kPanel) EXPECT_FALSE(h.form().Enabled(control));
        EXPECT_TRUE(h.services.messages.empty());
    }
}

TEST(MainWindow, StartUpState) {
    Harness h;
    h.Start();
    EXPECT_EQ(h.form().Items(L::DriveText),
              (Lines{"Z:", "Y:", "X:", "W:", "V:", "U:", "T:", "S:", "R:", "Q:", "P:",
                     "O:", "N:", "M:", "L:", "K:", "J:", "I:", "H:", "G:", "F:", "E:"}));
    EXPECT_EQ(h.Text(L::DriveText), "Z:");
    EXPECT_TRUE(h.form().Enabled(L::MapDriveFrame));
    EXPECT_FALSE(h.form().Checked(L::Anonymous));
    EXPECT_EQ(h.Text(L::UserNameText), "varo");
    EXPECT_EQ(h.Text(L::ShareText), "\\\\");
    EXPECT_EQ(h.window->SettingsPath, h.settingsPath);
    EXPECT_TRUE(h.form().visible);
}

TEST(MainWindow, TypeSelectionKeepsThePanelValues) {
    struct Case {
        L::Control option;
        const char *port, *tag;
    };
    const Case cases[] = {
        {L::HTTPSOption, "443", "HTTPS"},  {L::FTP, "21", "FTP"},
        {L::HTTPOption, "80", "HTTP"},     {L::RDPConsoleOption, "3389", "RDPConsole"},
        {L::PingOption, "N/A", "Ping"},    {L::SSHOption, "22", "SSH"},
        {L::TelnetOption, "23", "Telnet"}, {L::TermServiceOption, "3389", "TermService"},
        {L::VNCOption, "5900", "VNC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        Harness h;
        h.Start();
        FakeForm& f = h.form();
        f.UserType(L::ConnectText, "server1");
        f.UserClick(L::MapDriveOption);
        ASSERT_EQ(h.window->Tag, "MapDrive");
        f.UserSelectItem(L::DriveText, 3);
        f.UserType(L::ShareText, "\\\\server1\\backup");
        f.UserType(L::UserNameText, "admin");
        f.UserType(L::PasswordText, "secret");
        f.UserClick(L::Anonymous);
        f.UserType(L::PortText, "999");

        f.UserClick(c.option);
        EXPECT_EQ(h.Checked(), std::vector<int>{c.option});
        EXPECT_EQ(h.Text(L::PortText), c.port);
        EXPECT_EQ(h.window->Tag, c.tag);
        for (int control : kPanel) EXPECT_FALSE(f.Enabled(control));
        EXPECT_TRUE(f.Enabled(L::MapDriveFrame));
        // Disabled, not cleared.
        EXPECT_EQ(h.Text(L::DriveText), "W:");
        EXPECT_EQ(h.Text(L::ShareText), "\\\\server1\\backup");
        EXPECT_EQ(f.ListCount(L::ShareText), 9);
        EXPECT_TRUE(f.Checked(L::Anonymous));
        EXPECT_EQ(h.Text(L::UserNameText), "admin");
        EXPECT_EQ(h.Text(L::PasswordText), "secret");

        // Back to "Map a Drive": the same values, the credentials still off by the tick,
        // and the share list filled anew.
        f.UserClick(L::MapDriveOption);
        EXPECT_EQ(h.Text(L::DriveText), "W:");
        EXPECT_EQ(h.Text(L::ShareText), "\\\\server1\\C$");
        EXPECT_TRUE(f.Checked(L::Anonymous) && f.Enabled(L::Anonymous));
        EXPECT_FALSE(f.Enabled(L::UserNameText) || f.Enabled(L::PasswordLabel));
        EXPECT_TRUE(h.services.messages.empty());
    }
}

TEST(MainWindow, OptionButtonsFormOneGroup) {
    Harness h;
    h.Start();
    h.form().UserType(L::ConnectText, "server1");  // "Map a Drive" needs a host
    for (L::Control chosen : kOptions) {
        h.form().UserClick(chosen);
        EXPECT_EQ(h.Checked(), std::vector<int>{chosen});
    }
}

TEST(MainWindow, ConnectChecks) {
    struct Case {
        const char *host, *port;
        std::vector<std::string> messages;
        int focus;  // where the focus ends
    };
    const std::string hostMessage = texts::kHostRequired, portMessage = texts::kBadPort;
    const Case cases[] = {
        {"", "22", {hostMessage}, L::ConnectText},
        {"server1", "0", {portMessage}, L::PortText},
        {"server1", "-1", {portMessage}, L::PortText},
        {"server1", "65536", {portMessage}, L::PortText},
        {"server1", "abc", {portMessage}, L::PortText},
        {"server1", "", {portMessage}, L::PortText},
        {"server1", "n/a", {portMessage}, L::PortText},
        {"", "0", {hostMessage, portMessage}, L::PortText},
        {"server1", "N/A", {}, L::ConnectButton},
        {"server1", "1", {}, L::ConnectButton},
        {"server1", "65535", {}, L::ConnectButton},
        {"server1", "1.5", {}, L::ConnectButton},
        {"server1", " 2 2 ", {}, L::ConnectButton},
        {"server1", "22ab", {}, L::ConnectButton},
        {"  ", "22", {}, L::ConnectButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("host '") + c.host + "' port '" + c.port + "'");
        Harness h;
        h.Start();
        h.form().UserClick(L::PingOption);
        h.form().UserType(L::ConnectText, c.host);
        h.form().UserType(L::PortText, c.port);
        h.form().UserClick(L::ConnectButton);
        std::vector<std::string> shown;
        for (const auto& message : h.services.messages) {
            EXPECT_EQ(message.title, "Error");
            EXPECT_EQ(message.style, 16);
            shown.push_back(message.text);
        }
        EXPECT_EQ(shown, c.messages);
        EXPECT_EQ(h.services.started,
                  c.messages.empty() ? Lines{std::string("ping -t ") + c.host} : Lines{});
        EXPECT_EQ(h.form().focus, c.focus);
        EXPECT_TRUE(h.form().visible);
        EXPECT_EQ(h.services.endCount, 0);
    }
}

TEST(MainWindow, EnterInHostOrPortPressesConnect) {
    for (L::Control box : {L::ConnectText, L::PortText}) {
        Harness h;
        h.Start();
        h.form().UserClick(L::PingOption);
        h.form().UserType(L::ConnectText, "server1");
        h.form().UserEnter(box);
        EXPECT_EQ(h.services.started, Lines{"ping -t server1"});
    }
    Harness h;
    h.Start();
    h.form().UserEnter(L::UserNameText);
    EXPECT_TRUE(h.services.started.empty());
    EXPECT_TRUE(h.services.messages.empty());
}

TEST(MainWindow, Launch) {
    struct Case {
        const char* name;
        L::Control option;
        bool anonymous;
        Lines started;
        bool ends;
        const char *programPath, *programOptions;
    };
    const Case cases[] = {
        {"Remote Desktop",
         L::TermServiceOption,
         false,
         {"/opt/clients/rdp -v server1:3389"},
         true,
         "/opt/clients/rdp",
         "-v server1:3389"},
        {"RDP Console",
         L::RDPConsoleOption,
         false,
         {"/opt/clients/rdp -v server1:3389 /admin"},
         true,
         "/opt/clients/rdp",
         "-v server1:3389 /admin"},
        {"VNC",
         L::VNCOption,
         false,
         {"/opt/clients/vnc server1::5900"},
         true,
         "/opt/clients/vnc",
         "server1::5900"},
        {"Telnet",
         L::TelnetOption,
         false,
         {"/opt/clients/telnet server1 23"},
         true,
         "/opt/clients/telnet",
         "server1 23"},
        {"SSH",
         L::SSHOption,
         false,
         {"/opt/clients/ssh -p 22 server1"},
         true,
         "/opt/clients/ssh",
         "-p 22 server1"},
        {"FTP",
         L::FTP,
         false,
         {"/opt/clients/ftp ftp://server1:21/"},
         true,
         "/opt/clients/ftp",
         "ftp://server1:21/"},
        {"Ping", L::PingOption, false, {"ping -t server1"}, false, "", ""},
        {"HTTP", L::HTTPOption, false, {kBrowser + " http://server1"}, true, "", ""},
        {"HTTPS", L::HTTPSOption, false, {kBrowser + " https://server1"}, true, "", ""},
        {"Map a Drive",
         L::MapDriveOption,
         false,
         {"net use Y: \\\\server1\\C$ secret /USER:varo", "explorer Y:"},
         true,
         "",
         ""},
        {"Map a Drive, anonymous",
         L::MapDriveOption,
         true,
         {"net use Y: \\\\server1\\C$", "explorer Y:"},
         true,
         "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.Start();
        FakeForm& f = h.form();
        f.UserType(L::ConnectText, "server1");
        f.UserClick(c.option);
        if (c.option == L::MapDriveOption) {
            f.UserSelectItem(L::DriveText, 1);
            f.UserType(L::PasswordText, "secret");
            if (c.anonymous) f.UserClick(L::Anonymous);
        }
        f.UserClick(L::ConnectButton);
        EXPECT_TRUE(h.services.messages.empty());
        EXPECT_EQ(h.services.started, c.started);
        EXPECT_EQ(h.services.windowStyles, std::vector<int>(c.started.size(), 1));
        EXPECT_EQ(h.services.endCount, c.ends ? 1 : 0);
        EXPECT_EQ(f.visible, !c.ends);
        EXPECT_EQ(h.window->ProgramPath, c.programPath);
        EXPECT_EQ(h.window->ProgramOptions, c.programOptions);
    }
}

TEST(MainWindow, LaunchThatShowsAMessage) {
    struct Case {
        const char *ini, *tag, *text, *title;
    };
    const Case cases[] = {
        {"", "SSH", texts::kMissingProgram, "Error"},
        {"[SSH]\nProgram=/opt/clients/none\n", "SSH", texts::kMissingProgram, "Error"},
        {"[SSH]\nProgram=NOTCONFIGURED\n", "SSH", texts::kMissingProgram, "Error"},
        {"[SSH]\nProgram=\n", "SSH", texts::kMissingProgram, "Error"},
        {"", "Bogus", texts::kNotImplemented, "Fatal Error"},
        {"", "", texts::kNotImplemented, "Fatal Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ini) + " / " + c.tag);
        Harness h(c.ini);
        h.Start();
        h.form().UserType(L::ConnectText, "server1");
        h.window->Tag = c.tag;
        h.form().UserClick(L::ConnectButton);
        EXPECT_EQ(h.services.messages, (std::vector<ShownMessage>{{c.text, 16, c.title}}));
        EXPECT_TRUE(h.services.started.empty());
        EXPECT_TRUE(h.form().visible);
        EXPECT_EQ(h.services.endCount, 0);
        EXPECT_EQ(h.Text(L::ConnectText), "server1");
    }
}

TEST(MainWindow, FailedStartKeepsTheWindow) {
    struct Case {
        L::Control option;
        std::string failing;  // the command line that cannot start
        const char* program;  // as the message names it
        std::size_t starts;   // attempted, the failing one included
    };
    const Case cases[] = {
        {L::SSHOption, "/opt/clients/ssh -p 22 server1", "/opt/clients/ssh", 1},
        {L::HTTPSOption, kBrowser + " https://server1",
         "C:\\Program Files\\Internet Explorer\\iexplore.exe", 1},
        {L::MapDriveOption, "net use Z: \\\\server1\\C$ secret /USER:varo", "net", 1},
        {L::MapDriveOption, "explorer Z:", "explorer", 2},
        {L::PingOption, "ping -t server1", "ping", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        Harness h;
        h.services.failingStarts.insert(c.failing);
        h.Start();
        FakeForm& f = h.form();
        f.UserType(L::ConnectText, "server1");
        f.UserClick(c.option);
        if (c.option == L::MapDriveOption) f.UserType(L::PasswordText, "secret");
        const std::string port = h.Text(L::PortText), tag = h.window->Tag;
        f.UserClick(L::ConnectButton);

        EXPECT_EQ(h.services.messages, (std::vector<ShownMessage>{Error(texts::StartFailed(
                                           c.program, "No such file or directory"))}));
        EXPECT_EQ(h.services.started.size(), c.starts);
        EXPECT_EQ(h.services.started.back(), c.failing);
        EXPECT_TRUE(f.visible);
        EXPECT_EQ(h.services.endCount, 0);
        EXPECT_EQ(h.Text(L::ConnectText), "server1");
        EXPECT_EQ(h.Text(L::PortText), port);
        EXPECT_EQ(h.window->Tag, tag);
        EXPECT_TRUE(f.Checked(c.option));
        if (c.option == L::MapDriveOption) {
            EXPECT_EQ(h.Text(L::PasswordText), "secret");
        }
    }
}

TEST(MainWindow, EarlyFailureBringsTheWindowBack) {
    Harness h;
    lintara::TaskOutcome running;
    h.services.outcomes[1] = running;
    h.Start();
    FakeForm& f = h.form();
    f.UserType(L::ConnectText, "server1");
    f.UserClick(L::SSHOption);
    f.UserClick(L::ConnectButton);
    // Hidden at once, and watched while the client runs.
    EXPECT_FALSE(f.visible);
    EXPECT_GT(f.timerInterval, 0);
    f.Tick();
    EXPECT_EQ(h.services.endCount, 0);

    lintara::TaskOutcome failed;
    failed.state = lintara::TaskState::Failed;
    failed.program = "ssh";
    failed.status = "exit status 255";
    failed.errorOutput = "ssh: Could not resolve hostname server1\n";
    h.services.outcomes[1] = failed;
    f.Tick();
    EXPECT_TRUE(f.visible);
    EXPECT_EQ(f.timerInterval, 0);
    EXPECT_EQ(h.services.messages, (std::vector<ShownMessage>{Error(texts::EndedAtOnce(
                                       "ssh", "exit status 255", failed.errorOutput))}));
    EXPECT_EQ(h.services.endCount, 0);
    EXPECT_EQ(h.Text(L::ConnectText), "server1");

    // The next launch that goes well ends the program once its watch is over.
    h.services.outcomes.clear();
    f.UserClick(L::ConnectButton);
    EXPECT_EQ(h.services.endCount, 1);
}

TEST(MainWindow, MapDriveWithoutHostFallsBack) {
    struct Case {
        const char* name;
        std::string ini, savedLater;  // settings at start, and written after start-up
        L::Control before, option;
        const char *port, *tag;
    };
    const Case cases[] = {
        {"no default", "", "", L::HTTPSOption, L::SSHOption, "22", "SSH"},
        {"default VNC", "[DefaultConnection]\nType=VNC\n", "", L::FTP, L::VNCOption, "5900", "VNC"},
        {"default saved meanwhile", "", "[DefaultConnection]\nType=Telnet\n", L::HTTPOption,
         L::TelnetOption, "23", "Telnet"},
        {"default already selected", "", "", L::SSHOption, L::SSHOption, "22", "SSH"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.ini);
        h.Start();
        FakeForm& f = h.form();
        if (!c.savedLater.empty()) lintara::test::WriteFile(h.settingsPath, c.savedLater);
        f.UserClick(c.before);
        f.UserType(L::PortText, "1234");
        std::vector<std::string> tags;  // the tag while the message is up, and after
        h.services.onMessage = [&] { tags.push_back(h.window->Tag); };
        f.UserClick(L::MapDriveOption);
        tags.push_back(h.window->Tag);

        EXPECT_EQ(h.services.messages,
                  (std::vector<ShownMessage>{Error(texts::kHostRequiredForDrive)}));
        EXPECT_EQ(f.focus, L::ConnectText);
        EXPECT_EQ(h.Checked(), std::vector<int>{c.option});
        EXPECT_EQ(h.Text(L::PortText), c.port);
        EXPECT_EQ(std::count(tags.begin(), tags.end(), "MapDrive"), 0);
        EXPECT_EQ(tags.back(), c.tag);
        for (int control : kPanel) EXPECT_FALSE(f.Enabled(control));
        EXPECT_EQ(f.ListCount(L::ShareText), 0);
    }
}

TEST(MainWindow, ShareList) {
    for (const std::string host : {"server1", "  "}) {
        Harness h;
        h.Start();
        h.form().UserType(L::ConnectText, host);
        h.form().UserClick(L::MapDriveOption);
        EXPECT_EQ(h.form().Items(L::ShareText), ShareList(host));
        EXPECT_EQ(h.form().ListIndex(L::ShareText), 0);
        EXPECT_EQ(h.Text(L::ShareText), ShareList(host).front());
        EXPECT_EQ(h.Text(L::PortText), "N/A");
        EXPECT_EQ(h.window->Tag, "MapDrive");
        for (int control : kPanel) EXPECT_TRUE(h.form().Enabled(control));
        EXPECT_TRUE(h.services.messages.empty());
    }
}

TEST(MainWindow, ShareListFollowsTheHost) {
    Harness h;
    h.Start();
    FakeForm& f = h.form();
    f.UserType(L::ConnectText, "server");
    f.UserClick(L::MapDriveOption);
    f.UserSelectItem(L::ShareText, 4);
    f.UserType(L::ConnectText, "server2");
    EXPECT_EQ(f.Items(L::ShareText), ShareList("server2"));
    EXPECT_EQ(h.Text(L::ShareText), "\\\\server2\\C$");

    // Emptied: no message here; the entries lose the host.
    f.UserType(L::ConnectText, "");
    EXPECT_EQ(f.Items(L::ShareText), ShareList(""));
    EXPECT_EQ(h.Text(L::ShareText), "\\\\\\C$");
    EXPECT_TRUE(h.services.messages.empty());
    f.UserClick(L::ConnectButton);
    EXPECT_EQ(h.services.messages, (std::vector<ShownMessage>{Error(texts::kHostRequired)}));

    // Another type selected: the host no longer reaches the list.
    f.UserClick(L::SSHOption);
    f.UserType(L::ConnectText, "other");
    EXPECT_EQ(f.Items(L::ShareText), ShareList(""));
}

TEST(MainWindow, AnonymousRule) {
    Harness h;
    h.Start();
    FakeForm& f = h.form();
    f.UserType(L::ConnectText, "server1");
    f.UserClick(L::MapDriveOption);
    f.UserType(L::PasswordText, "secret");
    for (bool ticked : {true, false, true}) {
        f.UserClick(L::Anonymous);
        EXPECT_EQ(f.Checked(L::Anonymous), ticked);
        for (int control : {L::UserNameLabel, L::UserNameText, L::PasswordLabel, L::PasswordText}) {
            EXPECT_EQ(f.Enabled(control), !ticked);
        }
        for (int control : {L::DriveText, L::ShareText, L::Anonymous}) {
            EXPECT_TRUE(f.Enabled(control));
        }
        EXPECT_EQ(h.Text(L::UserNameText), "varo");
        EXPECT_EQ(h.Text(L::PasswordText), "secret");
    }
}

TEST(MainWindow, ClosingTheWindowEndsTheProgram) {
    Harness h;
    h.Start();
    h.form().UserClose();
    EXPECT_EQ(h.services.endCount, 1);
}

TEST(MainWindow, OptionsButtonSwapsWindows) {
    Harness h;
    h.Start();
    FakeForm& f = h.form();
    f.UserType(L::ConnectText, "server1");
    f.UserClick(L::TelnetOption);
    f.UserClick(L::Options);
    EXPECT_FALSE(f.visible);
    FakeForm& options = h.forms["LintaraOptions"];
    EXPECT_TRUE(options.visible);
    EXPECT_EQ(options.owner, &f);  // no taskbar button of its own
    options.UserClose();
    // Back as it was left, and the program goes on.
    EXPECT_TRUE(f.visible);
    EXPECT_EQ(h.services.endCount, 0);
    EXPECT_EQ(h.Text(L::ConnectText), "server1");
    EXPECT_EQ(h.window->Tag, "Telnet");
    EXPECT_EQ(h.Text(L::PortText), "23");

    // Each opening is a new window.
    f.UserClick(L::Options);
    EXPECT_EQ(h.forms.created["LintaraOptions"], 2);
    EXPECT_TRUE(h.forms["LintaraOptions"].visible);
}

}  // namespace
