// The Windows services against the real system: file tests, the program's folder and
// command line, and starting programs without waiting for them.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "core/platform.h"
#include "platform/win32/win32_services.h"
#include "tests/support/Record.h"
#include "tests/support/TempFolder.h"

namespace {

using lintara::StartResult;
using lintara::Win32Services;
using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

using Record = std::map<std::string, std::string>;

// Waits for the child's whole record; none means the child never ran. Under Wine the
// record can show under its name while the child's move still holds it open, and then
// reads as nothing: it is read again until it ends with "waited", the child's last field.
std::optional<Record> WaitForRecord(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(path)) {
            const auto fields = lintara::test::ParseFields(ReadFile(path));
            if (fields && !fields->empty() && fields->back().first == "waited")
                return Record(fields->begin(), fields->end());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

class Win32ServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_record = m_folder.file("child.record");
        ::SetEnvironmentVariableA("LINTARA_CHILD_RECORD", m_record.c_str());
        ::SetEnvironmentVariableA("LINTARA_CHILD_EVENT", nullptr);
    }
    void TearDown() override { ::SetEnvironmentVariableA("LINTARA_CHILD_RECORD", nullptr); }

    // The child program copied into a folder whose name has blanks.
    std::string ChildInFolderWithBlanks() {
        const auto folder = m_folder.path() / "Program Files" / "Remote Tools";
        std::filesystem::create_directories(folder);
        const auto copy = folder / LINTARA_CHILD;
        std::filesystem::copy_file(
            std::filesystem::path(m_services.ApplicationFolder()) / LINTARA_CHILD, copy);
        return copy.string();
    }

    Win32Services m_services;
    TempFolder m_folder;
    std::string m_record;
};

TEST_F(Win32ServicesTest, FileExistsOnlyForOrdinaryFiles) {
    struct Case {
        const char* name;
        DWORD attributes;  // 0: a folder instead of a file
        bool expected;
    };
    const Case cases[] = {
        {"plain.exe", FILE_ATTRIBUTE_NORMAL, true},
        {"readonly.exe", FILE_ATTRIBUTE_READONLY, true},
        {"archived.exe", FILE_ATTRIBUTE_ARCHIVE, true},
        {"hidden.exe", FILE_ATTRIBUTE_HIDDEN, false},
        {"system.exe", FILE_ATTRIBUTE_SYSTEM, false},
        {"folder.exe", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_folder.file(c.name);
        if (c.attributes == 0) {
            std::filesystem::create_directory(path);
        } else {
            WriteFile(path, "MZ");
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.attributes));
        }
        EXPECT_EQ(m_services.FileExists(path), c.expected);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_FALSE(m_services.FileExists(m_folder.file("missing.exe")));
    EXPECT_FALSE(m_services.FileExists(m_folder.file("missing") + "\\inner.exe"));
    EXPECT_FALSE(m_services.FileExists(""));
}

TEST_F(Win32ServicesTest, ApplicationFolderHoldsThisProgram) {
    const std::string folder = m_services.ApplicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(m_services.FileExists(folder + "\\" + LINTARA_CHILD));
    EXPECT_EQ(lintara::SettingsPathOf(m_services), folder + "\\Lintara.ini");
}

TEST(Win32CommandLine, ArgumentsFollowTheProgramName) {
    const struct {
        const wchar_t* line;
        const wchar_t* arguments;
    } cases[] = {
        {L"\"C:\\Program Files\\Lintara\\Lintara.exe\" lintara://srv01/", L"lintara://srv01/"},
        {L"Lintara.exe   a  b ", L"a  b "},
        {L"Lintara.exe\tx", L"x"},
        {L"Lintara.exe", L""},
        {L"\"C:\\a b\\Lintara.exe\"", L""},
        {L"\"C:\\a b\\Lintara.exe\"x y", L"x y"},
        {L"\"C:\\a b\\Lintara.exe\" \"quoted arg\" \\\\srv\\c$", L"\"quoted arg\" \\\\srv\\c$"},
        {L"\"unterminated name", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lintara::win32::ArgumentsOf(c.line), c.arguments);
    }
}

// Each line is started as it stands: the child sees exactly that command line and the
// window style, and its services report its own folder and arguments.
TEST_F(Win32ServicesTest, StartedProgramSeesItsCommandLine) {
    const std::string child = ChildInFolderWithBlanks();
    const std::string childFolder = child.substr(0, child.find_last_of('\\'));
    const std::string here = m_services.ApplicationFolder();
    const std::string bare = std::string(LINTARA_CHILD).substr(0, std::strlen(LINTARA_CHILD) - 4);
    const struct {
        const char* name;
        std::string line;
        int style;
        std::string arguments, folder;
        std::string quotedByWine;  // Wine puts quotes round a program path it had to find
    } cases[] = {
        {"quoted path with blanks", "\"" + child + "\" lintara://srv01/ -x \"a b\"", 1,
         "lintara://srv01/ -x \"a b\"", childFolder, ""},
        {"unquoted path with blanks", child + " HOST  PORT", 1, "HOST  PORT", childFolder,
         "\"" + child + "\" HOST  PORT"},
        {"bare name beside the starter", bare + " -t srv01", 1, "-t srv01", here, ""},
        {"other window style", "\"" + child + "\"", SW_SHOWMINNOACTIVE, "", childFolder, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_record);
        const StartResult result = m_services.StartCommand(c.line, c.style);
        ASSERT_TRUE(result.started) << result.reason;
        EXPECT_NE(result.taskId, 0);
        const auto record = WaitForRecord(m_record);
        ASSERT_TRUE(record.has_value());
        if (c.quotedByWine.empty() || record->at("raw") != c.quotedByWine) {
            EXPECT_EQ(record->at("raw"), c.line);
        }
        EXPECT_EQ(record->at("arguments"), c.arguments);
        EXPECT_EQ(record->at("folder"), c.folder);
        EXPECT_EQ(record->at("usesShowWindow"), "yes");
        EXPECT_EQ(record->at("showWindow"), std::to_string(c.style));
    }
}

// The child waits for an event that is set only after StartCommand has returned: a
// start that waited for the program would leave the child to time out.
TEST_F(Win32ServicesTest, StartNeverWaitsForTheProgram) {
    const std::string child = ChildInFolderWithBlanks();
    const std::string name = "lintara-child-" + std::to_string(::GetCurrentProcessId());
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr);
    ::SetEnvironmentVariableA("LINTARA_CHILD_EVENT", name.c_str());
    const StartResult result =
        m_services.StartCommand("\"" + child + "\"", lintara::kWindowNormalFocus);
    ::SetEvent(event);
    ASSERT_TRUE(result.started) << result.reason;
    const auto record = WaitForRecord(m_record);
    ::CloseHandle(event);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->at("waited"), "signalled");
}

TEST_F(Win32ServicesTest, FailedStartsSayWhy) {
    WriteFile(m_folder.file("not a program.exe"), "plain text, no program");
    const std::string cases[] = {
        "",
        "\"" + m_folder.file("missing.exe") + "\" HOST",
        "lintara-no-such-program-anywhere -t HOST",
        "\"" + m_folder.file("not a program.exe") + "\"",
        "\"" + m_folder.path().string() + "\"",
    };
    for (const auto& line : cases) {
        SCOPED_TRACE(line);
        const StartResult result = m_services.StartCommand(line, lintara::kWindowNormalFocus);
        EXPECT_FALSE(result.started);
        EXPECT_FALSE(result.reason.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(m_record));
}

}  // namespace
