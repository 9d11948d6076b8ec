// The dispatch table and the composition of every command line.
#include "core/launch.h"

#include "core/settings.h"
#include "core/texts.h"

namespace lintara {

const std::vector<ConnectionType>& ConnectionTypes() {
    static const std::vector<ConnectionType> table = {
        {"TermService", "RemoteDesktop", LaunchKind::Configured, ""},
        {"RDPConsole", "RDPConsole", LaunchKind::Configured, ""},
        {"VNC", "VNC", LaunchKind::Configured, ""},
        {"Telnet", "Telnet", LaunchKind::Configured, ""},
        {"SSH", "SSH", LaunchKind::Configured, ""},
        {"FTP", "FTP", LaunchKind::Configured, ""},
        {"Ping", "", LaunchKind::Ping, "ping -t "},
        {"HTTP", "", LaunchKind::Browser,
         "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" http://"},
        {"HTTPS", "", LaunchKind::Browser,
         "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" https://"},
        {"MapDrive", "", LaunchKind::MapDrive, ""},
    };
    return table;
}

const std::vector<DefaultType>& DefaultTypes() {
    static const std::vector<DefaultType> table = {
        {"RemoteDesktop", "TermServiceOption"},
        {"RDPConsole", "RDPConsoleOption"},
        {"VNC", "VNCOption"},
        {"Telnet", "TelnetOption"},
        {"SSH", "SSHOption"},
        {"Ping", "PingOption"},
    };
    return table;
}

std::optional<ConnectionType> FindConnectionType(std::string_view typeKey) {
    for (const auto& row : ConnectionTypes()) {
        if (row.key == typeKey) return row;
    }
    return std::nullopt;
}

std::string ReplaceAll(std::string_view text, std::string_view word, std::string_view with) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const auto hit = text.find(word, pos);
        if (hit == std::string_view::npos || word.empty()) break;
        out.append(text.substr(pos, hit - pos));
        out.append(with);
        pos = hit + word.size();
    }
    out.append(text.substr(pos));
    return out;
}

void LoadLaunchProgram(const std::string& section, const std::string& settingsPath,
                       const std::string& host, const std::string& port, std::string& ProgramPath,
                       std::string& ProgramOptions) {
    ProgramPath = ReadSetting(settingsPath, section, "Program", kNotConfigured);
    const std::string options = ReadSetting(settingsPath, section, "Options", kNotConfigured);
    ProgramOptions = TrimSpaces(ReplaceAll(ReplaceAll(options, "HOST", host), "PORT", port));
}

LaunchPlan PlanLaunch(const LaunchRequest& request, const std::string& settingsPath,
                      const std::function<bool(const std::string&)>& fileExists) {
    LaunchPlan plan;
    const auto row = FindConnectionType(request.typeKey);
    if (!row) {
        plan.messageText = texts::kNotImplemented;
        plan.messageTitle = texts::kTitleFatal;
        return plan;
    }
    switch (row->kind) {
        case LaunchKind::Configured: {
            LoadLaunchProgram(std::string(row->section), settingsPath, request.host, request.port,
                              plan.programPath, plan.programOptions);
            // Both conditions are evaluated every time.
            const bool exists = fileExists(plan.programPath);
            const bool configured = plan.programPath != kNotConfigured;
            if (!exists || !configured) {
                plan.messageText = texts::kMissingProgram;
                plan.messageTitle = texts::kTitleError;
                return plan;
            }
            plan.commandLines.push_back(plan.programPath + " " + plan.programOptions);
            plan.closeMainWindow = true;
            break;
        }
        case LaunchKind::Ping:
            plan.commandLines.push_back(std::string(row->commandPrefix) + request.host);
            break;
        case LaunchKind::Browser:
            plan.commandLines.push_back(std::string(row->commandPrefix) + request.host);
            plan.closeMainWindow = true;
            break;
        case LaunchKind::MapDrive: {
            std::string netUse = "net use " + request.drive + " " + request.share;
            if (!request.anonymous) netUse += " " + request.password + " /USER:" + request.userName;
            plan.commandLines.push_back(netUse);
            plan.commandLines.push_back("explorer " + request.drive);
            plan.closeMainWindow = true;
            break;
        }
    }
    return plan;
}

}  // namespace lintara
