#pragma once
// The serial control the frame reader waits on. The program never writes to the instrument.

#include <QByteArray>
#include <QString>
#include <chrono>

class SerialLink
{
public:
    virtual ~SerialLink() = default;
    virtual void close() = 0;
    // Selects COM port n (takes effect at the next open).
    virtual void setPort(int n) = 0;
    // Selects a device by its path instead of a port number (takes effect at the next open);
    // a later setPort() selects by number again.
    virtual void setDevice(const QString& path) = 0;
    // Line settings such as "19200,N,8,1"; false when the text is not understood.
    virtual bool setSettings(const QString& settings) = 0;
    // False when the port cannot be opened (absent, busy, no permission).
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    // Everything received since the previous read; never waits.
    virtual QByteArray readAll() = 0;
    // Sleeps with window events still handled (so a Stop works meanwhile) until bytes arrive,
    // the port closes or fails, interruptWait() is called or `timeout` passes. Returns at once
    // when bytes are already waiting. A closed port receives nothing: the wait then lasts the
    // whole timeout, unless interrupted.
    virtual void waitForBytes(std::chrono::milliseconds timeout) = 0;
    // Ends every wait in progress, for a program that is closing. A later wait is not affected.
    virtual void interruptWait() = 0;
};
