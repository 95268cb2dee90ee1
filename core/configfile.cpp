#include "configfile.h"

#include "numconv.h"
#include "safewrite.h"

#include <QFile>
#include <QList>

namespace
{

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QByteArray numberLine(qint16 value)
{
    return num::PrintForm(value).toLatin1();
}

// A number field: the text up to a comma, blanks around it ignored; empty reads as 0.
void readNumberField(const QString& line, qint16& target)
{
    const QString field = line.section(QLatin1Char(','), 0, 0).trimmed();
    if (field.isEmpty()) {
        target = 0;
        return;
    }
    if (!num::IsWholeNumberText(field))
        return;
    if (const auto value = num::ToInteger(num::Val(field)))
        target = *value;
}

// A text field: leading blanks skipped; a quoted text loses its quotes, otherwise the text ends
// at the first comma.
QString readTextField(const QString& line)
{
    int start = 0;
    while (start < line.size() &&
           (line[start] == QLatin1Char(' ') || line[start] == QLatin1Char('\t')))
        ++start;
    const QString rest = line.mid(start);
    if (rest.startsWith(QLatin1Char('"'))) {
        const int close = rest.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? rest.mid(1) : rest.mid(1, close - 1);
    }
    return rest.section(QLatin1Char(','), 0, 0);
}

// A line ends at LF together with the CR just before it or, when there is none, the CR just
// after it: a file edited on another system may end its lines LF CR, and that CR must not
// become the first character of the next field.
QStringList splitLines(const QByteArray& data)
{
    QStringList lines;
    bool crTaken = true; // no line end before the first line
    for (QByteArray line : data.split('\n')) {
        if (!crTaken && line.startsWith('\r'))
            line.remove(0, 1);
        crTaken = line.endsWith('\r');
        if (crTaken)
            line.chop(1);
        lines << QString::fromLatin1(line);
    }
    // A final line end closes the last line; it does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QByteArray SettingsFileText(const StoredSettings& settings)
{
    QByteArray out;
    auto line = [&out](const QByteArray& text) { out += text + kLineEnd; };
    line(numberLine(settings.chartSectionSeconds));
    line({}); // reserved lines keep the positions of the later fields
    line({});
    line({});
    line({});
    line(numberLine(settings.lineThickness));
    line(numberLine(settings.scaleType));
    line(settings.userGraphMax.toLatin1());
    line(settings.userGraphMin.toLatin1());
    line(numberLine(settings.degreesCelsius));
    for (int i = 0; i <= 3; ++i)
        line(numberLine(settings.comPorts[i]));
    return out;
}

void ReadSettingsText(const QByteArray& data, StoredSettings& settings)
{
    const QStringList lines = splitLines(data);

    const auto at = [&lines](int lineNo) -> const QString* {
        return lineNo <= lines.size() ? &lines[lineNo - 1] : nullptr;
    };
    if (auto l = at(1))
        readNumberField(*l, settings.chartSectionSeconds);
    // Lines 2 to 5 are reserved: read past, never used.
    if (auto l = at(6))
        readNumberField(*l, settings.lineThickness);
    if (auto l = at(7))
        readNumberField(*l, settings.scaleType);
    if (auto l = at(8))
        settings.userGraphMax = readTextField(*l);
    if (auto l = at(9))
        settings.userGraphMin = readTextField(*l);
    if (auto l = at(10))
        readNumberField(*l, settings.degreesCelsius);
    for (int i = 0; i <= 3; ++i)
        if (auto l = at(11 + i))
            readNumberField(*l, settings.comPorts[i]);
}

int SaveSettingsFile(const StoredSettings& settings, const QString& programFolder)
{
    return WriteFileReplacing(programFolder + QLatin1Char('/') + kConfigFileName,
                              SettingsFileText(settings));
}

int LoadSettingsFile(StoredSettings& settings, const QString& programFolder)
{
    const QString path = programFolder + QLatin1Char('/') + kConfigFileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OpenForReadingErrorNumber(path);
    ReadSettingsText(file.readAll(), settings);
    return 0;
}
