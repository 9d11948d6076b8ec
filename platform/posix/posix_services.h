// The OS services on Linux and other POSIX systems, without any GUI.
#pragma once

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
    bool FileExists(const std::string& path) override;
    std::string ApplicationFolder() override;
    char PathSeparator() const override { return '/'; }
    std::string CommandLineText() override;
    void EndProgram() override;

  private:
    std::string m_commandLineText;
    // The share each drive was last mapped to, for a later "explorer DRIVE".
    posix::MappedDrives m_mappedDrives;
};

}  // namespace lintara
