#include "runlistrows.h"

#include <algorithm>

QString EventRowText(const RunEvent& event)
{
    return FormatRunTime(event.time) + QStringLiteral("   Event: ") + event.text;
}

qsizetype RunListRows::size() const
{
    return run_.size() + qsizetype(run_.events().size());
}

qsizetype RunListRows::rowOfEvent(qsizetype event) const
{
    return run_.eventPlace(event) + event;
}

qsizetype RunListRows::eventsUpTo(qsizetype row) const
{
    // The events' rows rise with their index: a binary search over the few events.
    qsizetype low = 0;
    qsizetype high = qsizetype(run_.events().size());
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (rowOfEvent(mid) <= row)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qsizetype RunListRows::eventAt(qsizetype row) const
{
    const qsizetype before = eventsUpTo(row);
    return before > 0 && rowOfEvent(before - 1) == row ? before - 1 : -1;
}

qsizetype RunListRows::sampleAt(qsizetype row) const
{
    if (row < 0 || row >= size() || eventAt(row) >= 0)
        return -1;
    return row - eventsUpTo(row);
}

qsizetype RunListRows::rowOfSample(qsizetype sample) const
{
    // Events placed at or before the sample stand above it.
    const std::vector<RunEvent>& events = run_.events();
    qsizetype low = 0;
    qsizetype high = qsizetype(events.size());
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (run_.eventPlace(mid) <= sample)
            low = mid + 1;
        else
            high = mid;
    }
    return sample + low;
}

qsizetype RunListRows::lastSampleRow() const
{
    return run_.isEmpty() ? -1 : rowOfSample(run_.size() - 1);
}

QString RunListRows::line(qsizetype row) const
{
    const qsizetype event = eventAt(row);
    if (event >= 0)
        return EventRowText(run_.events()[size_t(event)]);
    return run_.line(row - eventsUpTo(row));
}
