// Detached, shell-free program starts.
#include "platform/posix/start_command.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/command_line.h"

extern char** environ;

namespace lintara::posix {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (IsRegularFile(name)) return name;
        return std::nullopt;
    }
    const char* pathEnv = std::getenv("PATH");
    const std::string path = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= path.size()) {
        auto end = path.find(':', begin);
        if (end == std::string::npos) end = path.size();
        std::string_view folder = std::string_view(path).substr(begin, end - begin);
        if (folder.empty()) folder = ".";
        std::string candidate(folder);
        candidate += '/';
        candidate += name;
        if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return std::nullopt;
}

std::optional<Command> ResolveCommandLine(const std::string& commandLine, std::string* reason) {
    Command command;
    std::size_t rest = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const auto close = commandLine.find('"', 1);
        const std::string name =
            commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        rest = close == std::string::npos ? commandLine.size() : close + 1;
        auto found = FindProgram(name);
        if (!found) {
            if (reason) *reason = "program not found: " + name;
            return std::nullopt;
        }
        command.program = *found;
        command.argv.push_back(name);
    } else {
        // Unquoted: try each prefix that ends before a blank, shortest first.
        std::string firstWord;
        for (std::size_t end = 0; end <= commandLine.size(); ++end) {
            if (end < commandLine.size() && !IsBlank(commandLine[end])) continue;
            if (end == 0 || IsBlank(commandLine[end - 1])) continue;
            const std::string name = commandLine.substr(0, end);
            if (firstWord.empty()) firstWord = name;
            if (auto found = FindProgram(name)) {
                command.program = *found;
                command.argv.push_back(name);
                rest = end;
                break;
            }
        }
        if (command.program.empty()) {
            if (reason) {
                *reason = firstWord.empty() ? "the command line is empty"
                                            : "program not found: " + firstWord;
            }
            return std::nullopt;
        }
    }
    for (auto& arg : SplitArguments(std::string_view(commandLine).substr(rest))) {
        command.argv.push_back(std::move(arg));
    }
    return command;
}

namespace {

// Every task started in this run, filled in by the threads that reap them.
class TaskTable {
  public:
    long Add(const std::string& program, bool ownCommand) {
        std::lock_guard lock(m_mutex);
        TaskOutcome outcome;
        outcome.program = program;
        outcome.ownCommand = ownCommand;
        m_tasks.emplace(++m_last, std::move(outcome));
        return m_last;
    }
    void End(long id, TaskState state, std::string status, std::string errorOutput = {}) {
        {
            std::lock_guard lock(m_mutex);
            TaskOutcome& outcome = m_tasks[id];
            outcome.state = state;
            outcome.status = std::move(status);
            outcome.errorOutput = std::move(errorOutput);
        }
        m_ended.notify_all();
    }
    void SetOwn(long id, bool ownCommand) {
        std::lock_guard lock(m_mutex);
        m_tasks[id].ownCommand = ownCommand;
    }
    TaskOutcome Get(long id) {
        std::lock_guard lock(m_mutex);
        const auto it = m_tasks.find(id);
        if (it == m_tasks.end()) return {TaskState::Succeeded, {}, {}, {}, false};
        return it->second;
    }
    TaskOutcome WaitForEnd(long id) {
        std::unique_lock lock(m_mutex);
        m_ended.wait(lock, [&] {
            const auto it = m_tasks.find(id);
            return it == m_tasks.end() || it->second.state != TaskState::Running;
        });
        const auto it = m_tasks.find(id);
        return it == m_tasks.end() ? TaskOutcome{TaskState::Succeeded, {}, {}, {}, false}
                                   : it->second;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    std::map<long, TaskOutcome> m_tasks;
    long m_last = 0;
};

TaskTable& Tasks() {
    static TaskTable* table = new TaskTable;  // outlives the reaping threads at exit
    return *table;
}

constexpr std::size_t kKeptErrorOutput = 4096;

std::string StatusText(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = ::strsignal(signal);
        return "signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
    }
    return "status " + std::to_string(status);
}

// Reads what the program writes (when captured), then its end.
void Reap(long id, pid_t pid, int errors) {
    std::string kept;
    if (errors >= 0) {
        char buffer[1024];
        for (;;) {
            const ssize_t n = ::read(errors, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            kept.append(buffer, static_cast<std::size_t>(n));
            if (kept.size() > kKeptErrorOutput) kept.erase(0, kept.size() - kKeptErrorOutput);
        }
        ::close(errors);
    }
    int status = 0;
    pid_t ended;
    while ((ended = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (ended != pid) {
        Tasks().End(id, TaskState::Succeeded, {});
        return;
    }
    const bool success = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    Tasks().End(id, success ? TaskState::Succeeded : TaskState::Failed, StatusText(status),
                std::move(kept));
}

// posix_spawn in its own session; errors is the write end for its output and error
// output, or -1 to leave them as ours. Returns the process or the reason it did not start.
pid_t Spawn(const Command& command, int errors, std::string& reason) {
    std::vector<char*> argv;
    for (const auto& arg : command.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int input = -1;
    if (command.standardInput.empty()) {
        input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    } else {
        int pipeFds[2];
        if (command.standardInput.size() > 60000 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
            reason = "cannot prepare its input";
            return -1;
        }
        // Fits the pipe's buffer, so this never blocks.
        const ssize_t n =
            ::write(pipeFds[1], command.standardInput.data(), command.standardInput.size());
        ::close(pipeFds[1]);
        if (n != static_cast<ssize_t>(command.standardInput.size())) {
            ::close(pipeFds[0]);
            reason = "cannot prepare its input";
            return -1;
        }
        input = pipeFds[0];
    }
    if (input < 0) {
        reason = std::strerror(errno);
        return -1;
    }

    // posix_spawn shares our memory until exec instead of copying it as fork does, so
    // a start costs the same however large this process is, and a failed exec comes
    // back as its error.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    if (errors >= 0) {
        // Its questions too: a mount asked again for a refused password says so only there.
        posix_spawn_file_actions_adddup2(&actions, errors, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    }
    // No descriptor of ours leaks into the program.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    // Its own session: closing Lintara's terminal or window never takes it along.
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, command.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input);
    if (error != 0) {
        reason =
            error == ENOEXEC ? "it is not a program this system can run" : std::strerror(error);
        return -1;
    }
    return pid;
}

std::string ProgramName(const Command& command) {
    return command.argv.empty() ? command.program : command.argv.front();
}

}  // namespace

StartResult StartDetached(const Command& command, bool captureErrors) {
    StartResult result;
    int errorPipe[2] = {-1, -1};
    if (captureErrors && ::pipe2(errorPipe, O_CLOEXEC) != 0) captureErrors = false;
    const pid_t pid = Spawn(command, captureErrors ? errorPipe[1] : -1, result.reason);
    if (captureErrors) ::close(errorPipe[1]);
    if (pid < 0) {
        if (captureErrors) ::close(errorPipe[0]);
        return result;
    }
    const long id = Tasks().Add(ProgramName(command), captureErrors);
    // Reaped when it ends, so it never lingers as a zombie; if Lintara ends first, the
    // program is handed to the system and goes on.
    const int errors = captureErrors ? errorPipe[0] : -1;
    std::thread([id, pid, errors] { Reap(id, pid, errors); }).detach();
    result.started = true;
    result.taskId = id;
    return result;
}

StartResult StartAfter(long before, const Command& command) {
    const long id = Tasks().Add(ProgramName(command), true);
    std::thread([id, before, command] {
        const TaskOutcome first = Tasks().WaitForEnd(before);
        if (first.state != TaskState::Succeeded) {
            Tasks().End(id, TaskState::Failed, "not started, since " + first.program + " failed");
            return;
        }
        std::string reason;
        const pid_t pid = Spawn(command, -1, reason);
        if (pid < 0) {
            Tasks().End(id, TaskState::Failed, "could not be started: " + reason);
            return;
        }
        Tasks().SetOwn(id, false);
        Reap(id, pid, -1);
    }).detach();
    StartResult result;
    result.started = true;
    result.taskId = id;
    return result;
}

TaskOutcome Outcome(long taskId) {
    return Tasks().Get(taskId);
}

}  // namespace lintara::posix
