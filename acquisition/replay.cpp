#include "replay.h"

#include "numconv.h"

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");
const QString kFieldGap = QStringLiteral("  ");

} // namespace

std::vector<std::pair<qsizetype, qsizetype>> ReplayLineSpans(const QString& text)
{
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(kLineEnd); end >= 0;
         start = end + kLineEnd.size(), end = text.indexOf(kLineEnd, start)) {
        // The part after the last CR LF is not a line. A damaged line is left out; the lines
        // after it are still readings of the run.
        if (QStringView(text).mid(start, end - start).indexOf(kFieldGap) < 0)
            continue;
        spans.emplace_back(start, end - start);
    }
    return spans;
}

QStringList ReplayLines(const QString& text)
{
    QStringList lines;
    for (const auto& [start, length] : ReplayLineSpans(text))
        lines << text.mid(start, length);
    return lines;
}

double ReplayLineTime(const QString& line)
{
    const qsizetype gap = line.indexOf(kFieldGap);
    return num::Val(gap < 0 ? line : line.left(gap));
}
