#pragma once
// The main thread's CPU time by what its event loop delivered: outermost deliveries by receiver
// and event (a timer by the class of the object that owns it), and paint events of every
// widget, so that a change can be aimed at what costs. Timing is on only while `timing` is.

#include "threadcpu.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

template <class Application>
class TimedApplication final : public Application
{
public:
    using Application::Application;
    bool timing = false;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!timing || QThread::currentThread() != this->thread())
            return Application::notify(receiver, event);
        const bool isOuter = depth_++ == 0;
        const bool isPaint = event->type() == QEvent::Paint;
        // The key is taken first: a delivery may delete its receiver.
        const QString key = (isOuter || isPaint) ? keyOf(receiver, event) : QString();
        const double was = (isOuter || isPaint) ? ThreadCpuSeconds() : 0;
        const bool done = Application::notify(receiver, event);
        --depth_;
        if (isOuter || isPaint) {
            auto& slot = (isOuter ? outer_ : paints_)[key];
            slot.first += ThreadCpuSeconds() - was;
            ++slot.second;
        }
        return done;
    }

    // What was timed, per `unit` (a sample, a second), against the main thread's CPU time
    // `mainCpu` over the same span; what no delivery accounts for is the loop's own waiting,
    // polling and dispatching.
    void printBreakdown(double mainCpu, double units, const char* unit) const
    {
        if (units <= 0)
            return;
        std::printf("  main thread per %s, by what the event loop delivered:\n", unit);
        const double delivered = print(outer_, units, unit);
        std::printf("    %7.3f ms  outside any delivery (waiting, polling, dispatching)\n",
                    (mainCpu - delivered) * 1000 / units);
        if (paints_.empty())
            return;
        std::printf("  of which painting, by widget:\n");
        print(paints_, units, unit);
    }

private:
    using Table = std::map<QString, std::pair<double, long>>; // CPU seconds, deliveries
    int depth_ = 0;
    Table outer_;
    Table paints_;

    static QString keyOf(QObject* receiver, QEvent* event)
    {
        QObject* named = receiver;
        if (qobject_cast<QTimer*>(receiver) && receiver->parent())
            named = receiver->parent();
        QString key = QString::fromLatin1(named->metaObject()->className());
        if (named != receiver)
            key += QStringLiteral("'s timer");
        if (!named->objectName().isEmpty())
            key += QStringLiteral(" ") + named->objectName();
        return key + QStringLiteral(" / event %1").arg(static_cast<int>(event->type()));
    }

    static double print(const Table& table, double units, const char* unit)
    {
        std::vector<std::pair<double, QString>> rows;
        for (const auto& [key, v] : table)
            rows.push_back({v.first, QStringLiteral("%1 (%2 per %3)")
                                         .arg(key)
                                         .arg(static_cast<double>(v.second) / units, 0, 'f', 2)
                                         .arg(QLatin1String(unit))});
        std::sort(rows.rbegin(), rows.rend());
        double sum = 0;
        for (const auto& [cpu, what] : rows) {
            sum += cpu;
            if (cpu * 1000 / units >= 0.005)
                std::printf("    %7.3f ms  %s\n", cpu * 1000 / units, qPrintable(what));
        }
        return sum;
    }
};
