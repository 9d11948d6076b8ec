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

// Why a host handed on the command line (perhaps from a link on a web page) must not
// be used, or empty when it may. Only three shapes pass: a host name (ASCII letters,
// digits, "-" and "_", labels joined by ".", no label beginning or ending with "-",
// an optional final ".", at most 253 characters), an IPv4 address, or an IPv6
// address, bare or in brackets, as the system's address parser reads them.
std::string UntrustedHostProblem(const std::string& host);

// The text as it can be shown in a message: printable ASCII as it is, every other
// byte as \xNN, cut after maxLength characters with "..." added.
std::string ShownSafely(std::string_view text, std::size_t maxLength = 80);

// argv as the Microsoft C runtime builds it from a command line: the program name
// (up to the first blank outside quotes, quotes removed), then the arguments.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The arguments part alone (what follows the program name), by the same rules:
// blanks separate; quotes group; 2n backslashes before a quote give n and the quote
// toggles; 2n+1 give n and a literal quote; "" inside quotes gives a literal quote.
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace lintara
