// Detached, shell-free program starts.
#include "platform/posix/start_command.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
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

StartResult StartDetached(const Command& command) {
    StartResult result;
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

    // posix_spawn shares our memory until exec instead of copying it as fork does, so
    // a start costs the same however large this process is, and a failed exec comes
    // back as its error.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
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
        result.reason =
            error == ENOEXEC ? "it is not a program this system can run" : std::strerror(error);
        return result;
    }
    // Reaped when it ends, so it never lingers as a zombie; if Lintara ends first, the
    // program is handed to the system and goes on.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    result.started = true;
    result.taskId = pid;
    return result;
}

}  // namespace lintara::posix
