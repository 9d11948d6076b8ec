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
    const auto record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    const auto pid = static_cast<pid_t>(std::stol(record->pid));
    EXPECT_EQ(record->sid, record->pid);
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
        const long started = result.started ? 1 : 0;
        (void)!::write(report[1], &started, sizeof started);
        ::_exit(0);
    }
    ::unsetenv("LINTARA_RECORD_SLEEP");
    ::close(report[1]);
    long started = 0;
    ASSERT_EQ(::read(report[0], &started, sizeof started), static_cast<ssize_t>(sizeof started));
    ::close(report[0]);
    ::waitpid(launcher, nullptr, 0);
    ASSERT_EQ(started, 1);
    const auto record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    const long pid = std::stol(record->pid);
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

// The outcome of a task once it has ended, or Running when it is still going.
lintara::TaskOutcome Settled(lintara::PlatformServices& services, long task,
                             std::chrono::seconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    lintara::TaskOutcome outcome = services.PollTask(task);
    while (outcome.state == lintara::TaskState::Running &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        outcome = services.PollTask(task);
    }
    return outcome;
}

TEST_F(StartCommand, OutcomesOfStartedPrograms) {
    using lintara::TaskState;
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> environment;
        bool captureErrors;
        TaskState state;
        std::string status, errorOutput;
    };
    const std::vector<Case> cases = {
        {"exits 0", {}, false, TaskState::Succeeded, "exit status 0", ""},
        {"exits 1", {{"LINTARA_RECORD_EXIT", "1"}}, false, TaskState::Failed, "exit status 1", ""},
        {"killed",
         {{"LINTARA_RECORD_SIGNAL", "9"}},
         false,
         TaskState::Failed,
         "signal 9 (Killed)",
         ""},
        {"says why",
         {{"LINTARA_RECORD_SAY", "gio: no such share\n"}, {"LINTARA_RECORD_EXIT", "2"}},
         true,
         TaskState::Failed,
         "exit status 2",
         "gio: no such share\n"},
        // Asked again for a refused password: its own output tells why it gave up.
        {"asks again",
         {{"LINTARA_RECORD_PRINT", "Password: \nAuthentication Required\nPassword: "},
          {"LINTARA_RECORD_EXIT", "2"}},
         true,
         TaskState::Failed,
         "exit status 2",
         "Password: \nAuthentication Required\nPassword: "},
        {"prints, not captured",
         {{"LINTARA_RECORD_PRINT", "hello\n"}},
         false,
         TaskState::Succeeded,
         "exit status 0",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [name, value] : c.environment) ::setenv(name, value, 1);
        const auto result =
            lintara::posix::StartDetached({m_program, {m_program}, {}}, c.captureErrors);
        for (const auto& [name, value] : c.environment) ::unsetenv(name);
        ASSERT_TRUE(result.started) << result.reason;
        const auto outcome = Settled(m_services, result.taskId);
        EXPECT_EQ(outcome.state, c.state);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.errorOutput, c.errorOutput);
        EXPECT_EQ(outcome.program, m_program);
        EXPECT_EQ(outcome.ownCommand, c.captureErrors);
    }
    // One that runs on is still running, and not one of Lintara's own. Its record is
    // awaited afresh, so that it never writes into the folder after the test removed it.
    std::filesystem::remove(m_record);
    ::setenv("LINTARA_RECORD_SLEEP", "3", 1);
    const auto running = lintara::posix::StartDetached({m_program, {m_program}, {}});
    ::unsetenv("LINTARA_RECORD_SLEEP");
    const auto record = ReadRecord(m_record);
    ASSERT_TRUE(record);
    const auto outcome = m_services.PollTask(running.taskId);
    EXPECT_EQ(outcome.state, lintara::TaskState::Running);
    EXPECT_FALSE(outcome.ownCommand);
    ::kill(static_cast<pid_t>(std::stol(record->pid)), SIGKILL);
}

TEST_F(StartCommand, SecondStartWaitsForTheFirstToSucceed) {
    for (const bool firstSucceeds : {true, false}) {
        SCOPED_TRACE(firstSucceeds);
        std::filesystem::remove(m_record);
        const std::string firstRecord = m_folder.file("first.record");
        std::filesystem::remove(firstRecord);
        ::setenv("LINTARA_RECORD", firstRecord.c_str(), 1);
        ::setenv("LINTARA_RECORD_SLEEP", "1", 1);
        ::setenv("LINTARA_RECORD_EXIT", firstSucceeds ? "0" : "2", 1);
        const auto first = lintara::posix::StartDetached({m_program, {m_program}, {}}, true);
        ::unsetenv("LINTARA_RECORD_SLEEP");
        ::unsetenv("LINTARA_RECORD_EXIT");
        ::setenv("LINTARA_RECORD", m_record.c_str(), 1);
        const auto second =
            lintara::posix::StartAfter(first.taskId, {m_program, {m_program, "2"}, {}});
        ASSERT_TRUE(second.started);
        // Until the first has ended, the second has not started and counts as ours.
        EXPECT_TRUE(m_services.PollTask(second.taskId).ownCommand);
        EXPECT_FALSE(std::filesystem::exists(m_record));
        const auto outcome = Settled(m_services, second.taskId);
        EXPECT_EQ(outcome.state,
                  firstSucceeds ? lintara::TaskState::Succeeded : lintara::TaskState::Failed);
        EXPECT_EQ(std::filesystem::exists(m_record), firstSucceeds);
        EXPECT_TRUE(std::filesystem::exists(firstRecord));
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
