// Terminal windows that run a program with its arguments kept apart, never through a
// shell: how each common terminal does it, and which ones cannot.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/start_command.h"

namespace lintara::posix {

struct TerminalWay {
    std::string_view name;
    // The switch after which the terminal takes a program and its arguments, each
    // as one argument; empty when they follow the terminal's own options at once.
    std::string_view runSwitch;
    // False for a terminal that joins the words it is given and hands them to a
    // shell or re-splits them: no host ever reaches such a terminal.
    bool keepsArguments;
};

// Every terminal Lintara knows, in the order it picks one when it has to.
const std::vector<TerminalWay>& Terminals();

// The terminal a program path stands for: its own name after following links
// (x-terminal-emulator leads to the terminal it names), a ".wrapper" script taken as
// its terminal. None when it is no terminal Lintara knows.
std::optional<TerminalWay> TerminalOf(const std::string& programPath);

// A terminal window running words[0] with the rest of words as its arguments: the
// one x-terminal-emulator names when that keeps arguments apart, else the first on
// PATH that does. None, with *reason saying why, when there is no such terminal.
std::optional<Command> InTerminal(const std::vector<std::string>& words, std::string* reason);

// A configured command whose program is a terminal, run the safe way: what follows
// "-e" (the switch every terminal takes in xterm's sense) or the terminal's own run
// switch becomes separate arguments of the terminal's own way. x-terminal-emulator
// may lead to another terminal when the one it names offers no such way; a terminal
// named directly that offers none is refused. Any other command comes back as it is.
std::optional<Command> ThroughTerminal(const Command& command, std::string* reason);

}  // namespace lintara::posix
