#pragma once
// A serial control played by a script, for tests: successive readAll() calls hand out the
// queued chunks one by one (then nothing), open() succeeds or fails as told, and every call is
// recorded so a test can check what the code under test did with the port. Waits never sleep:
// they are recorded and return at once, after a hook that plays what happens meanwhile.

#include "seriallink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <set>
#include <vector>

class FakeSerialLink final : public SerialLink
{
public:
    std::deque<QByteArray> chunks; // one per readAll(); empty reads once they run out
    bool openResult = true;        // used when openablePorts is empty
    std::set<int> openablePorts;   // when not empty: open() succeeds only for these numbers

    int port = 0;
    bool opened = false;
    int readCalls = 0;
    QStringList
        calls; // "close", "setPort 3", "setDevice /dev/x", "setSettings 19200,N,8,1", "open"

    std::function<void()> onRead; // runs inside readAll(), before the chunk is taken

    std::vector<std::chrono::milliseconds> waits; // the timeout of every waitForBytes(), in order
    // Runs inside waitForBytes() with its timeout: queue bytes, press Stop, move a fake clock.
    std::function<void(std::chrono::milliseconds)> onWait;
    bool interrupted = false; // interruptWait() was called

    void queue(const QByteArray& chunk) { chunks.push_back(chunk); }

    void close() override
    {
        calls << QStringLiteral("close");
        opened = false;
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
        ++readCalls;
        if (onRead)
            onRead();
        if (!opened || chunks.empty())
            return {};
        QByteArray chunk = chunks.front();
        chunks.pop_front();
        return chunk;
    }
    void waitForBytes(std::chrono::milliseconds timeout) override
    {
        waits.push_back(timeout);
        if (onWait)
            onWait(timeout);
    }
    void interruptWait() override { interrupted = true; }
};
