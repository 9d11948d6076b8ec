// The table of fixed Windows command lines and their desktop equivalents.
#include "platform/posix/desktop_translation.h"

#include <string_view>
#include <vector>

#include "core/command_line.h"
#include "platform/posix/terminals.h"

namespace lintara::posix {
namespace {

using Words = std::vector<std::string>;

constexpr std::string_view kBrowserProgram =
    R"("C:\Program Files\Internet Explorer\iexplore.exe" )";

std::string TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

DesktopCommand Failed(std::string reason) {
    DesktopCommand result;
    result.reason = std::move(reason);
    return result;
}

// The command for program name with its arguments, or a failure naming the package.
DesktopCommand Program(const std::string& name, const std::string& package, Words arguments,
                       std::string standardInput = {}) {
    const auto path = FindProgram(name);
    if (!path) return Failed(name + " was not found on PATH (Debian package " + package + ")");
    Command command{*path, {name}, std::move(standardInput)};
    for (auto& argument : arguments) command.argv.push_back(std::move(argument));
    DesktopCommand result;
    result.command = std::move(command);
    return result;
}

// Percent-encodes every byte that is neither unreserved nor in allowed.
std::string Encode(std::string_view text, std::string_view allowed) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved || (byte != 0 && allowed.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

constexpr std::string_view kSubDelims = "!$&'()*+,;=";

// "z:" and "Z:" name the same drive; anything else is no drive letter.
std::optional<std::string> DriveOf(const std::string& text) {
    if (text.size() != 2 || text[1] != ':') return std::nullopt;
    const char letter = text[0];
    if (letter >= 'a' && letter <= 'z') return std::string{static_cast<char>(letter - 32), ':'};
    if (letter >= 'A' && letter <= 'Z') return text;
    return std::nullopt;
}

// \\HOST\SHARE[\PATH] as smb://[USERINFO@]HOST/SHARE[/PATH], or none when it is not a
// share path.
std::optional<std::string> ShareUrl(const std::string& share, const std::string& userInfo) {
    if (share.size() < 2 || share[0] != '\\' || share[1] != '\\') return std::nullopt;
    Words parts;
    std::size_t begin = 2;
    for (;;) {
        const auto end = share.find('\\', begin);
        parts.push_back(share.substr(begin, end == std::string::npos ? end : end - begin));
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) return std::nullopt;
    std::string url = "smb://" + userInfo + Encode(parts[0], std::string(kSubDelims) + ":[]");
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) continue;  // a trailing backslash
        url += '/' + Encode(parts[i], std::string(kSubDelims) + ":@");
    }
    return url;
}

// "C:\Program Files\Internet Explorer\iexplore.exe" http://HOST: the default browser.
std::optional<DesktopCommand> Browser(const std::string& line, const Words&, const MappedDrives&) {
    if (!line.starts_with(kBrowserProgram)) return std::nullopt;
    const std::string url = line.substr(kBrowserProgram.size());
    if (!url.starts_with("http://") && !url.starts_with("https://")) return std::nullopt;
    return Program("xdg-open", "xdg-utils", {url});
}

// ping -t HOST: ping runs on until stopped, so it gets a terminal window to run in.
std::optional<DesktopCommand> Ping(const std::string& line, const Words&, const MappedDrives&) {
    constexpr std::string_view prefix = "ping -t ";
    if (!line.starts_with(prefix)) return std::nullopt;
    // The host as typed, blanks around it aside: one argument, whatever it holds.
    const std::string host = TrimBlanks(std::string_view(line).substr(prefix.size()));
    if (host.empty()) return Failed("there is no host to ping");
    // Without ping a terminal would show its own complaint and then a shell.
    const auto ping = FindProgram("ping");
    if (!ping) return Failed("ping was not found on PATH (Debian package iputils-ping)");
    std::string reason;
    auto command = InTerminal({*ping, host}, &reason);
    if (!command) return Failed(reason);
    DesktopCommand result;
    result.command = std::move(command);
    return result;
}

// net use DRIVE \\HOST\SHARE [PASSWORD /USER:[DOMAIN\]NAME]: gio mounts the share; its
// questions (user, domain, password) are answered on its standard input, so the
// password is on no command line and in no environment.
std::optional<DesktopCommand> NetUse(const std::string& line, const Words& words,
                                     const MappedDrives&) {
    if (!line.starts_with("net use ") || words.size() < 2 || words[0] != "net" ||
        words[1] != "use") {
        return std::nullopt;
    }
    if (words.size() < 4) return Failed("the command names no drive and share to map");
    const auto drive = DriveOf(words[2]);
    if (!drive) return Failed(words[2] + " is not a drive letter");

    const bool anonymous = words.size() == 4;
    std::string password, user, domain;
    if (!anonymous) {
        const std::string& last = words.back();
        if (words.size() > 6 || !last.starts_with("/USER:")) {
            return Failed("the share, the password or the user name holds a blank or a quote");
        }
        user = last.substr(6);
        if (words.size() == 6) password = words[4];
        if (const auto slash = user.find('\\'); slash != std::string::npos) {
            domain = user.substr(0, slash);
            user = user.substr(slash + 1);
        }
        if (password.find_first_of("\r\n") != std::string::npos) {
            return Failed("the password holds a line break");
        }
    }
    constexpr std::string_view userAllowed = "!$&'()*+,=";
    std::string userInfo;
    if (!domain.empty()) userInfo += Encode(domain, userAllowed) + ';';
    if (!user.empty()) userInfo += Encode(user, userAllowed);
    if (!userInfo.empty()) userInfo += '@';
    const auto url = ShareUrl(words[3], userInfo);
    if (!url) return Failed(words[3] + " is not a share of the form \\\\HOST\\SHARE");

    DesktopCommand result;
    if (anonymous) {
        result = Program("gio", "libglib2.0-bin", {"mount", "-a", *url});
    } else {
        // gio asks only for what the URL leaves open, in this order; an empty answer
        // takes its suggestion.
        std::string answers;
        if (user.empty()) answers += '\n';
        if (domain.empty()) answers += '\n';
        answers += password + '\n';
        result = Program("gio", "libglib2.0-bin", {"mount", *url}, answers);
    }
    result.drive = *drive;
    result.shareUrl = *url;
    result.captureErrors = true;
    return result;
}

// explorer DRIVE: the file manager on the share last mapped to that drive.
std::optional<DesktopCommand> Explorer(const std::string& line, const Words& words,
                                       const MappedDrives& drives) {
    if (!line.starts_with("explorer ") || words.empty() || words[0] != "explorer") {
        return std::nullopt;
    }
    const std::string text = words.size() == 2 ? words[1] : TrimBlanks(line.substr(9));
    const auto drive = DriveOf(text);
    const auto mapped = drive ? drives.find(*drive) : drives.end();
    if (mapped == drives.end()) {
        return Failed("no network share has been mapped to " + text +
                      " since Lintara started, so there is nothing to open");
    }
    DesktopCommand result = Program("xdg-open", "xdg-utils", {mapped->second});
    result.openedDrive = *drive;
    return result;
}

// The one table: each row recognises its own command line, or gives none.
using Translate = std::optional<DesktopCommand> (*)(const std::string&, const Words&,
                                                    const MappedDrives&);
constexpr Translate kFixedCommands[] = {Browser, Ping, NetUse, Explorer};

}  // namespace

std::optional<DesktopCommand> TranslateForDesktop(const std::string& commandLine,
                                                  const MappedDrives& drives) {
    const Words words = SplitCommandLine(commandLine);
    for (const auto translate : kFixedCommands) {
        if (auto result = translate(commandLine, words, drives)) return result;
    }
    return std::nullopt;
}

}  // namespace lintara::posix
