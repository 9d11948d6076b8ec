// The table of terminals and how each one runs a program.
#include "platform/posix/terminals.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace lintara::posix {
namespace {

constexpr std::string_view kAnyTerminal = "x-terminal-emulator";
constexpr std::string_view kXtermSwitch = "-e";

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<TerminalWay> WayNamed(std::string name) {
    constexpr std::string_view wrapper = ".wrapper";
    if (name.ends_with(wrapper)) name.resize(name.size() - wrapper.size());
    for (const auto& way : Terminals()) {
        if (way.name == name) return way;
    }
    return std::nullopt;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The terminal x-terminal-emulator names, when it is one we know.
std::optional<TerminalWay> NamedByAlternative(std::string* path) {
    const auto found = FindProgram(std::string(kAnyTerminal));
    if (!found) return std::nullopt;
    const std::string real = RealPath(*found);
    if (path) *path = real;
    return WayNamed(BaseName(real));
}

// A terminal that keeps arguments apart: the alternative's choice first, then the table.
std::optional<std::pair<TerminalWay, std::string>> PickTerminal(std::string* reason) {
    std::string named;
    const auto chosen = NamedByAlternative(&named);
    if (chosen && chosen->keepsArguments) {
        // A ".wrapper" translates xterm's switches itself: the terminal is called directly.
        if (const auto path = FindProgram(std::string(chosen->name))) return {{*chosen, *path}};
    }
    std::string passed;
    if (!named.empty()) {
        passed = " (x-terminal-emulator is " + BaseName(named) +
                 (chosen ? ", which hands its command to a shell or splits it anew)" : ")");
    }
    for (const auto& way : Terminals()) {
        if (!way.keepsArguments) continue;
        if (const auto path = FindProgram(std::string(way.name))) return {{way, *path}};
    }
    if (reason) {
        *reason = "no terminal was found that runs a program with its arguments kept apart" +
                  passed + "; install one, for example the Debian package xterm";
    }
    return std::nullopt;
}

// The Debian packages of the programs the sample settings run in a terminal.
std::string PackageHint(const std::string& program) {
    static constexpr std::pair<std::string_view, std::string_view> kPackages[] = {
        {"ssh", "openssh-client"},
        {"telnet", "telnet"},
        {"lftp", "lftp"},
        {"ping", "iputils-ping"}};
    const std::string name = BaseName(program);
    for (const auto& [known, package] : kPackages) {
        if (name == known) return " (Debian package " + std::string(package) + ")";
    }
    return {};
}

// A terminal told to run a missing program shows its complaint for an instant and
// closes, or leaves a bare shell: nothing is started then, and the program is named.
bool Runnable(const std::vector<std::string>& words, std::string* reason) {
    if (words.empty() || FindProgram(words.front())) return true;
    if (reason) {
        *reason = words.front() + " was not found" +
                  (words.front().find('/') == std::string::npos ? " on PATH" : "") +
                  PackageHint(words.front());
    }
    return false;
}

Command Compose(const TerminalWay& way, const std::string& path,
                const std::vector<std::string>& own, const std::vector<std::string>& words) {
    Command command{path, {std::string(way.name)}, {}};
    command.argv.insert(command.argv.end(), own.begin(), own.end());
    if (!way.runSwitch.empty() && !words.empty()) command.argv.emplace_back(way.runSwitch);
    command.argv.insert(command.argv.end(), words.begin(), words.end());
    return command;
}

}  // namespace

const std::vector<TerminalWay>& Terminals() {
    static const std::vector<TerminalWay> table = {
        {"gnome-terminal", "--", true},
        {"konsole", "-e", true},
        {"xfce4-terminal", "-x", true},
        {"mate-terminal", "-x", true},
        {"lxterminal", "-e", true},
        {"qterminal", "-e", true},
        {"terminator", "-x", true},
        {"kitty", "", true},
        {"alacritty", "-e", true},
        {"foot", "", true},
        {"urxvt", "-e", true},
        {"rxvt-unicode", "-e", true},
        {"st", "-e", true},
        {"stterm", "-e", true},
        {"xterm", "-e", true},
        {"uxterm", "-e", true},
        {"lxterm", "-e", true},
        {"koi8rxterm", "-e", true},
        // These join what follows their switch into one text: terminology hands it to
        // a shell, tilix and sakura split it anew by quoting rules of their own.
        {"terminology", "-e", false},
        {"tilix", "-e", false},
        {"sakura", "-e", false},
    };
    return table;
}

std::optional<TerminalWay> TerminalOf(const std::string& programPath) {
    if (auto way = WayNamed(BaseName(programPath))) return way;
    return WayNamed(BaseName(RealPath(programPath)));
}

std::optional<Command> InTerminal(const std::vector<std::string>& words, std::string* reason) {
    const auto picked = PickTerminal(reason);
    if (!picked) return std::nullopt;
    return Compose(picked->first, picked->second, {}, words);
}

std::optional<Command> ThroughTerminal(const Command& command, std::string* reason) {
    const bool any = BaseName(command.program) == kAnyTerminal ||
                     (!command.argv.empty() && BaseName(command.argv[0]) == kAnyTerminal);
    const auto way = any ? NamedByAlternative(nullptr) : TerminalOf(command.program);
    if (!any && !way) return command;

    // The terminal's own options, then the switch, then the program to run.
    std::size_t run = 1;
    while (run < command.argv.size() && command.argv[run] != kXtermSwitch &&
           (!way || way->runSwitch.empty() || command.argv[run] != way->runSwitch)) {
        ++run;
    }
    if (run >= command.argv.size() - 1) {
        // Nothing to run: the terminal opens with its shell, no text of ours in it.
        if (!way || way->keepsArguments || command.argv.size() <= 1) return command;
    }
    const std::vector<std::string> own(
        command.argv.begin() + 1,
        command.argv.begin() + static_cast<long>(std::min(run, command.argv.size())));
    const std::vector<std::string> words(
        command.argv.begin() + static_cast<long>(std::min(run + 1, command.argv.size())),
        command.argv.end());
    if (!Runnable(words, reason)) return std::nullopt;

    if (way && way->keepsArguments) {
        std::string path = command.program;
        if (any || BaseName(path).ends_with(".wrapper")) {
            const auto direct = FindProgram(std::string(way->name));
            if (direct) path = *direct;
        }
        return Compose(*way, path, own, words);
    }
    if (!any) {
        if (reason) {
            *reason = std::string(way->name) +
                      " hands the command it runs to a shell or splits it anew, so Lintara "
                      "starts nothing in it; choose another terminal, for example xterm";
        }
        return std::nullopt;
    }
    // x-terminal-emulator names a terminal without a safe way: another one runs it,
    // without the options written for the first.
    const auto picked = PickTerminal(reason);
    if (!picked) return std::nullopt;
    return Compose(picked->first, picked->second, {}, words);
}

}  // namespace lintara::posix
