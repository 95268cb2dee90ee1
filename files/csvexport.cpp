#include "csvexport.h"

#include "derivedchannels.h"
#include "runsample.h"
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

QByteArray RunAsCsv(const SampleSource& run, int channels, qint16 degreesCelsius)
{
    return RunAsCsv(run, channels, degreesCelsius, 0);
}

QByteArray RunAsCsv(const SampleSource& run, int channels, qint16 degreesCelsius,
                    double rateWindow)
{
    const bool derived = rateWindow > 0;
    const int derivedChannels = std::clamp(channels, 0, kRecorderChannels);
    QString text = CsvHeader(channels, degreesCelsius);
    if (derived) {
        const QString unit = degreesCelsius == 1 ? QStringLiteral("degC") : QStringLiteral("degF");
        text += QStringLiteral(",spread_") + unit;
        for (int i = 1; i <= derivedChannels; ++i)
            text += QStringLiteral(",rate%1_%2_per_s").arg(i).arg(unit);
    }
    text += kCrLf;
    DerivedChannels values(rateWindow, derivedChannels);
    for (qsizetype row = 0; row < run.size(); ++row) {
        const RunSample& sample = run.sample(row);
        text += FormatRunTime(sample.time);
        for (int i = 0; i < channels; ++i) {
            text += QLatin1Char(',');
            if (i < kRecorderChannels && HasReading(sample.values[i]))
                text += FormatReading(sample.values[i]);
        }
        if (derived) {
            const DerivedValues d = values.add(sample);
            text += QLatin1Char(',');
            if (HasReading(d.spread))
                text += FormatReading(d.spread);
            for (int i = 0; i < derivedChannels; ++i) {
                text += QLatin1Char(',');
                if (HasReading(d.rates[i]))
                    text += QString::number(d.rates[i], 'f', 2);
            }
        }
        text += kCrLf;
    }
    return text.toUtf8();
}

FileDialogRequest CsvDialogRequest(const QString& folder, const QString& dataFileName)
{
    return CopyDialogRequest(QStringLiteral("Export Data to CSV File"), QStringLiteral("CSV Files"),
                             QStringLiteral("csv"), folder, dataFileName);
}

int WriteCsvFile(const QString& path, const SampleSource& run, int channels,
                 qint16 degreesCelsius, double rateWindow)
{
    return WriteFileReplacing(path, RunAsCsv(run, channels, degreesCelsius, rateWindow));
}

QString CsvErrorText(const QString& path, int errorNumber)
{
    return QStringLiteral("The CSV file \"%1\" could not be written: %2 (error %3).")
        .arg(QDir::toNativeSeparators(path), FileErrorDescription(errorNumber))
        .arg(errorNumber);
}
