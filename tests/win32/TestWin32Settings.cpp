// ReadSetting / WriteSetting through the Windows private-profile functions: whole
// values, all-or-nothing batches, failures that change nothing and say why.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <thread>

#include "core/settings.h"
#include "tests/support/TempFolder.h"

namespace {

using lintara::ReadSetting;
using lintara::WriteSetting;
using lintara::WriteSettings;
using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

std::set<std::string> FilesIn(const TempFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Files already in the functions' own layout keep every other byte.
TEST(Win32Settings, WritesEditInPlace) {
    const struct {
        const char* name;
        std::string before, section, key, value, readBack, after;
    } cases[] = {
        {"missing file is created", "", "FTP", "Program", "ftp.exe", "ftp.exe",
         "[FTP]\r\nProgram=ftp.exe\r\n"},
        {"missing section appended", "[VNC]\r\nProgram=v\r\n", "FTP", "Options", "HOST", "HOST",
         "[VNC]\r\nProgram=v\r\n[FTP]\r\nOptions=HOST\r\n"},
        {"new key after the section's keys", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "a", "j", "3", "3",
         "[A]\r\nk=1\r\nj=3\r\n[B]\r\nk=2\r\n"},
        {"empty value stays a key", "[VNC]\r\nOptions=x\r\n", "VNC", "Options", "", "",
         "[VNC]\r\nOptions=\r\n"},
        {"key keeps its spelling", "[SSH]\r\nPROGRAM=old\r\n", "ssh", "Program", "new", "new",
         "[SSH]\r\nPROGRAM=new\r\n"},
        {"quotes stored, read without", "", "RemoteDesktop", "Program",
         "\"C:\\Program Files\\r.exe\"", "C:\\Program Files\\r.exe",
         "[RemoteDesktop]\r\nProgram=\"C:\\Program Files\\r.exe\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("Lintara.ini");
        if (!c.before.empty()) WriteFile(path, c.before);
        ASSERT_TRUE(WriteSetting(path, c.section, c.key, c.value));
        EXPECT_EQ(ReadSetting(path, c.section, c.key, "NOTCONFIGURED"), c.readBack);
        EXPECT_EQ(ReadFile(path), c.after);
        EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Lintara.ini"});
    }
}

// Files in another layout may be rewritten, but every value reads as before.
TEST(Win32Settings, OtherLayoutsKeepTheirValues) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "; mine\n[A]\n  k = 1  \n\n[B]\nk=2\n");
    ASSERT_TRUE(WriteSetting(path, "B", "k", "3"));
    EXPECT_EQ(ReadSetting(path, "A", "k", "D"), "1");
    EXPECT_EQ(ReadSetting(path, "B", "k", "D"), "3");
}

TEST(Win32Settings, ValuesAndDefaultsComeBackWhole) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    for (std::size_t size : {254u, 255u, 300u, 511u, 5000u}) {
        SCOPED_TRACE(size);
        std::string value;
        for (std::size_t i = 0; i < size; ++i) value += static_cast<char>('a' + i % 26);
        ASSERT_TRUE(WriteSetting(path, "RemoteDesktop", "Options", value));
        EXPECT_EQ(ReadSetting(path, "RemoteDesktop", "Options", ""), value);
        EXPECT_EQ(ReadSetting(path, "RemoteDesktop", "Missing", value + "   "), value);
    }
}

TEST(Win32Settings, AnsiBytesGoThroughUnchanged) {
    if (::GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << ::GetACP();
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    ASSERT_TRUE(WriteSetting(path, "FTP", "Options", "caf\xE9 \x80"));
    EXPECT_EQ(ReadFile(path), "[FTP]\r\nOptions=caf\xE9 \x80\r\n");
    EXPECT_EQ(ReadSetting(path, "FTP", "Options", ""), "caf\xE9 \x80");
}

TEST(Win32Settings, BatchLandsInOneReplacement) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[SSH]\r\nProgram=old\r\n");
    ASSERT_TRUE(WriteSettings(path,
                              {{"SSH", "Program", "ssh"},
                               {"SSH", "Options", "HOST"},
                               {"DefaultConnection", "Type", "SSH"}},
                              nullptr));
    EXPECT_EQ(ReadFile(path),
              "[SSH]\r\nProgram=ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n");
    EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Lintara.ini"});
}

// Every refused write leaves the file as it was, no copy behind, and a reason.
TEST(Win32Settings, FailedWritesChangeNothingAndSayWhy) {
    const std::string before = "[A]\r\nk=1\r\n";
    // Each case spoils the settings file in its own way and names the path to write.
    const struct {
        const char* name;
        std::string (*prepare)(const TempFolder& folder, const std::string& path);
    } cases[] = {
        {"read-only file",
         [](const TempFolder&, const std::string& path) {
             ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
             return path;
         }},
        {"path is a folder",
         [](const TempFolder&, const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
             return path;
         }},
        {"folder missing",
         [](const TempFolder& folder, const std::string&) {
             return folder.file("gone") + "\\Lintara.ini";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        WriteFile(folder.file("Lintara.ini"), before);
        const std::string path = c.prepare(folder, folder.file("Lintara.ini"));
        const auto filesBefore = FilesIn(folder);
        std::string reason;
        EXPECT_FALSE(WriteSettings(path, {{"A", "k", "2"}, {"B", "j", "3"}}, &reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(FilesIn(folder), filesBefore);
        if (std::filesystem::is_regular_file(path)) {
            EXPECT_EQ(ReadFile(path), before);
        }
        EXPECT_EQ(ReadSetting(path, "B", "j", "D"), "D");
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// Another program holding the file open without sharing: nothing is written.
TEST(Win32Settings, FileInUseIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[A]\r\nk=1\r\n");
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string reason;
    EXPECT_FALSE(WriteSetting(path, "A", "k", "2", &reason));
    EXPECT_FALSE(reason.empty());
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(path), "[A]\r\nk=1\r\n");
    EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Lintara.ini"});
}

// A copy left by a writer that died is cleared by the next write; other files stay.
TEST(Win32Settings, StaleCopiesAreCleared) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[A]\r\nk=1\r\n");
    WriteFile(folder.file("~Lintara.ini.123456.tmp"), "[A]\r\nk=half\r\n");
    WriteFile(folder.file("~Lintara.ini.mine.tmp"), "keep");
    ASSERT_TRUE(WriteSetting(path, "A", "k", "2"));
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"Lintara.ini", "~Lintara.ini.mine.tmp"}));
    EXPECT_EQ(ReadSetting(path, "A", "k", "D"), "2");
}

// Writers at the same time each keep their update: none works on a stale copy.
TEST(Win32Settings, ConcurrentWritersLoseNothing) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    constexpr int kKeys = 25;
    auto writer = [&](const std::string& section) {
        for (int i = 0; i < kKeys; ++i) WriteSetting(path, section, "k" + std::to_string(i), "v");
    };
    std::thread first(writer, "First"), second(writer, "Second");
    first.join();
    second.join();
    for (const char* section : {"First", "Second"}) {
        for (int i = 0; i < kKeys; ++i) {
            EXPECT_EQ(ReadSetting(path, section, "k" + std::to_string(i), "lost"), "v")
                << section << " k" << i;
        }
    }
}

}  // namespace
