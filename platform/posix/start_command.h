// Starting programs on POSIX without a shell: resolving a Windows-style command line
// to a program and argv, and starting it detached.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"

namespace lintara::posix {

struct Command {
    std::string program;            // path handed to exec
    std::vector<std::string> argv;  // argv[0] is the program as written
    std::string standardInput;      // bytes the program reads on stdin (else /dev/null)
};

// An existing ordinary file, after following links.
bool IsRegularFile(const std::string& path);

// The program path for name: a name with a '/' is taken as it is (when it names an
// ordinary file); a bare name is looked up on PATH (executable files only).
std::optional<std::string> FindProgram(const std::string& name);

// Resolves a command line the way CreateProcess does: a quoted program name, or the
// shortest prefix up to a blank that names a program; the rest is split into
// arguments by the Windows C runtime rules. Empty with *reason set when none is found.
std::optional<Command> ResolveCommandLine(const std::string& commandLine, std::string* reason);

// Starts the command in its own session, detached: it survives this program, leaves
// no zombie, and a failed exec is reported. The task number it returns tells, through
// Outcome, how the program ended. With captureErrors the program's output and error
// output (its questions and its complaints, in the order written) are kept for Outcome: only for
// Lintara's own short commands, since a program still writing after Lintara has ended would write
// into a closed pipe.
StartResult StartDetached(const Command& command, bool captureErrors = false);

// Starts command once the task before has ended successfully, and not at all when
// it failed; the new task fails then, and counts as Lintara's own until it starts.
StartResult StartAfter(long before, const Command& command);

// What has become of a task so far; unknown numbers count as succeeded.
TaskOutcome Outcome(long taskId);

}  // namespace lintara::posix
