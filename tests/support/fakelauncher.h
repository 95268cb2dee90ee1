#pragma once
// Records every start and succeeds for the programs told; runs report only at finishRuns(), as
// the real ones report from the event loop.

#include "seams.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class FakeLauncher final : public Launcher
{
public:
    QSet<QString> available;                              // programs that start (and end well)
    std::vector<std::pair<QString, QStringList>> started; // every attempt, in order

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started.emplace_back(program, arguments);
        return available.contains(program);
    }
    void run(const QString& program, const QStringList& arguments,
             std::function<void(bool succeeded)> finished) override
    {
        started.emplace_back(program, arguments);
        pending_.push_back([finished, ok = available.contains(program)] { finished(ok); });
    }
    // Ends every program run so far; a report may run more.
    void finishRuns()
    {
        while (!pending_.empty()) {
            const auto report = pending_.front();
            pending_.erase(pending_.begin());
            report();
        }
    }

private:
    std::vector<std::function<void()>> pending_;
};
