#pragma once
// Taking a loaded run's text apart again for the replay onto the chart.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The run lines of `text` that can be replayed, in order, without their CR LF. A line is the
// text up to a CR LF; a final part without one is not a line. A line without two consecutive
// spaces (which part a time from its readings) is damaged and left out.
QStringList ReplayLines(const QString& text);
// The same lines as (start, length) in `text`, for runs too long to copy line by line.
std::vector<std::pair<qsizetype, qsizetype>> ReplayLineSpans(const QString& text);

// The recorded time of a run line: Val of its text before the first two consecutive spaces
// (of the whole line when it has none).
double ReplayLineTime(const QString& line);
