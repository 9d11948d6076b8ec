// Windows implementation of the OS services.
#include "platform/win32/win32_services.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/command_line.h"
#include "platform/win32/text_convert.h"

namespace lintara {

using win32::ErrorText;
using win32::Narrow;
using win32::Widen;

namespace win32 {

std::wstring ArgumentsOf(const std::wstring& commandLine) {
    std::size_t p = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const auto close = commandLine.find(L'"', 1);
        p = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (p < commandLine.size() && commandLine[p] != L' ' && commandLine[p] != L'\t') ++p;
    }
    while (p < commandLine.size() && (commandLine[p] == L' ' || commandLine[p] == L'\t')) ++p;
    return commandLine.substr(p);
}

}  // namespace win32

int Win32Services::ShowMessage(const std::string& text, int /*style*/, const std::string& title) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return IDOK;
}

StartResult Win32Services::StartCommand(const std::string& commandLine, int windowStyle) {
    StartResult result;
    if (commandLine.empty()) {
        result.reason = "the command line is empty";
        return result;
    }
    // CreateProcessW may write into the command line, so it gets its own copy.
    const std::wstring wide = Widen(commandLine);
    std::vector<wchar_t> line(wide.begin(), wide.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        result.reason = ErrorText(::GetLastError());
        return result;
    }
    ::CloseHandle(process.hThread);
    const auto words = SplitCommandLine(commandLine);
    result.started = true;
    result.taskId = ++m_lastTask;
    m_tasks[result.taskId] = {process.hProcess, words.empty() ? commandLine : words.front()};
    return result;
}

TaskOutcome Win32Services::PollTask(long taskId) {
    TaskOutcome outcome;
    const auto it = m_tasks.find(taskId);
    if (it == m_tasks.end()) {
        outcome.state = TaskState::Succeeded;
        return outcome;
    }
    outcome.program = it->second.program;
    DWORD code = 0;
    if (::WaitForSingleObject(it->second.process, 0) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(it->second.process, &code)) {
        return outcome;
    }
    outcome.state = code == 0 ? TaskState::Succeeded : TaskState::Failed;
    outcome.status = "exit status " + std::to_string(code);
    return outcome;
}

bool Win32Services::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::string Win32Services::ApplicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut: the name was longer than the buffer
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? "." : Narrow(path.substr(0, slash));
}

std::string Win32Services::CommandLineText() {
    return Narrow(win32::ArgumentsOf(::GetCommandLineW()));
}

void Win32Services::EndProgram() {
    std::fflush(nullptr);
    ::ExitProcess(0);
}

}  // namespace lintara
