// The OS services on Windows, without any GUI: kernel32 and CreateProcess.
#pragma once

#include <map>
#include <string>

#include "core/platform.h"

namespace lintara {

class Win32Services : public PlatformServices {
  public:
    // Without a GUI the message goes to standard error.
    int ShowMessage(const std::string& text, int style, const std::string& title) override;
    StartResult StartCommand(const std::string& commandLine, int windowStyle) override;
    TaskOutcome PollTask(long taskId) override;
    bool FileExists(const std::string& path) override;
    std::string ApplicationFolder() override;
    char PathSeparator() const override { return '\\'; }
    std::string CommandLineText() override;
    void EndProgram() override;

  private:
    // The process handle of each task and the program it was started as, kept for
    // PollTask. A launcher starts a handful of programs in a run.
    struct Task {
        void* process;
        std::string program;
    };
    std::map<long, Task> m_tasks;
    long m_lastTask = 0;
};

namespace win32 {

// What follows the program's name in a raw command line, by the C runtime's rule for
// that name (in double quotes up to the next quote, else up to the first blank),
// without the blanks after it.
std::wstring ArgumentsOf(const std::wstring& commandLine);

}  // namespace win32

}  // namespace lintara
