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
    // The longest row of readings: an event's row may be longer, and is cut where the list
    // ends rather than widen every row for it.
    qsizetype longestLine() const override { return run_.longestLine(); }

    // The sample shown in `row`; -1 for an event's row or a row past the end.
    qsizetype sampleAt(qsizetype row) const;
    // The event shown in `row`; -1 for a reading's row.
    qsizetype eventAt(qsizetype row) const;
    qsizetype rowOfSample(qsizetype sample) const;
    qsizetype rowOfEvent(qsizetype event) const;
    // The row of the last reading, -1 in a run without one.
    qsizetype lastSampleRow() const;

private:
    // Events whose rows stand before `row`, or at it.
    qsizetype eventsUpTo(qsizetype row) const;

    const RunModel& run_;
};

// An event as the list shows it: its time where a reading's time stands, then what happened.
QString EventRowText(const RunEvent& event);
