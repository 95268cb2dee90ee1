#include "publishingsettings.h"

#include <QDir>
#include <QHostInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QUrlQuery>

namespace
{

void say(QString* problem, const QString& text)
{
    if (problem)
        *problem = text;
}

} // namespace

QString PlantHostName()
{
    QString name = QHostInfo::localHostName();
    static const QRegularExpression unfit(QStringLiteral("[/+#\\s]"));
    name.replace(unfit, QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

QString DefaultTopicBase()
{
    return QStringLiteral("thermocouple-recorder/") + PlantHostName();
}

PublishingSettings ReadPublishingSettings(const QString& programFolder)
{
    const QSettings file(QDir(programFolder).filePath(kPublishingFile), QSettings::IniFormat);
    PublishingSettings settings;
    settings.mqttUrl = file.value(QStringLiteral("mqtt/url")).toString().trimmed();
    settings.topicBase = file.value(QStringLiteral("mqtt/topic_base")).toString().trimmed();
    settings.homeAssistant = file.value(QStringLiteral("mqtt/home_assistant"), false).toBool();
    settings.influxUrl = file.value(QStringLiteral("influxdb/url")).toString().trimmed();
    return settings;
}

bool WritePublishingSettings(const QString& programFolder, const PublishingSettings& settings)
{
    QSettings file(QDir(programFolder).filePath(kPublishingFile), QSettings::IniFormat);
    file.setValue(QStringLiteral("mqtt/url"), settings.mqttUrl);
    file.setValue(QStringLiteral("mqtt/topic_base"), settings.topicBase);
    file.setValue(QStringLiteral("mqtt/home_assistant"), settings.homeAssistant);
    file.setValue(QStringLiteral("influxdb/url"), settings.influxUrl);
    file.sync();
    return file.status() == QSettings::NoError;
}

std::optional<MqttAddress> ParseMqttUrl(const QString& text, QString* problem)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString form = QStringLiteral("The MQTT broker is written mqtt://HOST or mqtt://HOST:PORT");
    if (!url.isValid() || url.scheme() != QLatin1String("mqtt") || url.host().isEmpty()) {
        say(problem, form + QStringLiteral(", not '%1'.").arg(text));
        return std::nullopt;
    }
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() ||
        !url.userInfo().isEmpty()) {
        say(problem, form + QStringLiteral(", without a path, query or user: '%1'.").arg(text));
        return std::nullopt;
    }
    MqttAddress address;
    address.host = url.host();
    const int port = url.port(1883);
    if (port < 1 || port > 65535) {
        say(problem, QStringLiteral("The MQTT broker's port is a number from 1 to 65535."));
        return std::nullopt;
    }
    address.port = static_cast<quint16>(port);
    return address;
}

QString TopicBaseProblem(const QString& base)
{
    if (base.isEmpty())
        return QStringLiteral("The topic base is empty.");
    if (base.contains(u'#') || base.contains(u'+'))
        return QStringLiteral("The topic base may not hold the wildcards # and +.");
    if (base.startsWith(u'/') || base.endsWith(u'/'))
        return QStringLiteral("The topic base neither begins nor ends with '/'.");
    return {};
}

std::optional<QUrl> ParseInfluxUrl(const QString& text, QString* problem)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") &&
                           url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty()) {
        say(problem, QStringLiteral("The InfluxDB address is an http:// or https:// URL such as "
                                    "http://HOST:8086/write?db=NAME, not '%1'.")
                         .arg(text));
        return std::nullopt;
    }
    const QUrlQuery query(url);
    if (url.path() == QLatin1String("/write")) {
        if (query.queryItemValue(QStringLiteral("db")).isEmpty()) {
            say(problem, QStringLiteral("An InfluxDB 1 address names its database: "
                                        "/write?db=NAME."));
            return std::nullopt;
        }
        return url;
    }
    if (url.path() == QLatin1String("/api/v2/write")) {
        if (query.queryItemValue(QStringLiteral("bucket")).isEmpty() ||
            query.queryItemValue(QStringLiteral("org")).isEmpty()) {
            say(problem, QStringLiteral("An InfluxDB 2 address names its organisation and "
                                        "bucket: /api/v2/write?org=ORG&bucket=BUCKET."));
            return std::nullopt;
        }
        return url;
    }
    say(problem, QStringLiteral("The InfluxDB address ends in /write?db=NAME (InfluxDB 1) or "
                                "/api/v2/write?org=ORG&bucket=BUCKET (InfluxDB 2), not '%1'.")
                     .arg(url.path()));
    return std::nullopt;
}
