#include "runlines.h"

#include "numconv.h"

#include <algorithm>
#include <cmath>

namespace
{

// The number before the first blank of a line; 0 when it has none.
float lineTime(const QString& line)
{
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return 0.0f;
    return static_cast<float>(num::Val(line.left(blank + 1)));
}

} // namespace

RunLines::RunLines() = default;
RunLines::~RunLines() = default;

void RunLines::append(const QString& line)
{
    const QByteArray bytes = line.toLatin1();
    const qsizetype length = bytes.size();
    if (pages_.empty() || pages_.back()->size() + length > kPageBytes) {
        pages_.push_back(std::make_unique<QByteArray>());
        pages_.back()->reserve(std::max(kPageBytes, length));
    }
    QByteArray& page = *pages_.back();
    rows_.push_back(Row{static_cast<quint32>(pages_.size() - 1), static_cast<quint32>(page.size()),
                        static_cast<quint32>(length)});
    page.append(bytes);

    const float t = lineTime(line);
    if (!times_.empty() && t < times_.back())
        timesOrdered_ = false;
    times_.push_back(t);
    longest_ = std::max(longest_, length);
}

void RunLines::clear()
{
    pages_.clear();
    rows_.clear();
    times_.clear();
    timesOrdered_ = true;
    longest_ = 0;
}

QString RunLines::line(qsizetype row) const
{
    const Row& r = rows_[static_cast<size_t>(row)];
    return QString::fromLatin1(pages_[r.page]->constData() + r.offset, r.length);
}

QString RunLines::text() const
{
    qsizetype total = 0;
    for (const auto& page : pages_)
        total += page->size();
    QByteArray out;
    out.reserve(total + 2 * size());
    for (const Row& r : rows_) {
        out.append(pages_[r.page]->constData() + r.offset, r.length);
        out.append("\r\n", 2);
    }
    return QString::fromLatin1(out);
}

qsizetype RunLines::nearestRow(float target, float maxDistance) const
{
    if (rows_.empty())
        return -1;
    const auto distance = [&](qsizetype r) { return std::fabs(time(r) - target); };
    qsizetype best = 0;
    float bestDistance = maxDistance;
    if (!timesOrdered_) {
        for (qsizetype r = 0; r < size(); ++r) {
            const float d = distance(r);
            if (d < bestDistance) {
                bestDistance = d;
                best = r;
            }
        }
        return best;
    }

    // The nearest row lies at the first time not below the target or just before it: the
    // distance falls towards the target from either side.
    const qsizetype above = std::lower_bound(times_.begin(), times_.end(), target) - times_.begin();
    qsizetype candidate = above < size() ? above : -1;
    if (above > 0) {
        // The first row of the run just below the target; rows whose distances round to the
        // same float also lie directly before it, and the earliest of them wins, as in a scan.
        const float belowTime = times_[static_cast<size_t>(above - 1)];
        qsizetype below =
            std::lower_bound(times_.begin(), times_.begin() + above, belowTime) - times_.begin();
        while (below > 0 && distance(below - 1) == distance(below))
            --below;
        if (candidate < 0 || distance(below) <= distance(candidate))
            candidate = below;
    }
    if (distance(candidate) < bestDistance)
        best = candidate;
    return best;
}
