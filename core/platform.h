// The operating-system services the logic relies on, behind one interface so the
// windows and the launch can be tested with fakes.
#pragma once

#include <memory>
#include <string>

namespace lintara {

// Message box style used by every message: error icon and a single OK button.
constexpr int kStyleError = 16;
// Window style used by every start: a normal window that receives the focus.
constexpr int kWindowNormalFocus = 1;

// Outcome of StartCommand. started is false when the program could not be started
// at all (not found, not executable, exec failed); reason then says why, in words.
struct StartResult {
    bool started = false;
    long taskId = 0;
    std::string reason;
};

// What has become of a started program, as far as is known at the moment of asking.
enum class TaskState { Running, Succeeded, Failed };
struct TaskOutcome {
    TaskState state = TaskState::Running;
    std::string program;      // as the user knows it: the name it was started by
    std::string status;       // how it failed: "exit status 2", "signal 9 (Killed)"
    std::string errorOutput;  // the end of its error output, where it was captured
    // One of Lintara's own short commands (a mount): worth waiting for past the watch.
    bool ownCommand = false;
};

class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    // Modal: returns only after the user has closed the box. Text and title are shown
    // exactly, trailing blanks included. Returns the button pressed (1 for OK).
    virtual int ShowMessage(const std::string& text, int style, const std::string& title) = 0;

    // Starts the command line and returns at once, never waiting for the program.
    // The line names the program first (in double quotes when its path has blanks, or
    // a bare name found on the search path), then its arguments. Never runs a shell.
    virtual StartResult StartCommand(const std::string& commandLine, int windowStyle) = 0;

    // The outcome so far of a program started with StartCommand, by its task number.
    // Never blocks. An unknown task number counts as succeeded.
    virtual TaskOutcome PollTask(long taskId) = 0;

    // True only for an existing ordinary file; folders and missing paths give false.
    virtual bool FileExists(const std::string& path) = 0;

    // Folder that holds the executable, without a trailing separator.
    virtual std::string ApplicationFolder() = 0;

    // The separator between a folder and a file name on this platform.
    virtual char PathSeparator() const = 0;

    // The program's arguments as one string, without the program's own name.
    virtual std::string CommandLineText() = 0;

    // Ends the program at once. Real implementations do not return; fakes may, so
    // callers return straight after calling it.
    virtual void EndProgram() = 0;
};

// The settings file beside the executable, as both windows compute it.
inline std::string SettingsPathOf(PlatformServices& services) {
    return services.ApplicationFolder() + services.PathSeparator() + "Lintara.ini";
}

// The services of the platform this program was built for, without any GUI:
// ShowMessage writes to standard error. argc/argv are main's.
std::unique_ptr<PlatformServices> CreatePlatformServices(int argc, char** argv);

}  // namespace lintara
