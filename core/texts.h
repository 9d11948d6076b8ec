// Every message the program shows, written once. Trailing blanks are part of the texts.
#pragma once

#include <string>
#include <vector>

namespace lintara::texts {

inline constexpr const char* kTitleError = "Error";
inline constexpr const char* kTitleFatal = "Fatal Error";

inline constexpr const char* kNotImplemented = "This function has not been implemented yet!     ";
inline constexpr const char* kMissingProgram =
    "Missing or Bad application for this type of connection!";
inline constexpr const char* kHostRequired =
    "You must enter a hostname or an IP address to connect to!     ";
inline constexpr const char* kBadPort = "Please enter in a valid port number!     ";
inline constexpr const char* kHostRequiredForDrive =
    "You must enter a hostname or an IP address before you can map a network drive!     ";

inline std::string SettingsMissing(const std::string& settingsPath) {
    return "Help! Can't find " + settingsPath + "!     ";
}

// A start the platform refused: the program (first word of the line) and why.
inline std::string StartFailed(const std::string& program, const std::string& reason) {
    return "Could not start " + program + ": " + reason;
}

inline std::string SaveFailed(const std::string& settingsPath, const std::string& reason) {
    return "Could not save the settings to " + settingsPath + ": " + reason +
           "\nNothing was changed; your edits are still here.";
}

// A started program that ended at once, with the last lines of what it said, if kept.
inline std::string EndedAtOnce(const std::string& program, const std::string& status,
                               const std::string& errorOutput) {
    constexpr std::size_t kLines = 8, kLongest = 200;
    std::vector<std::string> lines(1);
    for (const char c : errorOutput) {
        if (c == '\n') {
            lines.emplace_back();
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
            // Carriage returns and escapes of progress output are left out.
            if (lines.back().size() < kLongest) lines.back() += c;
        }
    }
    std::erase_if(lines, [](const std::string& line) {
        return line.find_first_not_of(" \t") == std::string::npos;
    });
    std::string text = program + " ended at once with " + status + ".";
    if (lines.empty()) return text;
    text += "\n\nIt said:";
    for (std::size_t i = lines.size() > kLines ? lines.size() - kLines : 0; i < lines.size(); ++i) {
        text += "\n" + lines[i];
    }
    return text;
}

inline std::string CommandLineHostIgnored(const std::string& host, const std::string& why) {
    return "The host \"" + host + "\" from the command line was ignored: " + why;
}

}  // namespace lintara::texts
