// ReadSetting / WriteSetting against real files: round trips, whole values, failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/ini_engine.h"
#include "core/settings.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

namespace {

using lintara::ReadSetting;
using lintara::WriteSetting;
using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

TEST(Settings, RoundTrips) {
    struct Case {
        const char* name;
        std::string before, section, key, value, readBack, after;
    };
    const std::vector<Case> cases = {
        {"missing file is created", "", "FTP", "Program", "ftp", "ftp", "[FTP]\r\nProgram=ftp\r\n"},
        {"missing section appended", "[VNC]\r\nProgram=v\r\n", "FTP", "Options", "HOST", "HOST",
         "[VNC]\r\nProgram=v\r\n[FTP]\r\nOptions=HOST\r\n"},
        {"empty value stays a key", "[VNC]\r\nOptions=x\r\n", "VNC", "Options", "", "",
         "[VNC]\r\nOptions=\r\n"},
        {"leading blanks stored, read trimmed", "[SSH]\r\n", "SSH", "Program", "  /usr/bin/ssh  ",
         "/usr/bin/ssh", "[SSH]\r\nProgram=  /usr/bin/ssh  \r\n"},
        {"inner blanks kept", "", "SSH", "Options", "-p  PORT", "-p  PORT",
         "[SSH]\r\nOptions=-p  PORT\r\n"},
        {"other sections untouched", "; mine\n[A]\nk = 1\n\n[B]\nk=2\n", "B", "k", "3", "3",
         "; mine\n[A]\nk = 1\n\n[B]\nk=3\n"},
        {"no final line break", "[A]\r\nk=1", "A", "j", "2", "2", "[A]\r\nk=1\r\nj=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("Lintara.ini");
        if (!c.before.empty()) WriteFile(path, c.before);
        ASSERT_TRUE(WriteSetting(path, c.section, c.key, c.value));
        EXPECT_EQ(ReadSetting(path, c.section, c.key, "NOTCONFIGURED"), c.readBack);
        EXPECT_EQ(ReadFile(path), c.after);
    }
}

TEST(Settings, ReadTrimsSpacesAndDefaults) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[SSH]\r\nProgram=   /usr/bin/ssh   \r\nOptions=\"  -v  \"\r\nEmpty=\r\n");
    EXPECT_EQ(ReadSetting(path, "SSH", "Program", "NOTCONFIGURED"), "/usr/bin/ssh");
    EXPECT_EQ(ReadSetting(path, "SSH", "Options", ""), "-v");  // quotes go, then spaces
    EXPECT_EQ(ReadSetting(path, "SSH", "Empty", "NOTCONFIGURED"), "");
    EXPECT_EQ(ReadSetting(path, "SSH", "Missing", "NOTCONFIGURED"), "NOTCONFIGURED");
    EXPECT_EQ(ReadSetting(path, "SSH", "Missing", "  padded  "), "padded");
    EXPECT_EQ(ReadSetting(folder.file("absent.ini"), "SSH", "Program", "D"), "D");
}

TEST(Settings, LongValuesComeBackWhole) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    const std::string value(300, 'x');
    ASSERT_TRUE(WriteSetting(path, "RemoteDesktop", "Options", value));
    EXPECT_EQ(ReadSetting(path, "RemoteDesktop", "Options", ""), value);
    // The engine still gives the 255-buffer view for callers that ask for it.
    EXPECT_EQ(lintara::ini::GetProfileString(ReadFile(path), "RemoteDesktop", "Options", "", 255),
              value.substr(0, 254));
}

TEST(Settings, WriteKeepsFileMode) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[A]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteSetting(path, "A", "k", "2"));
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(Settings, WriteThroughLinkKeepsLink) {
    TempFolder folder;
    const std::string real = folder.file("real.ini"), link = folder.file("Lintara.ini");
    WriteFile(real, "[A]\r\nk=1\r\n");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteSetting(link, "A", "k", "2"));
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(real), "[A]\r\nk=2\r\n");
}

// A write into a folder we may not write: refused, reported, file unchanged. As root
// the check runs without root's rights.
TEST(Settings, FailedWritesChangeNothingAndSaySo) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[A]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(lintara::test::Unprivileged([&] {
        std::string reason;
        const bool written = WriteSetting(path, "A", "k", "2", &reason);
        return !written && !reason.empty() && ReadFile(path) == "[A]\r\nk=1\r\n";
    }));
}

TEST(Settings, ReadOnlyFileIsNotReplaced) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[A]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);  // the folder itself is writable
    EXPECT_TRUE(lintara::test::Unprivileged([&] {
        std::string reason;
        return !WriteSetting(path, "A", "k", "2", &reason) && !reason.empty() &&
               ReadFile(path) == "[A]\r\nk=1\r\n";
    }));
}

TEST(Settings, NotAFileIsRefused) {
    TempFolder folder;
    const std::string dir = folder.file("Lintara.ini");
    std::filesystem::create_directory(dir);
    std::string reason;
    EXPECT_FALSE(WriteSetting(dir, "A", "k", "1", &reason));
    EXPECT_EQ(ReadSetting(dir, "A", "k", "D"), "D");

    const std::string fifo = folder.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadSetting(fifo, "A", "k", "D"), "D");  // must not block
    EXPECT_FALSE(WriteSetting(fifo, "A", "k", "1"));

    const std::string dangling = folder.file("dangling.ini");
    ASSERT_EQ(::symlink(folder.file("nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_FALSE(WriteSetting(dangling, "A", "k", "1"));
    EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere")));
}

TEST(Settings, BatchIsAllOrNothing) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    ASSERT_TRUE(lintara::WriteSettings(path,
                                       {{"SSH", "Program", "ssh"},
                                        {"SSH", "Options", "HOST"},
                                        {"DefaultConnection", "Type", "SSH"}},
                                       nullptr));
    EXPECT_EQ(ReadFile(path),
              "[SSH]\r\nProgram=ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n");
}

}  // namespace
