// The launch's fixed Windows command lines and what starts instead on a Linux desktop.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/posix/start_command.h"

namespace lintara::posix {

// The share last mapped to each drive while the program runs: "Z:" -> its smb:// URL.
using MappedDrives = std::map<std::string, std::string>;

// A recognised fixed command line: the desktop program to start, or why there is none.
struct DesktopCommand {
    std::optional<Command> command;
    std::string reason;  // set when command is empty
    // A mount: the drive and the share's URL, to remember once the mount has started.
    std::string drive, shareUrl;
    // Opening a share: the drive whose mount must have succeeded first.
    std::string openedDrive;
    // A short command of Lintara's own, whose error output is worth reporting.
    bool captureErrors = false;
};

// Translates the four fixed command lines of the launch, by one table:
//   "C:\Program Files\Internet Explorer\iexplore.exe" URL  ->  xdg-open URL
//   ping -t HOST                                           ->  a terminal running ping HOST
//                                                              (ping and HOST as two
//                                                              arguments of the terminal)
//   net use DRIVE \\HOST\SHARE [PASSWORD /USER:NAME]       ->  gio mount [-a]
//   smb://[NAME@]HOST/SHARE
//                                                              (answers, the password among
//                                                              them, on its standard input)
//   explorer DRIVE                                         ->  xdg-open <share mapped on DRIVE>
// Every other line gives none: it starts as it stands. Programs are looked up on PATH;
// none is ever a shell, and each host or share reaches its program as one argument.
std::optional<DesktopCommand> TranslateForDesktop(const std::string& commandLine,
                                                  const MappedDrives& drives);

}  // namespace lintara::posix
