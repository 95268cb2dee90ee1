#pragma once
// Where readings are published, kept in publishing.ini in the program folder: a file of its
// own, so the recorder's settings file keeps its layout for every program that reads it.

#include <QString>
#include <QUrl>
#include <optional>

struct PublishingSettings {
    QString mqttUrl;   // mqtt://HOST[:PORT]; empty: no MQTT
    QString topicBase; // empty: DefaultTopicBase()
    bool homeAssistant = false;
    QString influxUrl; // http(s)://HOST:8086/write?db=NAME or .../api/v2/write?org=..&bucket=..

    bool operator==(const PublishingSettings& other) const
    {
        return mqttUrl == other.mqttUrl && topicBase == other.topicBase &&
               homeAssistant == other.homeAssistant && influxUrl == other.influxUrl;
    }
};

inline const QString kPublishingFile = QStringLiteral("publishing.ini");
// Where an InfluxDB 2 token is taken from: never from a file the program writes.
inline const char* const kInfluxTokenVariable = "INFLUX_TOKEN";

// "thermocouple-recorder/<host name>"
QString DefaultTopicBase();
// The machine's host name as a topic level and a tag: without '/', '+', '#' and blanks.
QString PlantHostName();

PublishingSettings ReadPublishingSettings(const QString& programFolder);
// False when the file could not be written.
bool WritePublishingSettings(const QString& programFolder, const PublishingSettings& settings);

struct MqttAddress {
    QString host;
    quint16 port = 1883;
};
// mqtt://HOST[:PORT]; nothing, with the reason in words in `problem`, for anything else.
std::optional<MqttAddress> ParseMqttUrl(const QString& text, QString* problem = nullptr);
// A topic base: not empty, no wildcards, no leading or trailing '/'; the reason in words or "".
QString TopicBaseProblem(const QString& base);
// An InfluxDB write URL (1.x /write?db=, 2.x /api/v2/write?org=&bucket=); nothing, with the
// reason in words, for anything else.
std::optional<QUrl> ParseInfluxUrl(const QString& text, QString* problem = nullptr);
