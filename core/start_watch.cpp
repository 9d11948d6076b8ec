// Polling the started tasks until they fail, end well, or the watch is over.
#include "core/start_watch.h"

#include "core/texts.h"

namespace lintara {

StartWatch::StartWatch(std::vector<long> tasks, Clock::time_point started)
    : m_tasks(std::move(tasks)), m_started(started) {}

StartWatch::Verdict StartWatch::Check(PlatformServices& services, Clock::time_point now) {
    bool allEnded = true;
    bool ownRunning = false;
    // In the order of starting: a mount that failed is named before the share it would open.
    for (const long task : m_tasks) {
        const TaskOutcome outcome = services.PollTask(task);
        if (outcome.state == TaskState::Failed) {
            m_failure = texts::EndedAtOnce(outcome.program, outcome.status, outcome.errorOutput);
            return Verdict::Failed;
        }
        if (outcome.state == TaskState::Running) {
            allEnded = false;
            ownRunning = ownRunning || outcome.ownCommand;
        }
    }
    const auto elapsed = now - m_started;
    if (allEnded || elapsed >= kOwnCommandWatch) return Verdict::Done;
    if (elapsed >= kEarlyFailureWatch && !ownRunning) return Verdict::Done;
    return Verdict::Watching;
}

}  // namespace lintara
