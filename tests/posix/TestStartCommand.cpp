// StartCommand for real: the recorder program stands in for a client.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_services.h"
#include "platform/posix/start_command.h"
#include "tests/support/Record.h"
#include "tests/support/TempFolder.h"

namespace {

using lintara::test::ReadRecord;
using lintara::test::TempFolder;

class StartCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        // The recorder copied to a name with blanks in its folder.
        m_programDir = m_folder.path() / "My Tools";
        std::filesystem::create_directories(m_programDir);
        m_program = (m_programDir / "client").string();
        std::filesystem::copy_file(LINTARA_RECORDER, m_program);
        m_record = m_folder.file("client.record");
        ::setenv("LINTARA_RECORD", m_record.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("LINTARA_RECORD"); }

    TempFolder m_folder;
    std::filesystem::path m_programDir;
    std::string m_program, m_record;
    lintara::PosixServices m_services{0, nullptr};
};

TEST_F(StartCommand, ArgvExactlyAsSplit) {
    struct Case {
        std::string arguments;
        std::vector<std::string> argv;
    };
    const std::vector<Case> cases = {
        {"-p 22 host", {"-p", "22", "host"}},
        {"\"two words\" x", {"two words", "x"}},
        {"a;touch X", {"a;touch", "X"}},
        {"$(touch X) `touch X` && touch X | x",
         {"$(touch", "X)", "`touch", "X`", "&&", "touch", "X", "|", "x"}},
        {"'single' \\\"q\\\"", {"'single'", "\"q\""}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(m_record);
        // Unquoted path with a blank in it: found by trying prefixes, like CreateProcess.
        const auto result = m_services.StartCommand(m_program + " " + c.arguments, 1);
        ASSERT_TRUE(result.started) << result.reason;
        const auto record = ReadRecord(m_record);
        ASSERT_TRUE(record.has_value());
        std::vector<std::string> want{m_program};
        want.insert(want.end(), c.argv.begin(), c.argv.end());
        EXPECT_EQ(record->argv, want);
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder.file("X")));
    EXPECT_FALSE(std::filesystem::exists("X"));
}

TEST_F(StartCommand, QuotedProgramAndPathSearch) {
    auto result = m_services.StartCommand("\"" + m_program + "\" one", 1);
    ASSERT_TRUE(result.started) << result.reason;
    auto record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->argv, (std::vector<std::string>{m_program, "one"}));

    // A bare name is looked up on PATH.
    std::filesystem::remove(m_record);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (m_programDir.string() + ":" + oldPath).c_str(), 1);
    result = m_services.StartCommand("client -t host", 1);
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(result.started) << result.reason;
    record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->argv, (std::vector<std::string>{"client", "-t", "host"}));
}

// State letter of a process ('Z' for a zombie), or 0 when it is gone.
char ProcessState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

bool GoneWithin(pid_t pid, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ProcessState(pid) != 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST_F(StartCommand, OwnSessionAndNoZombie) {
    ::setenv("LINTARA_RECORD_SLEEP", "1", 1);
    const auto result = m_services.StartCommand(m_program, 1);
    ::unsetenv("LINTARA_RECORD_SLEEP");
    ASSERT_TRUE(result.started) << result.reason;
    const auto pid = static_cast<pid_t>(result.taskId);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(ReadRecord(m_record));
    EXPECT_EQ(::getsid(pid), pid);
    // Once the recorder ends it is reaped, not left as a zombie.
    EXPECT_TRUE(GoneWithin(pid, std::chrono::seconds(10))) << "state " << ProcessState(pid);
}

TEST_F(StartCommand, SurvivesTheProgramThatStartedIt) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    ::setenv("LINTARA_RECORD_SLEEP", "3", 1);
    const pid_t launcher = ::fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
        // Starts the program and ends at once, as Lintara does after a Connect.
        const auto result = m_services.StartCommand(m_program, 1);
        const long pid = result.started ? result.taskId : 0;
        (void)!::write(report[1], &pid, sizeof pid);
        ::_exit(0);
    }
    ::unsetenv("LINTARA_RECORD_SLEEP");
    ::close(report[1]);
    long pid = 0;
    ASSERT_EQ(::read(report[0], &pid, sizeof pid), static_cast<ssize_t>(sizeof pid));
    ::close(report[0]);
    ::waitpid(launcher, nullptr, 0);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(ReadRecord(m_record));
    const char state = ProcessState(static_cast<pid_t>(pid));
    EXPECT_TRUE(state != 0 && state != 'Z') << "state " << state;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
}

TEST_F(StartCommand, FailedStartsAreReported) {
    const std::string plain = m_folder.file("not-executable");
    lintara::test::WriteFile(plain, "data");
    const std::string script = m_folder.file("script");
    lintara::test::WriteFile(script, "echo hi\n");  // no #! line: no shell may run it
    ::chmod(script.c_str(), 0755);
    const std::vector<std::string> lines = {m_folder.file("missing") + " x",
                                            "no-such-program-anywhere -t h",
                                            plain,
                                            script,
                                            m_folder.path().string(),
                                            "",
                                            "   "};
    for (const auto& line : lines) {
        SCOPED_TRACE(line);
        const auto result = m_services.StartCommand(line, 1);
        EXPECT_FALSE(result.started);
        EXPECT_FALSE(result.reason.empty());
    }
}

TEST_F(StartCommand, StandardInputReachesProgram) {
    lintara::posix::Command command{m_program, {m_program, "arg"}, "secret\n"};
    const auto result = lintara::posix::StartDetached(command);
    ASSERT_TRUE(result.started) << result.reason;
    const auto record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->standardInput, "secret\n");
}

}  // namespace
