#include "csvexport.h"

#include "runlines.h"
#include "safewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString CsvField(const QString& text)
{
    static const QString kNeedsQuotes = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return kNeedsQuotes.contains(c); }))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvHeader(int channels, qint16 degreesCelsius)
{
    const QString unit = degreesCelsius == 1 ? QStringLiteral("degC") : QStringLiteral("degF");
    QStringList names{QStringLiteral("time_s")};
    for (int i = 1; i <= channels; ++i)
        names << QStringLiteral("ch%1_%2").arg(i).arg(unit);
    return names.join(QLatin1Char(','));
}

QByteArray RunAsCsv(const RunLines& run, int channels, qint16 degreesCelsius)
{
    QString text = CsvHeader(channels, degreesCelsius) + kCrLf;
    QStringList fields;
    for (qsizetype row = 0; row < run.size(); ++row) {
        // A run line is the time, then per channel three blanks and the reading.
        const QStringList stored = run.line(row).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        fields.clear();
        for (int i = 0; i <= channels; ++i)
            fields << (i < stored.size() ? CsvField(stored[i]) : QString());
        text += fields.join(QLatin1Char(',')) + kCrLf;
    }
    return text.toUtf8();
}

FileDialogRequest CsvDialogRequest(const QString& folder, const QString& dataFileName)
{
    return CopyDialogRequest(QStringLiteral("Export Data to CSV File"), QStringLiteral("CSV Files"),
                             QStringLiteral("csv"), folder, dataFileName);
}

int WriteCsvFile(const QString& path, const RunLines& run, int channels, qint16 degreesCelsius)
{
    return WriteFileReplacing(path, RunAsCsv(run, channels, degreesCelsius));
}

QString CsvErrorText(const QString& path, int errorNumber)
{
    return QStringLiteral("The CSV file \"%1\" could not be written: %2 (error %3).")
        .arg(QDir::toNativeSeparators(path), FileErrorDescription(errorNumber))
        .arg(errorNumber);
}
