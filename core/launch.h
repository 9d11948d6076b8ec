// Connection launch: from a connection request to the command lines to start.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lintara {

struct LaunchRequest {
    std::string typeKey, host, port, drive, share, userName, password;
    bool anonymous = false;
};

struct LaunchPlan {
    std::vector<std::string> commandLines;  // to start, in this order
    std::string messageText, messageTitle;  // a message instead, or empty
    bool closeMainWindow = false;           // the program ends after the starts
    // The configured program and its filled-in options (configured types only).
    std::string programPath, programOptions;
};

enum class LaunchKind { Configured, Ping, Browser, MapDrive };

// One row of the dispatch table: type key, settings section, how it starts.
struct ConnectionType {
    std::string_view key;
    std::string_view section;  // configured types only
    LaunchKind kind;
    std::string_view commandPrefix;  // fixed commands: the text put before the host
};

// The dispatch table, in the order keys are compared.
const std::vector<ConnectionType>& ConnectionTypes();

// The first row whose key equals typeKey exactly, or none.
std::optional<ConnectionType> FindConnectionType(std::string_view typeKey);

// Reads "Program" and "Options" of section (default "NOTCONFIGURED"), fills "HOST"
// then "PORT" into the options in one pass each, and trims spaces at both ends.
void LoadLaunchProgram(const std::string& section, const std::string& settingsPath,
                       const std::string& host, const std::string& port, std::string& ProgramPath,
                       std::string& ProgramOptions);

// Every occurrence of word replaced in one left-to-right pass; inserted text is not
// scanned again.
std::string ReplaceAll(std::string_view text, std::string_view word, std::string_view with);

LaunchPlan PlanLaunch(const LaunchRequest& request, const std::string& settingsPath,
                      const std::function<bool(const std::string&)>& fileExists);

// The values "Type" of section "DefaultConnection" may hold, with the option button
// each one selects, in the order they are compared.
struct DefaultType {
    std::string_view value;
    std::string_view optionName;
};
const std::vector<DefaultType>& DefaultTypes();

inline constexpr const char* kNotConfigured = "NOTCONFIGURED";

}  // namespace lintara
