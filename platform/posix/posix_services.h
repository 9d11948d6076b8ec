// The OS services on Linux and other POSIX systems, without any GUI.
#pragma once

#include <map>
#include <string>

#include "core/platform.h"
#include "platform/posix/desktop_translation.h"

namespace lintara {

class PosixServices : public PlatformServices {
  public:
    PosixServices(int argc, char** argv);

    // Without a GUI the message goes to standard error.
    int ShowMessage(const std::string& text, int style, const std::string& title) override;
    StartResult StartCommand(const std::string& commandLine, int windowStyle) override;
    TaskOutcome PollTask(long taskId) override;
    bool FileExists(const std::string& path) override;
    std::string ApplicationFolder() override;
    char PathSeparator() const override { return '/'; }
    std::string CommandLineText() override;
    void EndProgram() override;

  private:
    std::string m_commandLineText;
    // The share each drive was last mapped to, for a later "explorer DRIVE".
    posix::MappedDrives m_mappedDrives;
    // The mount last started for each drive: the share opens once it has succeeded.
    std::map<std::string, long> m_mountTasks;
};

}  // namespace lintara
