// Detached, shell-free program starts.
#include "platform/posix/start_command.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/command_line.h"

extern char** environ;

namespace lintara::posix {
namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What the helper processes tell the parent through the status pipe.
struct Report {
    int kind;  // kPid or kError
    int value;
};
constexpr int kPid = 1;
constexpr int kError = 2;

void SendReport(int fd, int kind, int value) {
    const Report report{kind, value};
    while (::write(fd, &report, sizeof report) < 0 && errno == EINTR) {
    }
}

}  // namespace

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
        std::string folder = path.substr(begin, end - begin);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + name;
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

StartResult StartDetached(const Command& command) {
    StartResult result;
    // Everything the children need is prepared here: after fork only async-signal-safe
    // calls are allowed.
    std::vector<char*> argv;
    for (const auto& arg : command.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int input = -1;
    if (command.standardInput.empty()) {
        input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    } else {
        int pipeFds[2];
        if (command.standardInput.size() > 60000 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
            result.reason = "cannot prepare its input";
            return result;
        }
        // Fits the pipe's buffer, so this never blocks.
        const ssize_t n =
            ::write(pipeFds[1], command.standardInput.data(), command.standardInput.size());
        ::close(pipeFds[1]);
        if (n != static_cast<ssize_t>(command.standardInput.size())) {
            ::close(pipeFds[0]);
            result.reason = "cannot prepare its input";
            return result;
        }
        input = pipeFds[0];
    }
    if (input < 0) {
        result.reason = std::strerror(errno);
        return result;
    }

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        result.reason = std::strerror(errno);
        ::close(input);
        return result;
    }

    const pid_t child = ::fork();
    if (child < 0) {
        result.reason = std::strerror(errno);
        ::close(input);
        ::close(status[0]);
        ::close(status[1]);
        return result;
    }
    if (child == 0) {
        // Intermediate process: a new session, then the real program in a grandchild
        // so that it is reparented and never left as our zombie.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            SendReport(status[1], kError, errno);
            ::_exit(127);
        }
        if (grandchild > 0) {
            SendReport(status[1], kPid, static_cast<int>(grandchild));
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction defaults;
        std::memset(&defaults, 0, sizeof defaults);
        defaults.sa_handler = SIG_DFL;
        for (int s = 1; s < NSIG; ++s) ::sigaction(s, &defaults, nullptr);
        if (::dup2(input, STDIN_FILENO) < 0) {
            SendReport(status[1], kError, errno);
            ::_exit(127);
        }
        // No descriptor of ours leaks into the program (the status pipe closes on exec).
        ::syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */);
        ::execve(command.program.c_str(), argv.data(), environ);
        SendReport(status[1], kError, errno);
        ::_exit(127);
    }

    ::close(input);
    ::close(status[1]);
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    Report report;
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(status[0], &report, sizeof report);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof report)) break;
        if (report.kind == kPid) result.taskId = report.value;
        if (report.kind == kError) error = report.value;
    }
    ::close(status[0]);
    if (error != 0) {
        result.reason = std::strerror(error);
        if (error == ENOEXEC) result.reason = "it is not a program this system can run";
        return result;
    }
    if (result.taskId == 0) {
        result.reason = "the program could not be started";
        return result;
    }
    result.started = true;
    return result;
}

}  // namespace lintara::posix
