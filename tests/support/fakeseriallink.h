#pragma once
// A scripted serial port: fed bytes wait for readAll() after readyRead, open() does as told,
// and every call is recorded.

#include "seriallink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <set>
#include <utility>

class FakeSerialLink final : public SerialLink
{
public:
    bool openResult = true;      // used when openablePorts is empty
    std::set<int> openablePorts; // when not empty: open() succeeds only for these numbers

    int port = 0;
    bool opened = false;
    // "close", "setPort 3", "setDevice /dev/x", "setSettings 19200,N,8,1", "open"
    QStringList calls;
    QByteArray pending; // received and not yet read

    // Bytes from the instrument. A closed port receives nothing.
    void feed(const QByteArray& bytes)
    {
        if (!opened)
            return;
        pending += bytes;
        emit readyRead();
    }

    // The adapter is pulled: the link closes itself and says so.
    void pull()
    {
        opened = false;
        pending.clear();
        emit lost();
    }
    void close() override
    {
        calls << QStringLiteral("close");
        opened = false;
        pending.clear();
    }
    void setPort(int n) override
    {
        calls << QStringLiteral("setPort %1").arg(n);
        port = n;
    }
    void setDevice(const QString& path) override
    {
        calls << QStringLiteral("setDevice ") + path;
        port = 0;
    }
    bool setSettings(const QString& s) override
    {
        calls << QStringLiteral("setSettings ") + s;
        return true;
    }
    bool open() override
    {
        calls << QStringLiteral("open");
        opened = openablePorts.empty() ? openResult : openablePorts.count(port) > 0;
        return opened;
    }
    bool isOpen() const override { return opened; }
    QByteArray readAll() override
    {
        return std::exchange(pending, QByteArray());
    }
};
