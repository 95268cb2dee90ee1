#pragma once
// A launcher for tests: records every start and succeeds only for the programs it is told.

#include "seams.h"

#include <QSet>
#include <QStringList>
#include <utility>
#include <vector>

class FakeLauncher final : public Launcher
{
public:
    QSet<QString> available;                              // programs that start
    std::vector<std::pair<QString, QStringList>> started; // every attempt, in order

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started.emplace_back(program, arguments);
        return available.contains(program);
    }
};
