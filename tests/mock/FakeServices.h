// PlatformServices that record instead of acting: messages, starts, the end.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/platform.h"

namespace lintara::test {

struct ShownMessage {
    std::string text;
    int style;
    std::string title;
    bool operator==(const ShownMessage&) const = default;
};

class FakeServices : public PlatformServices {
  public:
    int ShowMessage(const std::string& text, int style, const std::string& title) override {
        messages.push_back({text, style, title});
        if (onMessage) onMessage();
        return 1;
    }
    StartResult StartCommand(const std::string& commandLine, int windowStyle) override {
        started.push_back(commandLine);
        windowStyles.push_back(windowStyle);
        StartResult result;
        if (failingStarts.count(commandLine) != 0) {
            result.reason = "No such file or directory";
            return result;
        }
        result.started = true;
        result.taskId = static_cast<long>(started.size());
        return result;
    }
    TaskOutcome PollTask(long taskId) override {
        const auto it = outcomes.find(taskId);
        if (it != outcomes.end()) return it->second;
        TaskOutcome done;
        done.state = TaskState::Succeeded;
        return done;
    }
    bool FileExists(const std::string& path) override {
        existenceAsked.push_back(path);
        return existingFiles.count(path) != 0;
    }
    std::string ApplicationFolder() override { return applicationFolder; }
    char PathSeparator() const override { return '/'; }
    std::string CommandLineText() override { return commandLineText; }
    void EndProgram() override { ++endCount; }

    // What the test sets up.
    std::set<std::string> existingFiles;
    std::set<std::string> failingStarts;
    std::string applicationFolder = "/opt/lintara";
    std::string commandLineText;
    std::function<void()> onMessage;       // runs while the "modal" box would be open
    std::map<long, TaskOutcome> outcomes;  // by task number; others have succeeded

    // What the code under test did.
    std::vector<ShownMessage> messages;
    std::vector<std::string> started;
    std::vector<int> windowStyles;
    std::vector<std::string> existenceAsked;
    int endCount = 0;
};

}  // namespace lintara::test
