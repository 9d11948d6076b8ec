// The program's own command line (the host it may be handed) and the splitting of a
// Windows command line into a program and its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lintara {

// The third "/"-separated field ("lintara://HOST/" gives HOST), used unchanged;
// empty when the text holds fewer than two "/".
std::string HostFromCommandLine(const std::string& commandLineText);

// Why a host handed on the command line (perhaps from a link) must not be used, or
// empty when it may: it would reach a client as an option (starts with "-"), or it
// holds a blank, a tab, a control character or a quote.
std::string UntrustedHostProblem(const std::string& host);

// argv as the Microsoft C runtime builds it from a command line: the program name
// (up to the first blank outside quotes, quotes removed), then the arguments.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The arguments part alone (what follows the program name), by the same rules:
// blanks separate; quotes group; 2n backslashes before a quote give n and the quote
// toggles; 2n+1 give n and a literal quote; "" inside quotes gives a literal quote.
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace lintara
