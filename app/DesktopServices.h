// The platform's services with messages shown as Qt message boxes.
#pragma once

#include <memory>
#include <string>

#include "core/platform.h"

class DesktopServices : public lintara::PlatformServices {
  public:
    explicit DesktopServices(std::unique_ptr<lintara::PlatformServices> platform);

    // A modal box with the error icon and one OK button; text and title exactly.
    int ShowMessage(const std::string& text, int style, const std::string& title) override;

    lintara::StartResult StartCommand(const std::string& commandLine, int windowStyle) override;
    lintara::TaskOutcome PollTask(long taskId) override;
    bool FileExists(const std::string& path) override;
    std::string ApplicationFolder() override;
    char PathSeparator() const override;
    std::string CommandLineText() override;
    void EndProgram() override;

  private:
    std::unique_ptr<lintara::PlatformServices> m_platform;
};
