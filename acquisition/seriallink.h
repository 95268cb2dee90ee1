#pragma once
// The serial control the logger reader listens to. The program never writes to the instrument.

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialLink : public QObject
{
    Q_OBJECT
public:
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

signals:
    // Bytes arrived; readAll() takes them.
    void readyRead();
    // The device failed or went away (an unplugged adapter, a hung-up line); the link has
    // closed itself.
    void lost();
};
