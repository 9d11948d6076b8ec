// Settings files that are not what they should be: every read gives a value or the
// default, every write either works or is refused with a reason and changes nothing.
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

namespace {

using lintara::ReadSetting;
using lintara::WriteSetting;
using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

struct Hostile {
    const char* name;
    std::function<void(const std::string& path, const TempFolder&)> make;
    bool writable;  // a write may succeed (and must then read back)
};

bool IsFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

std::string Utf16(const std::string& ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

const std::vector<Hostile>& Cases() {
    static const std::vector<Hostile> cases = {
        {"folder",
         [](const std::string& p, const TempFolder&) { std::filesystem::create_directory(p); },
         false},
        {"fifo", [](const std::string& p, const TempFolder&) { ::mkfifo(p.c_str(), 0600); }, false},
        {"dangling link",
         [](const std::string& p, const TempFolder& f) {
             ::symlink(f.file("gone").c_str(), p.c_str());
         },
         false},
        {"link loop",
         [](const std::string& p, const TempFolder& f) {
             ::symlink(f.file("loop").c_str(), p.c_str());
             ::symlink(p.c_str(), f.file("loop").c_str());
         },
         false},
        {"binary garbage",
         [](const std::string& p, const TempFolder&) {
             std::string bytes;
             for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 7919) % 256));
             WriteFile(p, bytes);
         },
         true},
        {"NUL bytes",
         [](const std::string& p, const TempFolder&) {
             WriteFile(p, std::string("[SSH]\r\nProg\0ram=x\r\nOptions=a\0b\r\n", 30));
         },
         true},
        {"50 MB single line",
         [](const std::string& p, const TempFolder&) { WriteFile(p, std::string(50 << 20, 'k')); },
         true},
        {"invalid UTF-8",
         [](const std::string& p, const TempFolder&) {
             WriteFile(p, "[SSH]\r\nProgram=\xC3\x28\xFF\xFE/bin/ssh\r\n");
         },
         true},
        {"UTF-16 with byte-order mark",
         [](const std::string& p, const TempFolder&) {
             WriteFile(p, Utf16("[SSH]\r\nProgram=/bin/ssh\r\n"));
         },
         true},
    };
    return cases;
}

TEST(HostileSettings, ReadsAndWritesStaySane) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("Lintara.ini");
        c.make(path, folder);
        const std::string before = IsFile(path) ? ReadFile(path) : "";

        const std::string read = ReadSetting(path, "DefaultConnection", "Type", "NOTCONFIGURED");
        EXPECT_EQ(read, "NOTCONFIGURED");

        std::string reason;
        const bool written = WriteSetting(path, "SSH", "Options", "-p PORT HOST", &reason);
        EXPECT_EQ(written, c.writable) << reason;
        if (written) {
            EXPECT_EQ(ReadSetting(path, "SSH", "Options", ""), "-p PORT HOST");
        } else {
            EXPECT_FALSE(reason.empty());
            if (IsFile(path)) {
                EXPECT_EQ(ReadFile(path), before);
            }
            EXPECT_FALSE(std::filesystem::exists(folder.file("gone")));
        }
    }
}

TEST(HostileSettings, OddValuesReadAsStored) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[SSH]\r\nProgram=\xC3\x28\xFF/bin/ssh\r\n");
    EXPECT_EQ(ReadSetting(path, "SSH", "Program", ""), "\xC3\x28\xFF/bin/ssh");
    WriteFile(path, Utf16("[SSH]\r\nProgram=/bin/ssh\r\n"));
    EXPECT_EQ(ReadSetting(path, "SSH", "Program", ""), "/bin/ssh");
    ASSERT_TRUE(WriteSetting(path, "SSH", "Options", "HOST"));
    EXPECT_EQ(ReadFile(path).substr(0, 2), "\xFF\xFE");  // stays UTF-16
}

TEST(HostileSettings, UnreadableFileGivesDefaults) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    WriteFile(path, "[DefaultConnection]\r\nType=VNC\r\n");
    ::chmod(path.c_str(), 0);
    EXPECT_TRUE(lintara::test::Unprivileged([&] {
        std::string reason;
        return ReadSetting(path, "DefaultConnection", "Type", "NOTCONFIGURED") == "NOTCONFIGURED" &&
               !WriteSetting(path, "SSH", "Options", "x", &reason) && !reason.empty();
    }));
}

}  // namespace
