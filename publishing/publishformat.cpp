#include "publishformat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>

namespace
{

QString jsonRunTime(double seconds)
{
    return QString::number(seconds, 'f', 1);
}

QByteArray nanoseconds(const QDateTime& time)
{
    return QByteArray::number(time.toMSecsSinceEpoch()) + QByteArrayLiteral("000000");
}

QString unitText(bool celsius)
{
    return celsius ? QStringLiteral("C") : QStringLiteral("F");
}

// A line-protocol string field: quotes and backslashes escaped.
QString influxString(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    escaped.replace(u'\n', u' ').replace(u'\r', u' ');
    return u'"' + escaped + u'"';
}

} // namespace

QString FormatUtcTenths(const QDateTime& time)
{
    // Written out field by field: a format string is parsed again at every call, and this runs
    // for every reading published.
    const QDateTime utc = time.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d.%dZ", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second(), t.msec() / 100);
}

QByteArray ReadingMessage(const RunSample& sample, int channelCount, bool celsius,
                          const QDateTime& time)
{
    QString text = QStringLiteral("{\"run_time\": ") + jsonRunTime(sample.time) +
                   QStringLiteral(", \"time\": \"") + FormatUtcTenths(time) +
                   QStringLiteral("\", \"unit\": \"") + unitText(celsius) +
                   QStringLiteral("\", \"channels\": [");
    for (int i = 0; i < channelCount && i < kRecorderChannels; ++i) {
        if (i > 0)
            text += QStringLiteral(", ");
        const float value = sample.values[static_cast<size_t>(i)];
        text += HasReading(value) ? FormatReading(value) : QStringLiteral("null");
    }
    text += QStringLiteral("]}");
    return text.toUtf8();
}

QByteArray EventMessage(float runTime, const QString& text, const QDateTime& time)
{
    // The event's text is free text: QJsonDocument escapes it.
    const QJsonObject object{{QStringLiteral("text"), text}};
    QByteArray escapedText = QJsonDocument(object).toJson(QJsonDocument::Compact);
    escapedText = escapedText.mid(8, escapedText.size() - 9); // the string after {"text":
    return QStringLiteral("{\"run_time\": ").toUtf8() + jsonRunTime(runTime).toUtf8() +
           QByteArrayLiteral(", \"time\": \"") + FormatUtcTenths(time).toUtf8() +
           QByteArrayLiteral("\", \"text\": ") + escapedText + '}';
}

std::vector<DiscoveryMessage> HomeAssistantDiscovery(const QString& topicBase,
                                                     const QString& nodeId, int channelCount,
                                                     bool celsius)
{
    std::vector<DiscoveryMessage> messages;
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{QStringLiteral("thermocouple-recorder_") + nodeId}},
        {QStringLiteral("name"), QStringLiteral("Thermocouple Recorder ") + nodeId},
        {QStringLiteral("manufacturer"), QStringLiteral("Veltrona")},
        {QStringLiteral("model"), QStringLiteral("HX5-TC4")}};
    for (int i = 1; i <= channelCount && i <= kRecorderChannels; ++i) {
        const QString id = QStringLiteral("thermocouple-recorder_%1_ch%2").arg(nodeId).arg(i);
        const QJsonObject config{
            {QStringLiteral("name"), QStringLiteral("Channel %1").arg(i)},
            {QStringLiteral("unique_id"), id},
            {QStringLiteral("object_id"), id},
            {QStringLiteral("device_class"), QStringLiteral("temperature")},
            {QStringLiteral("state_class"), QStringLiteral("measurement")},
            {QStringLiteral("unit_of_measurement"),
             celsius ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F")},
            {QStringLiteral("state_topic"), topicBase + QStringLiteral("/reading")},
            {QStringLiteral("value_template"),
             QStringLiteral("{{ value_json.channels[%1] }}").arg(i - 1)},
            {QStringLiteral("availability_topic"), topicBase + QStringLiteral("/status")},
            {QStringLiteral("payload_available"), QStringLiteral("online")},
            {QStringLiteral("payload_not_available"), QStringLiteral("offline")},
            {QStringLiteral("device"), device}};
        messages.push_back(
            {QStringLiteral("homeassistant/sensor/%1/ch%2/config").arg(nodeId).arg(i).toUtf8(),
             QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    return messages;
}

QString EscapeInfluxTag(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == u',' || c == u'=' || c == u' ' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QByteArray ReadingPoint(const RunSample& sample, int channelCount, const QString& tags,
                        const QDateTime& time)
{
    QString fields;
    for (int i = 0; i < channelCount && i < kRecorderChannels; ++i) {
        const float value = sample.values[static_cast<size_t>(i)];
        if (!HasReading(value))
            continue;
        if (!fields.isEmpty())
            fields += u',';
        fields += QStringLiteral("ch%1=").arg(i + 1) + FormatReading(value);
    }
    if (fields.isEmpty())
        return {};
    return (QStringLiteral("thermocouple") + tags + u' ' + fields + u' ').toUtf8() +
           nanoseconds(time);
}

QByteArray EventPoint(float runTime, const QString& text, const QString& tags,
                      const QDateTime& time)
{
    return (QStringLiteral("thermocouple_event") + tags + QStringLiteral(" run_time=") +
            jsonRunTime(runTime) + QStringLiteral(",text=") + influxString(text) + u' ')
               .toUtf8() +
           nanoseconds(time);
}

QString RunTags(const QString& host, const QDateTime& runStart)
{
    return QStringLiteral(",host=") + EscapeInfluxTag(host) + QStringLiteral(",run=") +
           runStart.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}
