#pragma once
// What a reading and an event look like on the plant's network: the JSON messages of the MQTT
// topics, Home Assistant's discovery messages and InfluxDB's line protocol. Pure functions, so
// the messages a dashboard sees are pinned by tests without a broker.
//
// A channel is published as the run file writes it (whole degrees of the run's unit), so a
// dashboard and a reopened file never disagree; a channel without a reading is null, or left out
// of a line-protocol point, never a number.

#include "runsample.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// "2026-12-07T03:27:02.1Z": UTC to the tenth of a second.
QString FormatUtcTenths(const QDateTime& time);

// {"run_time": 12.3, "time": "...", "unit": "F", "channels": [842, null, 882, 901]}
QByteArray ReadingMessage(const RunSample& sample, int channelCount, bool celsius,
                          const QDateTime& time);
// {"run_time": 123.4, "time": "...", "text": "logger disconnected"}
QByteArray EventMessage(float runTime, const QString& text, const QDateTime& time);

// Home Assistant's MQTT discovery: one retained config message per channel, naming the
// reading topic and the status topic as its availability.
struct DiscoveryMessage {
    QByteArray topic;
    QByteArray payload;
};
std::vector<DiscoveryMessage> HomeAssistantDiscovery(const QString& topicBase,
                                                     const QString& nodeId, int channelCount,
                                                     bool celsius);

// A line-protocol tag value or key with its commas, equals signs and blanks escaped.
QString EscapeInfluxTag(const QString& value);
// thermocouple,host=cell3,run=20261207T032700Z ch1=842,ch3=882,ch4=901 1796613...000000
// Empty when no channel has a reading: a point needs at least one field.
QByteArray ReadingPoint(const RunSample& sample, int channelCount, const QString& tags,
                        const QDateTime& time);
// thermocouple_event,host=cell3,run=... run_time=123.4,text="logger disconnected" <ns>
QByteArray EventPoint(float runTime, const QString& text, const QString& tags,
                      const QDateTime& time);
// ",host=cell3,run=20261207T032700Z": the tags of one run's points.
QString RunTags(const QString& host, const QDateTime& runStart);
