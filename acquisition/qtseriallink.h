#pragma once
// The serial control of the program: a QSerialPort on the device that port number n resolves
// to in the program folder. Nothing is ever written to the instrument.

#include "seriallink.h"

#include <QSerialPort>
#include <QString>
#include <vector>


// Line settings as the text "baud,parity,data bits,stop bits" is understood.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Parses "19200,N,8,1": a positive baud rate, parity N/E/O/M/S (either case), data bits 5..8,
// stop bits 1, 1.5 or 2; blanks around the fields are allowed. False for anything else.
bool ParseLineSettings(const QString& text, LineSettings& out);

class QtSerialLink final : public SerialLink
{
public:
    // Port numbers are resolved against `programFolder` when the port is opened, so a link in
    // ports/ that changes between two opens is followed.
    explicit QtSerialLink(const QString& programFolder);
    ~QtSerialLink() override;

    QtSerialLink(const QtSerialLink&) = delete;
    QtSerialLink& operator=(const QtSerialLink&) = delete;

    void close() override;
    void setPort(int n) override;
    void setDevice(const QString& path) override;
    bool setSettings(const QString& settings) override;
    // False for a port number outside 1..16 (unless a device was selected by path) or a device
    // that cannot be opened. Opening an open port keeps it open and succeeds.
    bool open() override;
    bool isOpen() const override;
    // What the event loop has buffered since the last read. Empty when the port is closed, also
    // after the device vanished (an unplugged adapter, a closed pseudo-terminal): the link
    // closes itself then instead of letting a dead descriptor wake the event loop forever.
    QByteArray readAll() override;

    int portNumber() const { return m_portNumber; }
    // The device path of the last open attempt.
    QString devicePath() const { return m_port.portName(); }

private:
    void onError(QSerialPort::SerialPortError error);
    void applySettings();

    QString m_programFolder;
    int m_portNumber = 0;
    QString m_device; // selected by path; empty when selected by number
    LineSettings m_settings;
    QSerialPort m_port;
};
