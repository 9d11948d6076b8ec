// POSIX implementation of the OS services.
#include "platform/posix/posix_services.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "platform/posix/desktop_translation.h"
#include "platform/posix/start_command.h"
#include "platform/posix/terminals.h"

namespace lintara {

PosixServices::PosixServices(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (i > 1) m_commandLineText += ' ';
        m_commandLineText += argv[i];
    }
}

int PosixServices::ShowMessage(const std::string& text, int /*style*/, const std::string& title) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return 1;
}

StartResult PosixServices::StartCommand(const std::string& commandLine, int /*windowStyle*/) {
    // The launch's fixed lines are Windows commands; the desktop has its own equivalents.
    if (auto desktop = posix::TranslateForDesktop(commandLine, m_mappedDrives)) {
        if (!desktop->command) {
            StartResult failed;
            failed.reason = desktop->reason;
            return failed;
        }
        const auto mount = m_mountTasks.find(desktop->openedDrive);
        if (mount != m_mountTasks.end()) return posix::StartAfter(mount->second, *desktop->command);
        StartResult result = posix::StartDetached(*desktop->command, desktop->captureErrors);
        if (result.started && !desktop->drive.empty()) {
            m_mappedDrives[desktop->drive] = desktop->shareUrl;
            m_mountTasks[desktop->drive] = result.taskId;
        }
        return result;
    }
    std::string reason;
    auto command = posix::ResolveCommandLine(commandLine, &reason);
    // A terminal runs what it is given with the arguments kept apart, or not at all.
    if (command) command = posix::ThroughTerminal(*command, &reason);
    if (!command) {
        StartResult failed;
        failed.reason = reason;
        return failed;
    }
    return posix::StartDetached(*command);
}

TaskOutcome PosixServices::PollTask(long taskId) {
    return posix::Outcome(taskId);
}

bool PosixServices::FileExists(const std::string& path) {
    return posix::IsRegularFile(path);
}

std::string PosixServices::ApplicationFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    const std::string exe(buffer, static_cast<std::size_t>(n));
    const auto slash = exe.find_last_of('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string PosixServices::CommandLineText() {
    return m_commandLineText;
}

void PosixServices::EndProgram() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace lintara
