// The Options window's behaviour through a fake Form, opened from the main window as the
// program does: loading, saving, closing, the choosers, and what the main window then uses.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "core/ini_engine.h"
#include "core/texts.h"
#include "tests/windows/WindowHarness.h"
#ifndef _WIN32
#include <sys/stat.h>

#include "tests/support/Unprivileged.h"
#endif

namespace {

using lintara::test::FakeForm;
using lintara::test::Harness;
using lintara::test::ReadFile;
using lintara::test::WriteFile;
using L = Lintara;
using O = LintaraOptions;

struct Key {
    const char* section;
    const char* key;
    int field;  // the text box, or -1 for the tag
};

// The thirteen keys in the order they are read and written.
const Key kKeys[] = {
    {"RemoteDesktop", "Program", O::TSText},
    {"RemoteDesktop", "Options", O::TSCommandLineOptionsText},
    {"RDPConsole", "Program", O::RDPConsoleText},
    {"RDPConsole", "Options", O::RDPConsoleCommandLineOptionsText},
    {"VNC", "Program", O::VNCText},
    {"VNC", "Options", O::VNCCommandLineOptionsText},
    {"Telnet", "Program", O::TelnetText},
    {"Telnet", "Options", O::TelnetCommandLineOptionsText},
    {"SSH", "Program", O::SSHText},
    {"SSH", "Options", O::SSHCommandLineOptionsText},
    {"FTP", "Program", O::FTPText},
    {"FTP", "Options", O::FTPCommandLineOptionsText},
    {"DefaultConnection", "Type", -1},
};

// The stored value as the settings functions read it (no outer blanks); none when missing.
std::optional<std::string> Stored(const std::string& path, const char* section, const char* key) {
    const std::string missing = "\x01missing";
    const std::string value = lintara::ini::GetProfileString(ReadFile(path), section, key, missing,
                                                             lintara::ini::kUnlimited);
    if (value == missing) return std::nullopt;
    return value;
}

// The main window started over a settings file (written after start-up when given), and
// the Options window opened from it.
struct Session : Harness {
    explicit Session(const std::optional<std::string>& settings = std::string(),
                     std::deque<std::string> chosen = {})
        : Harness("[SSH]\r\nProgram=/opt/clients/ssh\r\n") {
        Start();
        if (settings) {
            WriteFile(settingsPath, *settings);
        } else {
            std::filesystem::remove(settingsPath);
        }
        choices = std::move(chosen);
    }
    FakeForm& open() {
        form().UserClick(L::Options);
        return optionsForm();
    }
    std::vector<int> Checked() { return optionsForm().CheckedIn(O::DefalutFrame); }
};

TEST(OptionsWindow, FieldsLoadFromTheirKeys) {
    // Blanks at both ends go, blanks inside stay; keys absent from the file load empty.
    Session s(
        "[RemoteDesktop]\r\nProgram=  /usr/bin/rdp one  \r\nOptions=/v:HOST  /f\r\n"
        "[RDPConsole]\r\nProgram=/usr/bin/rdp two\r\n"
        "[VNC]\r\nOptions=HOST::PORT\r\n"
        "[Telnet]\r\nProgram=\r\nOptions=   \r\n"
        "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=-p PORT HOST\r\n"
        "[FTP]\r\nOptions=ftp://HOST:PORT/\r\nProgram=/usr/bin/ftp\r\n"
        "[DefaultConnection]\r\nType=Telnet\r\n");
    const std::map<int, std::string> expected = {
        {O::TSText, "/usr/bin/rdp one"},
        {O::TSCommandLineOptionsText, "/v:HOST  /f"},
        {O::RDPConsoleText, "/usr/bin/rdp two"},
        {O::RDPConsoleCommandLineOptionsText, ""},
        {O::VNCText, ""},
        {O::VNCCommandLineOptionsText, "HOST::PORT"},
        {O::TelnetText, ""},
        {O::TelnetCommandLineOptionsText, ""},
        {O::SSHText, "/usr/bin/ssh"},
        {O::SSHCommandLineOptionsText, "-p PORT HOST"},
        {O::FTPText, "/usr/bin/ftp"},
        {O::FTPCommandLineOptionsText, "ftp://HOST:PORT/"},
    };
    FakeForm& f = s.open();
    for (const auto& [field, text] : expected) EXPECT_EQ(f.Text(field), text) << field;
    EXPECT_EQ(s.Checked(), std::vector<int>{O::TelnetOption});
    EXPECT_EQ(s.options().Tag, "Telnet");
    EXPECT_FALSE(s.form().visible);
    EXPECT_TRUE(f.visible);
    EXPECT_EQ(f.focus, O::TSChooseButton);
    EXPECT_EQ(s.options().SettingsPath, s.settingsPath);
    EXPECT_TRUE(s.services.messages.empty());
}

TEST(OptionsWindow, DefaultType) {
    struct Case {
        const char* name;
        std::optional<std::string> file;
        int option;
        const char* tag;
    };
    auto type = [](const std::string& value) {
        return "[SSH]\r\nProgram=x\r\n[DefaultConnection]\r\nType=" + value + "\r\n";
    };
    const Case cases[] = {
        {"RemoteDesktop", type("RemoteDesktop"), O::TermServiceOption, "RemoteDesktop"},
        {"RDPConsole", type("RDPConsole"), O::RDPConsoleOption, "RDPConsole"},
        {"VNC", type("VNC"), O::VNCOption, "VNC"},
        {"Telnet", type("Telnet"), O::TelnetOption, "Telnet"},
        {"SSH", type("SSH"), O::SSHOption, "SSH"},
        {"Ping", type("Ping"), O::PingOption, "Ping"},
        {"blanks around", type("  VNC  "), O::VNCOption, "VNC"},
        {"main window's key", type("TermService"), O::PingOption, "Ping"},
        {"lower case", type("ssh"), O::PingOption, "Ping"},
        {"blank inside", type("Remote Desktop"), O::PingOption, "Ping"},
        {"empty", type(""), O::PingOption, "Ping"},
        {"HTTP", type("HTTP"), O::PingOption, "Ping"},
        {"no section", std::string("[SSH]\r\nProgram=x\r\n"), O::PingOption, "Ping"},
        {"no file", std::nullopt, O::PingOption, "Ping"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s(c.file);
        FakeForm& f = s.open();
        EXPECT_EQ(s.Checked(), std::vector<int>{c.option});
        EXPECT_EQ(s.options().Tag, c.tag);
        // OK stores exactly what the window shows; with no file, OK creates it.
        f.UserClick(O::OKButton);
        EXPECT_EQ(Stored(s.settingsPath, "DefaultConnection", "Type"), std::string(c.tag));
        EXPECT_TRUE(f.closed);
    }
}

TEST(OptionsWindow, BytesThatAreNotUtf8) {
    struct Case {
        const char* name;
        std::string stored, shown;
        std::optional<std::string> typed;  // replaces the field's text; none: untouched
        std::string saved;
    };
    const std::string cp1252 =
        "C:\\Programme\\Fern\xfc"
        "bertragung \x80\x93x\x94.exe";
    const std::string decoded = "C:\\Programme\\Fern\u00fcbertragung \u20ac\u201cx\u201d.exe";
    const Case cases[] = {
        {"code page, untouched", cp1252, decoded, std::nullopt, cp1252},
        {"code page, edited", cp1252, decoded, "/opt/\u00fcber", "/opt/\u00fcber"},
        {"code page, retyped the same", cp1252, decoded, decoded, cp1252},
        {"UTF-8", "/opt/Fern\u00fcbertragung/\u20ac", "/opt/Fern\u00fcbertragung/\u20ac",
         std::nullopt, "/opt/Fern\u00fcbertragung/\u20ac"},
        {"stray continuation byte", "a\xa9z", "a\u00a9z", std::nullopt, "a\xa9z"},
        {"overlong form", "a\xc0\xafz", "a\u00c0\u00afz", std::nullopt, "a\xc0\xafz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s("[VNC]\r\nProgram=" + c.stored + "\r\nOptions=" + c.stored + "\r\n");
        FakeForm& f = s.open();
        EXPECT_EQ(f.Text(O::VNCText), c.shown);
        EXPECT_EQ(f.Text(O::VNCCommandLineOptionsText), c.shown);
        if (c.typed) f.UserType(O::VNCText, *c.typed);
        f.UserClick(O::OKButton);
        EXPECT_EQ(Stored(s.settingsPath, "VNC", "Program"), c.saved);
        EXPECT_EQ(Stored(s.settingsPath, "VNC", "Options"), c.stored);
    }
}

// A window whose text is in the code page (Windows) shows the file's bytes as they are and
// stores what the user typed as it comes, so a path typed there is found at Connect.
TEST(OptionsWindow, CodePageWindowKeepsBytesAsTheyAre) {
    const std::string cp1252 =
        "C:\\Fern\xfc"
        "bertragung \x80.exe";
    const std::string typed =
        "D:\\\xdc"
        "ber\\vnc.exe";
    for (const bool edit : {false, true}) {
        SCOPED_TRACE(edit ? "edited" : "untouched");
        Session s("[VNC]\r\nProgram=" + cp1252 + "\r\n");
        s.forms.textIsUtf8 = false;
        FakeForm& f = s.open();
        EXPECT_EQ(f.Text(O::VNCText), cp1252);
        if (edit) f.UserType(O::VNCText, typed);
        f.UserClick(O::OKButton);
        EXPECT_EQ(Stored(s.settingsPath, "VNC", "Program"), edit ? typed : cp1252);
    }
}

TEST(OptionsWindow, OkWritesAllThirteenKeys) {
    // The system's own private-profile functions on Windows keep neither a value's outer
    // blanks nor a line this long; the engine elsewhere keeps both.
#ifdef _WIN32
    const std::string longValue(1000, 'v');
    const std::string sshLines = "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=-p  PORT HOST\r\n";
#else
    const std::string longValue(40000, 'v');
    const std::string sshLines = "[SSH]\r\nProgram=  /usr/bin/ssh\r\nOptions=-p  PORT HOST \r\n";
#endif
    Session s("; kept\r\n[RemoteDesktop]\r\nProgram=/usr/bin/rdp\r\n[VNC]\r\nOptions=" + longValue +
              "\r\n[Other]\r\nkey=kept\r\n");
    FakeForm& f = s.open();
    EXPECT_EQ(f.Text(O::VNCCommandLineOptionsText), longValue);
    f.UserType(O::SSHText, "  /usr/bin/ssh");
    f.UserType(O::SSHCommandLineOptionsText, "-p  PORT HOST ");
    f.UserType(O::TSText, "");  // an emptied field is stored empty
    f.UserClick(O::RDPConsoleOption);
    EXPECT_EQ(s.options().Tag, "RDPConsole");
    f.UserClick(O::OKButton);

    EXPECT_TRUE(f.closed);
    EXPECT_TRUE(s.form().visible);
    EXPECT_TRUE(s.services.messages.empty());
    const std::string& path = s.settingsPath;
    for (const Key& k : kKeys) EXPECT_TRUE(Stored(path, k.section, k.key)) << k.key;
    EXPECT_EQ(Stored(path, "RemoteDesktop", "Program"), std::string());
    // Saved as typed; reading drops the outer blanks again.
    EXPECT_NE(ReadFile(path).find(sshLines), std::string::npos);
    EXPECT_EQ(Stored(path, "VNC", "Options"), longValue);
    EXPECT_EQ(Stored(path, "FTP", "Program"), std::string());
    EXPECT_EQ(Stored(path, "DefaultConnection", "Type"), std::string("RDPConsole"));
    EXPECT_EQ(Stored(path, "Other", "key"), std::string("kept"));
    EXPECT_EQ(ReadFile(path).rfind("; kept\r\n[RemoteDesktop]\r\nProgram=\r\n", 0), 0u);

    // The next opening is a new window showing what was saved.
    FakeForm& again = s.open();
    EXPECT_EQ(s.forms.created["LintaraOptions"], 2);
    EXPECT_EQ(again.Text(O::SSHText), "/usr/bin/ssh");
    EXPECT_EQ(again.Text(O::SSHCommandLineOptionsText), "-p  PORT HOST");
    EXPECT_EQ(again.Text(O::TSText), "");
    EXPECT_EQ(s.Checked(), std::vector<int>{O::RDPConsoleOption});
    EXPECT_FALSE(s.form().visible);
}

TEST(OptionsWindow, ClosingWithoutOkWritesNothing) {
    const std::string before =
        "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n";
    for (const char* closeBy : {"Cancel", "title bar"}) {
        for (const char* edit : {"nothing", "typing", "option button", "chooser"}) {
            SCOPED_TRACE(std::string(edit) + ", " + closeBy);
            Session s(before, {"/opt/other ssh/ssh"});
            FakeForm& f = s.open();
            const std::string what = edit;
            if (what == "typing") f.UserType(O::SSHText, "/usr/bin/sshx");
            if (what == "option button") f.UserClick(O::VNCOption);
            if (what == "chooser") f.UserClick(O::SSHChooseButton);
            if (what != "nothing") {
                EXPECT_TRUE(f.Text(O::SSHText) != "/usr/bin/ssh" || s.options().Tag == "VNC");
            }
            if (std::string(closeBy) == "Cancel") {
                f.UserClick(O::CancelButton);
            } else {
                f.UserClose();
            }
            EXPECT_TRUE(f.closed);
            EXPECT_TRUE(s.form().visible);
            EXPECT_EQ(s.services.endCount, 0);
            EXPECT_EQ(ReadFile(s.settingsPath), before);

            FakeForm& again = s.open();
            EXPECT_EQ(again.Text(O::SSHText), "/usr/bin/ssh");
            EXPECT_EQ(s.Checked(), std::vector<int>{O::SSHOption});
        }
    }
}

TEST(OptionsWindow, FailedSaveKeepsEverything) {
    std::vector<std::string> hows = {"folder is a file", "settings file is a folder"};
#ifndef _WIN32
    hows.push_back("read-only");
#endif
    for (const std::string& how : hows) {
        SCOPED_TRACE(how);
        const std::string before = "[SSH]\r\nProgram=/usr/bin/ssh\r\n";
        Session s(before);
        std::string path = s.settingsPath;
        if (how == "folder is a file") {
            WriteFile(s.folder.file("plain"), before);
            s.services.applicationFolder = s.folder.file("plain");
            path = lintara::SettingsPathOf(s.services);
        } else if (how == "settings file is a folder") {
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
        }
        FakeForm& f = s.open();
        ASSERT_EQ(s.options().SettingsPath, path);
        f.UserType(O::SSHText, "/opt/edited");
        f.UserClick(O::VNCOption);

        // Everything the user sees after a refused save, judged where the save ran.
        auto refusedAndKept = [&] {
            f.UserClick(O::OKButton);
            const auto& shown = s.services.messages;
            if (shown.size() != 1) return false;
            const std::string prefix = "Could not save the settings to " + path + ": ";
            if (shown[0].text.rfind(prefix, 0) != 0) return false;
            const std::string reason =
                shown[0].text.substr(prefix.size(), shown[0].text.find('\n') - prefix.size());
            return !reason.empty() && shown[0].text == lintara::texts::SaveFailed(path, reason) &&
                   shown[0].style == 16 && shown[0].title == "Error" && f.visible && !f.closed &&
                   !s.form().visible && f.Text(O::SSHText) == "/opt/edited" &&
                   s.options().Tag == "VNC" && f.Checked(O::VNCOption);
        };
#ifndef _WIN32
        if (how == "read-only") {
            ::chmod(path.c_str(), 0444);
            ::chmod(s.folder.path().c_str(), 0555);
            EXPECT_TRUE(lintara::test::Unprivileged(
                [&] { return refusedAndKept() && ReadFile(path) == before; }));
            ::chmod(s.folder.path().c_str(), 0755);
            EXPECT_EQ(ReadFile(path), before);
            continue;
        }
#endif
        EXPECT_TRUE(refusedAndKept());
        if (how == "folder is a file") {
            EXPECT_EQ(ReadFile(s.folder.file("plain")), before);
        } else {
            EXPECT_TRUE(std::filesystem::is_directory(path));
            EXPECT_TRUE(std::filesystem::is_empty(path));
        }
        // The user can still leave without saving.
        f.UserClick(O::CancelButton);
        EXPECT_TRUE(f.closed);
        EXPECT_TRUE(s.form().visible);
    }
}

TEST(OptionsWindow, Chooser) {
    struct Unit {
        int button, field, options;
    };
    const Unit units[] = {
        {O::TSChooseButton, O::TSText, O::TSCommandLineOptionsText},
        {O::RDPConsoleChooseButton, O::RDPConsoleText, O::RDPConsoleCommandLineOptionsText},
        {O::VNCChooseButton, O::VNCText, O::VNCCommandLineOptionsText},
        {O::TelnetChooseButton, O::TelnetText, O::TelnetCommandLineOptionsText},
        {O::SSHChooseButton, O::SSHText, O::SSHCommandLineOptionsText},
        {O::FTPChooseButton, O::FTPText, O::FTPCommandLineOptionsText},
    };
    for (const Unit& u : units) {
        for (const std::string choice : {"", "/opt/My Clients/client one"}) {
            SCOPED_TRACE(std::to_string(u.button) + " '" + choice + "'");
            Session s("[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=HOST\r\n", {choice});
            FakeForm& f = s.open();
            f.UserType(u.field, "typed by hand");
            f.UserType(u.options, "-x HOST");
            f.UserClick(u.button);
            EXPECT_EQ(s.dialogsShown, 1);
            EXPECT_EQ(f.Text(u.field), choice.empty() ? "typed by hand" : choice);
            EXPECT_EQ(f.Text(u.options), "-x HOST");
            // No other field changed.
            for (const Key& k : kKeys) {
                if (k.field < 0 || k.field == u.field || k.field == u.options) continue;
                const bool ssh = std::string(k.section) == "SSH";
                const std::string loaded = !ssh                              ? ""
                                           : std::string(k.key) == "Program" ? "/usr/bin/ssh"
                                                                             : "HOST";
                EXPECT_EQ(f.Text(k.field), loaded) << k.section << " " << k.key;
            }
            // Nothing reaches the file before OK.
            EXPECT_EQ(ReadFile(s.settingsPath),
                      "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=HOST\r\n");
        }
    }
}

TEST(OptionsWindow, LineBreaksNeverReachTheFile) {
    // A file name may hold a line break; stored raw it would add a key of its own.
    Session s("", {"/tmp/evil\n[DefaultConnection]\r\nType=VNC"});
    FakeForm& f = s.open();
    f.UserClick(O::TSChooseButton);
    EXPECT_EQ(f.Text(O::TSText), "/tmp/evil [DefaultConnection] Type=VNC");
    f.UserType(O::SSHText, "a\nb");
    f.UserClick(O::OKButton);
    EXPECT_EQ(Stored(s.settingsPath, "DefaultConnection", "Type"), std::string("Ping"));
    EXPECT_EQ(Stored(s.settingsPath, "RemoteDesktop", "Program"),
              std::string("/tmp/evil [DefaultConnection] Type=VNC"));
    EXPECT_EQ(Stored(s.settingsPath, "SSH", "Program"), std::string("a b"));
}

TEST(OptionsWindow, SavedProgramIsUsedAtNextConnect) {
    for (const bool chosen : {false, true}) {
        SCOPED_TRACE(chosen ? "chosen" : "typed");
        Session s(
            "[SSH]\r\nProgram=/old/ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n",
            {"/opt/My Clients/ssh"});
        s.services.existingFiles.insert({"/old/ssh", "/new/ssh", "/opt/My Clients/ssh"});
        s.form().UserType(L::ConnectText, "server1");
        FakeForm& f = s.open();
        if (chosen) {
            f.UserClick(O::SSHChooseButton);
        } else {
            f.UserType(O::SSHText, "/new/ssh");
        }
        f.UserType(O::SSHCommandLineOptionsText, "-l admin HOST");
        f.UserClick(O::OKButton);
        s.form().UserClick(L::ConnectButton);
        const std::string program = chosen ? "/opt/My Clients/ssh" : "/new/ssh";
        EXPECT_EQ(s.services.started, std::vector<std::string>{program + " -l admin server1"});
        EXPECT_EQ(s.window->ProgramPath, program);
    }
}

TEST(OptionsWindow, SavedDefaultTypeIsUsedAtNextFallback) {
    for (const bool save : {true, false}) {
        SCOPED_TRACE(save ? "OK" : "Cancel");
        Session s("[DefaultConnection]\r\nType=SSH\r\n");
        FakeForm& f = s.open();
        f.UserClick(O::VNCOption);
        f.UserClick(save ? O::OKButton : O::CancelButton);
        // The main window keeps its type until it falls back to the default.
        EXPECT_EQ(s.window->Tag, "SSH");
        s.form().UserClick(L::MapDriveOption);  // no host: falls back
        EXPECT_EQ(s.window->Tag, save ? "VNC" : "SSH");
        EXPECT_EQ(s.form().CheckedIn(L::ConnectToFrame),
                  std::vector<int>{save ? L::VNCOption : L::SSHOption});
    }
}

}  // namespace
