#pragma once
// The reading list's rows: every reading of the run, and each event of the run between the
// readings it happened between. Rows are worked out from the run on every call, so the list
// never holds a copy that could differ from the run.

#include "runmodel.h"

class RunListRows : public RunRows
{
public:
    explicit RunListRows(const RunModel& run) : run_(run) {}

    qsizetype size() const override;
    QString line(qsizetype row) const override;
    qsizetype longestLine() const override;

    // The sample shown in `row`; -1 for an event's row or a row past the end.
    qsizetype sampleAt(qsizetype row) const;
    // The event shown in `row`; -1 for a reading's row.
    qsizetype eventAt(qsizetype row) const;
    qsizetype rowOfSample(qsizetype sample) const;
    qsizetype rowOfEvent(qsizetype event) const;
    // The row of the last reading, -1 in a run without one.
    qsizetype lastSampleRow() const;
    // Another run replaced the one shown (started, opened, taken back).
    void runReplaced() { eventsMeasured_ = 0, longestEvent_ = 0; }

private:
    // Events whose rows stand before `row`, or at it.
    qsizetype eventsUpTo(qsizetype row) const;

    const RunModel& run_;
    // The longest event row among the first eventsMeasured_ events: the width is asked at
    // every reading, and a run may gather many events.
    mutable size_t eventsMeasured_ = 0;
    mutable qsizetype longestEvent_ = 0;
};

// An event as the list shows it: its time where a reading's time stands, then what happened.
QString EventRowText(const RunEvent& event);
