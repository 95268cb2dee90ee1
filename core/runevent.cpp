#include "runevent.h"

#include <cmath>

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");
const QString kEventPrefix = QStringLiteral("Event ");
const QString kTimeSuffix = QStringLiteral(" s: ");

} // namespace

QString FormatEventLine(const RunEvent& event)
{
    // Never more than one line, whatever the text holds: a line break would start a comment
    // line of its own in the file.
    QString text = event.text;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return kEventPrefix + QString::number(double(event.time), 'f', 1) + kTimeSuffix + text;
}

std::optional<RunEvent> ParseEventLine(QStringView line)
{
    if (!line.startsWith(kEventPrefix))
        return std::nullopt;
    const qsizetype timeEnd = line.indexOf(kTimeSuffix, kEventPrefix.size());
    if (timeEnd < 0)
        return std::nullopt;
    bool ok = false;
    const double time = line.mid(kEventPrefix.size(), timeEnd - kEventPrefix.size()).toDouble(&ok);
    if (!ok || !std::isfinite(time))
        return std::nullopt;
    return RunEvent{float(time), line.mid(timeEnd + kTimeSuffix.size()).toString()};
}

CommentsAndEvents SplitEventLines(const QString& comments)
{
    CommentsAndEvents out;
    qsizetype start = 0;
    while (start < comments.size()) {
        qsizetype end = comments.indexOf(kLineEnd, start);
        const qsizetype next = end < 0 ? comments.size() : end + kLineEnd.size();
        if (end < 0)
            end = comments.size();
        if (std::optional<RunEvent> event =
                ParseEventLine(QStringView(comments).mid(start, end - start)))
            out.events.push_back(std::move(*event));
        else
            out.comments += QStringView(comments).mid(start, next - start);
        start = next;
    }
    return out;
}

QString JoinEventLines(const QString& comments, const std::vector<RunEvent>& events)
{
    QString text = comments;
    if (events.empty())
        return text;
    if (!text.isEmpty() && !text.endsWith(kLineEnd))
        text += kLineEnd;
    for (const RunEvent& event : events)
        text += FormatEventLine(event) + kLineEnd;
    return text;
}
