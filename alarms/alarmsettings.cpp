#include "alarmsettings.h"

#include "errornumbers.h"
#include "safewrite.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <cmath>

namespace
{

const QString kGeneralGroup = QStringLiteral("derived");

double ToCelsius(double f)
{
    return (f - 32) * 5 / 9;
}
double ToFahrenheit(double c)
{
    return c * 9 / 5 + 32;
}

// The text of a value as the file holds it; a value with a comma reads back as a list.
QString RawText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString().trimmed();
}

std::optional<double> ParseNumber(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString Where(const QString& group, const QString& key)
{
    return QStringLiteral("alarms.ini [%1] %2").arg(group, key);
}

} // namespace

QString AlarmSourceName(int source)
{
    if (source >= 0 && source < kRecorderChannels)
        return QStringLiteral("Ch %1").arg(source + 1);
    if (source == kSpreadSource)
        return QStringLiteral("Spread");
    if (IsRateSource(source))
        return QStringLiteral("Rate Ch %1").arg(source - kFirstRateSource + 1);
    return QStringLiteral("Logger");
}

QString AlarmSourceGroup(int source)
{
    if (source >= 0 && source < kRecorderChannels)
        return QStringLiteral("channel%1").arg(source + 1);
    if (source == kSpreadSource)
        return QStringLiteral("spread");
    return QStringLiteral("rate%1").arg(source - kFirstRateSource + 1);
}

AlarmSettings AlarmSettingsInUnit(const AlarmSettings& settings, bool celsius)
{
    if (settings.celsius == celsius)
        return settings;
    AlarmSettings out = settings;
    out.celsius = celsius;
    const double differenceFactor = celsius ? 5.0 / 9.0 : 9.0 / 5.0;
    for (int source = 0; source < kAlarmSources; ++source) {
        AlarmLimits& l = out.limits[source];
        // A channel's limits are temperatures; the spread, the rates and every hysteresis are
        // differences of temperatures.
        const bool temperature = source < kRecorderChannels;
        for (std::optional<double>* limit : {&l.high, &l.low}) {
            if (!*limit)
                continue;
            **limit = temperature ? (celsius ? ToCelsius(**limit) : ToFahrenheit(**limit))
                                  : **limit * differenceFactor;
        }
        l.hysteresis *= differenceFactor;
    }
    return out;
}

QString AlarmLimitsProblem(int source, const AlarmLimits& limits)
{
    const QString name = AlarmSourceName(source);
    for (const auto& [limit, word] : {std::pair{limits.high, "high"}, std::pair{limits.low, "low"}})
        if (limit && !(std::abs(*limit) <= kLargestAlarmValue))
            return QStringLiteral("%1 %2 limit %3 is beyond any temperature the logger reads.")
                .arg(name, QLatin1String(word))
                .arg(*limit);
    if (limits.high && limits.low && !(*limits.low < *limits.high))
        return QStringLiteral("%1: the low limit %2 is not below the high limit %3.")
            .arg(name)
            .arg(*limits.low)
            .arg(*limits.high);
    if (!(limits.hysteresis >= 0 && limits.hysteresis <= kLargestAlarmValue))
        return QStringLiteral("%1: the hysteresis %2 must be 0 or more degrees.")
            .arg(name)
            .arg(limits.hysteresis);
    if (!(limits.delay >= 0 && limits.delay <= kLongestAlarmDelay))
        return QStringLiteral("%1: the delay %2 must be between 0 and %3 seconds.")
            .arg(name)
            .arg(limits.delay)
            .arg(kLongestAlarmDelay);
    return {};
}

QString AlarmSettingsPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(kAlarmsFileName);
}

AlarmSettingsRead LoadAlarmSettings(const QString& programFolder, bool displayCelsius)
{
    AlarmSettingsRead read;
    read.settings.celsius = displayCelsius;
    const QString path = AlarmSettingsPath(programFolder);
    if (!QFileInfo::exists(path))
        return read;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        read.problems << QStringLiteral("alarms.ini could not be read (%1); no alarms are set "
                                        "until they are saved again in Options > Alarms.")
                             .arg(file.status() == QSettings::FormatError
                                      ? QStringLiteral("it is damaged")
                                      : QStringLiteral("it cannot be opened"));
        return read;
    }

    AlarmSettings& s = read.settings;
    const QString unit = RawText(file.value(kGeneralGroup + QStringLiteral("/unit")));
    s.celsius = unit.isEmpty() ? displayCelsius : unit.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0;
    if (!unit.isEmpty() && unit.compare(QLatin1String("C"), Qt::CaseInsensitive) != 0 &&
        unit.compare(QLatin1String("F"), Qt::CaseInsensitive) != 0) {
        read.problems << Where(kGeneralGroup, QStringLiteral("unit")) +
                             QStringLiteral(": \"%1\" is neither C nor F; the values are taken "
                                            "as degrees %2.")
                                 .arg(unit, displayCelsius ? QStringLiteral("C") : QStringLiteral("F"));
        s.celsius = displayCelsius;
    }

    const QString window = RawText(file.value(kGeneralGroup + QStringLiteral("/rateWindow")));
    if (!window.isEmpty()) {
        const std::optional<double> v = ParseNumber(window);
        if (v && *v >= kShortestRateWindow && *v <= kLongestRateWindow)
            s.rateWindow = *v;
        else
            read.problems << Where(kGeneralGroup, QStringLiteral("rateWindow")) +
                                 QStringLiteral(": \"%1\" is not a number of seconds from %2 to "
                                                "%3; the rate is taken over %4 s.")
                                     .arg(window)
                                     .arg(kShortestRateWindow)
                                     .arg(kLongestRateWindow)
                                     .arg(kDefaultRateWindow);
    }
    const QString csv = RawText(file.value(kGeneralGroup + QStringLiteral("/csvColumns")));
    s.csvDerivedColumns = csv == QLatin1String("true") || csv == QLatin1String("1");
    if (!csv.isEmpty() && !s.csvDerivedColumns && csv != QLatin1String("false") &&
        csv != QLatin1String("0"))
        read.problems << Where(kGeneralGroup, QStringLiteral("csvColumns")) +
                             QStringLiteral(": \"%1\" is neither true nor false; the CSV export "
                                            "has no derived columns.")
                                 .arg(csv);

    for (int source = 0; source < kAlarmSources; ++source) {
        const QString group = AlarmSourceGroup(source);
        AlarmLimits limits;
        const auto number = [&](const char* key) -> std::optional<double> {
            const QString text =
                RawText(file.value(group + QLatin1Char('/') + QLatin1String(key)));
            if (text.isEmpty())
                return std::nullopt;
            const std::optional<double> v = ParseNumber(text);
            if (!v)
                read.problems << Where(group, QLatin1String(key)) +
                                     QStringLiteral(": \"%1\" is not a number; it is left out.")
                                         .arg(text);
            return v;
        };
        limits.high = number("high");
        limits.low = number("low");
        limits.hysteresis = number("hysteresis").value_or(0);
        limits.delay = number("delay").value_or(0);
        const QString problem = AlarmLimitsProblem(source, limits);
        if (!problem.isEmpty()) {
            read.problems << QStringLiteral("alarms.ini: ") + problem +
                                 QStringLiteral(" The alarm on %1 is off.")
                                     .arg(AlarmSourceName(source));
            continue;
        }
        s.limits[source] = limits;
    }
    read.settings = AlarmSettingsInUnit(s, displayCelsius);
    return read;
}

QString SaveAlarmSettings(const QString& programFolder, const AlarmSettings& settings)
{
    const QString path = AlarmSettingsPath(programFolder);
    // QSettings writes a scratch file, whose text then replaces alarms.ini once it is complete:
    // QSettings itself never writes over a file it could not parse, and a full disk must not
    // leave half a file.
    const QString scratch = path + QStringLiteral(".new");
    QFile::remove(scratch);
    QByteArray bytes;
    {
        QSettings file(scratch, QSettings::IniFormat);
        const auto number = [](double v) { return QString::number(v, 'g', 10); };
        file.setValue(kGeneralGroup + QStringLiteral("/unit"),
                      settings.celsius ? QStringLiteral("C") : QStringLiteral("F"));
        file.setValue(kGeneralGroup + QStringLiteral("/rateWindow"), number(settings.rateWindow));
        file.setValue(kGeneralGroup + QStringLiteral("/csvColumns"),
                      settings.csvDerivedColumns ? QStringLiteral("true") : QStringLiteral("false"));
        for (int source = 0; source < kAlarmSources; ++source) {
            const AlarmLimits& l = settings.limits[source];
            const QString group = AlarmSourceGroup(source) + QLatin1Char('/');
            file.setValue(group + QStringLiteral("high"), l.high ? number(*l.high) : QString());
            file.setValue(group + QStringLiteral("low"), l.low ? number(*l.low) : QString());
            file.setValue(group + QStringLiteral("hysteresis"), number(l.hysteresis));
            file.setValue(group + QStringLiteral("delay"), number(l.delay));
        }
        file.sync();
        QFile written(scratch);
        if (file.status() == QSettings::NoError && written.open(QIODevice::ReadOnly))
            bytes = written.readAll();
    }
    QFile::remove(scratch);
    const int error = bytes.isEmpty() ? err::kPathFileAccess : WriteFileReplacing(path, bytes);
    if (error != 0)
        return QStringLiteral("The alarms could not be saved in \"%1\": %2 (error %3).")
            .arg(QDir::toNativeSeparators(path), FileErrorDescription(error))
            .arg(error);
    return {};
}
