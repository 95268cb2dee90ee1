#include "replay.h"

#include "numconv.h"

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");
const QString kFieldGap = QStringLiteral("  ");

} // namespace

QStringList ReplayLines(const QString& text)
{
    QStringList lines = text.split(kLineEnd);
    lines.removeLast(); // the part after the last CR LF, or the whole text when there is none
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(kFieldGap)) {
            lines.resize(i);
            break;
        }
    }
    return lines;
}

double ReplayLineTime(const QString& line)
{
    const qsizetype gap = line.indexOf(kFieldGap);
    return num::Val(gap < 0 ? line : line.left(gap));
}
