// The fixed Windows command lines started on the desktop: real starts through
// PosixServices::StartCommand, with the recorder standing in for each desktop program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/launch.h"
#include "platform/posix/posix_services.h"
#include "tests/support/Record.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using lintara::test::ReadRecord;
using lintara::test::TempFolder;
using Argv = std::vector<std::string>;

const std::string kBrowser = R"("C:\Program Files\Internet Explorer\iexplore.exe" )";

class DesktopTranslation : public ::testing::Test {
  protected:
    void SetUp() override {
        m_bin = m_folder.path() / "bin";
        m_records = m_folder.path() / "records";
        m_work = m_folder.path() / "work";
        for (const auto& folder : {m_bin, m_records, m_work}) fs::create_directories(folder);
        for (const char* name : {"xdg-open", "xterm", "ping", "gio"}) Provide(name);
        PointTerminalAt("xterm");
        m_oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        // Only the recorders: no real terminal or browser of this machine may answer.
        ::setenv("PATH", m_bin.c_str(), 1);
        ::unsetenv("LINTARA_RECORD");
        ::setenv("LINTARA_RECORD_DIR", m_records.c_str(), 1);
        // A command that reached a shell would create its files here.
        m_oldWork = fs::current_path();
        fs::current_path(m_work);
    }
    void TearDown() override {
        fs::current_path(m_oldWork);
        ::setenv("PATH", m_oldPath.c_str(), 1);
        ::unsetenv("LINTARA_RECORD_DIR");
    }

    void Provide(const std::string& name) { fs::copy_file(LINTARA_RECORDER, m_bin / name); }
    void Remove(const std::string& name) { fs::remove(m_bin / name); }
    // x-terminal-emulator as the system's alternatives make it: a link to a terminal.
    void PointTerminalAt(const std::string& name) {
        Remove("x-terminal-emulator");
        fs::create_symlink(m_bin / name, m_bin / "x-terminal-emulator");
    }
    std::string Ping() const { return (m_bin / "ping").string(); }

    // Starts line and returns what the recorder named program received.
    lintara::test::Record StartAndRecord(const std::string& line, const std::string& program) {
        fs::remove_all(m_records);
        fs::create_directories(m_records);
        const auto result = m_services.StartCommand(line, lintara::kWindowNormalFocus);
        EXPECT_TRUE(result.started) << line << ": " << result.reason;
        const auto record = ReadRecord((m_records / (program + ".record")).string());
        EXPECT_TRUE(record.has_value()) << program << " never ran for: " << line;
        return record.value_or(lintara::test::Record{});
    }

    TempFolder m_folder;
    fs::path m_bin, m_records, m_work, m_oldWork;
    std::string m_oldPath;
    lintara::PosixServices m_services{0, nullptr};
};

TEST_F(DesktopTranslation, EachFixedCommandStartsItsDesktopEquivalent) {
    struct Case {
        std::string line, program;
        Argv argv;
        std::string standardInput;
    };
    const std::vector<Case> cases = {
        {kBrowser + "http://myhost", "xdg-open", {"xdg-open", "http://myhost"}, ""},
        {kBrowser + "https://myhost:8443/x?a=1",
         "xdg-open",
         {"xdg-open", "https://myhost:8443/x?a=1"},
         ""},
        {"ping -t myhost", "xterm", {"xterm", "-e", Ping(), "myhost"}, ""},
        // A blank typed before the host is no part of it.
        {"ping -t  myhost", "xterm", {"xterm", "-e", Ping(), "myhost"}, ""},
        {"net use Z: \\\\myhost\\C$", "gio", {"gio", "mount", "-a", "smb://myhost/C$"}, ""},
        // gio then asks for the domain (empty: its suggestion) and the password.
        {"net use Y: \\\\myhost\\ADMIN$ s3cret /USER:admin",
         "gio",
         {"gio", "mount", "smb://admin@myhost/ADMIN$"},
         "\ns3cret\n"},
        // With the domain in the URL only the password is asked.
        {"net use X: \\\\myhost\\D$ pw /USER:CORP\\alice",
         "gio",
         {"gio", "mount", "smb://CORP;alice@myhost/D$"},
         "pw\n"},
        // Empty user and password: every question takes gio's suggestion.
        {"net use W: \\\\myhost\\C$  /USER:", "gio", {"gio", "mount", "smb://myhost/C$"}, "\n\n\n"},
        // Names that need it are percent-encoded inside the URL.
        {"net use U: \\\\myhost\\share\\dir\\ p /USER:a@b",
         "gio",
         {"gio", "mount", "smb://a%40b@myhost/share/dir"},
         "\np\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto record = StartAndRecord(c.line, c.program);
        EXPECT_EQ(record.argv, c.argv);
        EXPECT_EQ(record.standardInput, c.standardInput);
    }
}

TEST_F(DesktopTranslation, PasswordOnlyOnStandardInput) {
    const std::string password = "p@ss;$(w0rd)|&`x`";
    const auto record =
        StartAndRecord("net use Z: \\\\myhost\\C$ " + password + " /USER:admin", "gio");
    EXPECT_EQ(record.standardInput, "\n" + password + "\n");
    for (const auto& argument : record.argv) {
        EXPECT_EQ(argument.find("p@ss"), std::string::npos) << argument;
    }
}

TEST_F(DesktopTranslation, ExplorerOpensTheShareLastMappedOnItsDrive) {
    // Not mapped yet: a failed start that says why, and nothing opened.
    auto result = m_services.StartCommand("explorer Z:", 1);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("Z:"), std::string::npos) << result.reason;

    StartAndRecord("net use Z: \\\\myhost\\C$", "gio");
    EXPECT_EQ(StartAndRecord("explorer Z:", "xdg-open").argv,
              (Argv{"xdg-open", "smb://myhost/C$"}));

    // Mapped again: the later share wins; the drive letter's case does not matter.
    StartAndRecord("net use Z: \\\\other\\D$ pw /USER:bob", "gio");
    EXPECT_EQ(StartAndRecord("explorer z:", "xdg-open").argv,
              (Argv{"xdg-open", "smb://bob@other/D$"}));

    // Another drive stays unmapped.
    result = m_services.StartCommand("explorer Y:", 1);
    EXPECT_FALSE(result.started);

    // A mount that could not start maps nothing.
    Remove("gio");
    result = m_services.StartCommand("net use Y: \\\\third\\E$", 1);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("gio"), std::string::npos) << result.reason;
    EXPECT_FALSE(m_services.StartCommand("explorer Y:", 1).started);

    // The map belongs to the running program only.
    lintara::PosixServices fresh(0, nullptr);
    EXPECT_FALSE(fresh.StartCommand("explorer Z:", 1).started);
}

TEST_F(DesktopTranslation, ShellMetacharactersReachProgramsAsPlainText) {
    const std::string host = "h;touch${IFS}A|$(touch B)&&`touch C`>D<E*?'q'\"r\"";
    EXPECT_EQ(StartAndRecord(kBrowser + "http://" + host, "xdg-open").argv,
              (Argv{"xdg-open", "http://" + host}));
    EXPECT_EQ(StartAndRecord("ping -t " + host, "xterm").argv, (Argv{"xterm", "-e", Ping(), host}));

    // In a share, a blank or quote would split the words, so the host holds neither.
    const std::string shareHost = "h;$(touch${IFS}B)|&`touch`";
    const std::string url = "smb://h;$(touch$%7BIFS%7DB)%7C&%60touch%60/C$";
    EXPECT_EQ(StartAndRecord("net use Z: \\\\" + shareHost + "\\C$", "gio").argv,
              (Argv{"gio", "mount", "-a", url}));
    EXPECT_EQ(StartAndRecord("explorer Z:", "xdg-open").argv, (Argv{"xdg-open", url}));

    for (const char* name : {"A", "B", "C", "D", "E", "touch"}) {
        EXPECT_FALSE(fs::exists(m_work / name)) << name;
    }
}

TEST_F(DesktopTranslation, EachTerminalRunsPingWithItsOwnWay) {
    struct Case {
        std::string named;  // what x-terminal-emulator leads to
        std::string runs;   // the terminal that then runs ping
        Argv before;        // its arguments before ping's path
    };
    const std::vector<Case> cases = {
        {"xterm", "xterm", {"-e"}},
        {"uxterm", "uxterm", {"-e"}},
        {"gnome-terminal.wrapper", "gnome-terminal", {"--"}},
        {"konsole", "konsole", {"-e"}},
        {"xfce4-terminal.wrapper", "xfce4-terminal", {"-x"}},
        {"mate-terminal.wrapper", "mate-terminal", {"-x"}},
        {"lxterminal", "lxterminal", {"-e"}},
        {"qterminal", "qterminal", {"-e"}},
        {"terminator", "terminator", {"-x"}},
        {"kitty", "kitty", {}},
        {"alacritty", "alacritty", {"-e"}},
        {"urxvt", "urxvt", {"-e"}},
        {"st", "st", {"-e"}},
        // These hand their command to a shell or split it anew: passed over.
        {"terminology", "xterm", {"-e"}},
        {"tilix.wrapper", "xterm", {"-e"}},
        {"sakura", "xterm", {"-e"}},
        // One Lintara does not know is passed over too.
        {"cool-term", "xterm", {"-e"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const bool own = c.named != "xterm";
        const bool wrapped = c.named.ends_with(".wrapper") && c.runs != "xterm";
        if (own) Provide(c.named);
        if (wrapped) Provide(c.runs);
        PointTerminalAt(c.named);
        Argv expected{c.runs};
        expected.insert(expected.end(), c.before.begin(), c.before.end());
        expected.insert(expected.end(), {Ping(), "my;host"});
        EXPECT_EQ(StartAndRecord("ping -t my;host", c.runs).argv, expected);
        if (own) Remove(c.named);
        if (wrapped) Remove(c.runs);
    }
}

TEST_F(DesktopTranslation, ConfiguredTerminalLinesKeepTheArgumentsApart) {
    for (const char* name : {"terminator", "terminology", "ssh", "telnet"}) Provide(name);
    // Blanks separate the words of a configured line; everything else stays in one.
    const std::string host = "h;touch${IFS}X|$(touch${IFS}X)`touch${IFS}X`&&q";
    struct Case {
        std::string named, line, runs;
        Argv argv;
    };
    const std::string anyTerminal = (m_bin / "x-terminal-emulator").string();
    const std::vector<Case> cases = {
        {"terminator",
         anyTerminal + " -e ssh -p 22 " + host,
         "terminator",
         {"terminator", "-x", "ssh", "-p", "22", host}},
        {"xterm",
         anyTerminal + " -e telnet " + host + " 23",
         "xterm",
         {"xterm", "-e", "telnet", host, "23"}},
        // Passed over for the first terminal of the table that keeps arguments apart.
        {"terminology",
         anyTerminal + " -e ssh " + host,
         "terminator",
         {"terminator", "-x", "ssh", host}},
        // Named directly, with options of its own before the switch.
        {"xterm",
         (m_bin / "terminator").string() + " --title T -x ssh " + host,
         "terminator",
         {"terminator", "--title", "T", "-x", "ssh", host}},
        {"xterm",
         (m_bin / "xterm").string() + " -geometry 80x24 -e ssh " + host,
         "xterm",
         {"xterm", "-geometry", "80x24", "-e", "ssh", host}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PointTerminalAt(c.named);
        EXPECT_EQ(StartAndRecord(c.line, c.runs).argv, c.argv);
    }
    // A terminal that would hand the words to a shell is not started with them.
    const auto refused =
        m_services.StartCommand((m_bin / "terminology").string() + " -e ssh " + host, 1);
    EXPECT_FALSE(refused.started);
    EXPECT_NE(refused.reason.find("terminology"), std::string::npos) << refused.reason;
    EXPECT_FALSE(fs::exists(m_work / "X"));
}

TEST_F(DesktopTranslation, ATerminalLineWhoseProgramIsMissingStartsNothing) {
    Provide("lftp");
    const std::string anyTerminal = (m_bin / "x-terminal-emulator").string();
    struct Case {
        std::string line, reason;
    };
    const std::vector<Case> cases = {
        {anyTerminal + " -e ssh -p 22 myhost",
         "ssh was not found on PATH (Debian package openssh-client)"},
        {anyTerminal + " -e telnet myhost 23",
         "telnet was not found on PATH (Debian package telnet)"},
        {(m_bin / "xterm").string() + " -e /nowhere/lftp -p 21 myhost",
         "/nowhere/lftp was not found (Debian package lftp)"},
        {anyTerminal + " -e unknown-client myhost", "unknown-client was not found on PATH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto result = m_services.StartCommand(c.line, lintara::kWindowNormalFocus);
        EXPECT_FALSE(result.started);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_FALSE(fs::exists(m_records / "xterm.record"));
    }
    // Found on PATH: the terminal runs it.
    EXPECT_EQ(StartAndRecord(anyTerminal + " -e lftp -p 21 myhost", "xterm").argv,
              (Argv{"xterm", "-e", "lftp", "-p", "21", "myhost"}));
}

TEST_F(DesktopTranslation, NoTerminalIsAFailedStart) {
    Remove("xterm");
    Remove("x-terminal-emulator");
    Provide("terminology");
    PointTerminalAt("terminology");
    auto result = m_services.StartCommand("ping -t myhost", 1);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("no terminal was found"), std::string::npos) << result.reason;
    EXPECT_NE(result.reason.find("x-terminal-emulator is terminology"), std::string::npos)
        << result.reason;
    // Without ping no terminal opens at all; the package is named.
    Provide("xterm");
    Remove("ping");
    result = m_services.StartCommand("ping -t myhost", 1);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("iputils-ping"), std::string::npos) << result.reason;
}

TEST_F(DesktopTranslation, UnusableLinesAreFailedStartsWithAReason) {
    struct Case {
        std::string line, missingProgram, reasonPart;
    };
    const std::vector<Case> cases = {
        {kBrowser + "http://myhost", "xdg-open", "xdg-utils"},
        {"net use Z: \\\\myhost\\C$", "gio", "libglib2.0-bin"},
        {"net use Z: \\\\myhost", "", "\\\\myhost"},
        {"net use Z: \\\\\\C$", "", "\\\\\\C$"},
        {"net use Q \\\\myhost\\C$", "", "drive letter"},
        {"net use Z:", "", "no drive and share"},
        // The password must not be cut at a blank and half of it sent somewhere.
        {"net use Z: \\\\myhost\\C$ two words /USER:me", "", "blank"},
        {"explorer C:\\", "", "nothing to open"},
        {"ping -t  ", "", "no host"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        if (!c.missingProgram.empty()) Remove(c.missingProgram);
        const auto result = m_services.StartCommand(c.line, 1);
        EXPECT_FALSE(result.started);
        EXPECT_NE(result.reason.find(c.reasonPart), std::string::npos) << result.reason;
        if (!c.missingProgram.empty()) Provide(c.missingProgram);
    }
}

TEST_F(DesktopTranslation, OtherLinesStartAsTheyStand) {
    // Only the exact composed forms are translated; a configured program named like
    // one of them starts unchanged.
    EXPECT_EQ(StartAndRecord("ping myhost", "ping").argv, (Argv{"ping", "myhost"}));
    const std::string configured = (m_bin / "ping").string();
    EXPECT_EQ(StartAndRecord(configured + " -t myhost", "ping").argv,
              (Argv{configured, "-t", "myhost"}));
    EXPECT_EQ(StartAndRecord("xdg-open ftp://myhost:21/", "xdg-open").argv,
              (Argv{"xdg-open", "ftp://myhost:21/"}));
    const auto result = m_services.StartCommand("net view \\\\myhost", 1);
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.reason.find("program not found: net"), std::string::npos) << result.reason;
}

}  // namespace

namespace {

// Every connection type, composed by the launch and started for real, with hosts that
// a shell would run: nothing but the recorders ever runs, and no file X appears.
TEST_F(DesktopTranslation, HostileHostsThroughEveryConnectionType) {
    Provide("client");
    const std::string settings = (m_folder.path() / "Lintara.ini").string();
    std::string ini;
    for (const char* section : {"RemoteDesktop", "RDPConsole", "VNC", "Telnet", "SSH", "FTP"}) {
        ini += std::string("[") + section + "]\r\nProgram=" + (m_bin / "client").string() +
               "\r\nOptions=HOST PORT\r\n";
    }
    lintara::test::WriteFile(settings, ini);
    const std::vector<std::string> hosts = {"$(touch X)", ";touch X",        "`touch X`",
                                            "x|touch X",  "x&&touch${IFS}X", "$(touch${IFS}X)"};
    int started = 0, round = 0;
    for (const auto& host : hosts) {
        for (const auto& type : lintara::ConnectionTypes()) {
            SCOPED_TRACE(std::string(type.key) + " with " + host);
            // A folder per round: recorders of earlier rounds may still be writing.
            const fs::path records = m_records / std::to_string(round++);
            fs::create_directories(records);
            ::setenv("LINTARA_RECORD_DIR", records.c_str(), 1);
            const lintara::LaunchRequest request{std::string(type.key),  host,   "22", "Z:",
                                                 "\\\\" + host + "\\C$", "varo", "pw", false};
            const auto plan = lintara::PlanLaunch(
                request, settings, [&](const std::string& p) { return m_services.FileExists(p); });
            ASSERT_TRUE(plan.messageText.empty()) << plan.messageText;
            for (const auto& line : plan.commandLines) {
                // Some lines are refused (a share with a blank cannot be mounted); none
                // may run anything but a recorder.
                const auto result = m_services.StartCommand(line, lintara::kWindowNormalFocus);
                if (!result.started) break;
                ++started;
                // A share opens only once its mount has ended, and a program takes the
                // record folder of the moment it starts: let this round's starts happen
                // before the next round changes the folder.
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (m_services.PollTask(result.taskId).state == lintara::TaskState::Running &&
                       std::chrono::steady_clock::now() < until) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            }
        }
    }
    // Every start left its record: the recorders ran, and nothing else did. The bound is
    // generous because a sanitized build on a loaded machine starts them slowly.
    std::size_t records = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    do {
        records = 0;
        for (const auto& entry : fs::recursive_directory_iterator(m_records)) {
            records += entry.path().extension() == ".record";
        }
        // Spinning would take the CPU from the very recorders it waits for.
        if (records < static_cast<std::size_t>(started)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } while (records < static_cast<std::size_t>(started) &&
             std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(records, static_cast<std::size_t>(started));
    EXPECT_GE(started, static_cast<int>(hosts.size()) * 9);
    EXPECT_FALSE(fs::exists(m_work / "X"));
    EXPECT_FALSE(fs::exists(m_folder.path() / "X"));
    EXPECT_FALSE(fs::exists(m_bin / "X"));
}

}  // namespace
