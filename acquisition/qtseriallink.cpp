#include "qtseriallink.h"

#include "portpath.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace
{

constexpr qint64 kReadBufferBytes = 64 * 1024;

// The letters and numbers of the settings text, each with the serial port's value.
template <typename T> struct Named {
    const char* text;
    T value;
};
constexpr Named<QSerialPort::Parity> kParities[] = {{"N", QSerialPort::NoParity},
                                                    {"E", QSerialPort::EvenParity},
                                                    {"O", QSerialPort::OddParity},
                                                    {"M", QSerialPort::MarkParity},
                                                    {"S", QSerialPort::SpaceParity}};
constexpr Named<QSerialPort::DataBits> kDataBits[] = {{"5", QSerialPort::Data5},
                                                      {"6", QSerialPort::Data6},
                                                      {"7", QSerialPort::Data7},
                                                      {"8", QSerialPort::Data8}};
constexpr Named<QSerialPort::StopBits> kStopBits[] = {
    {"1", QSerialPort::OneStop}, {"1.5", QSerialPort::OneAndHalfStop}, {"2", QSerialPort::TwoStop}};

template <typename T, size_t N>
bool lookUp(const Named<T> (&table)[N], const QString& text, T& value)
{
    for (const Named<T>& entry : table) {
        if (text == QLatin1String(entry.text)) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

} // namespace

bool ParseLineSettings(const QString& text, LineSettings& out)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return false;

    LineSettings s;
    bool ok = false;
    const qint64 baud = fields[0].trimmed().toLongLong(&ok);
    if (!ok || baud <= 0 || baud > std::numeric_limits<qint32>::max())
        return false;
    s.baudRate = static_cast<qint32>(baud);
    if (!lookUp(kParities, fields[1].trimmed().toUpper(), s.parity) ||
        !lookUp(kDataBits, fields[2].trimmed(), s.dataBits) ||
        !lookUp(kStopBits, fields[3].trimmed(), s.stopBits))
        return false;
    out = s;
    return true;
}

QtSerialLink::QtSerialLink(const QString& programFolder) : m_programFolder(programFolder)
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, this,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
    QObject::connect(&m_port, &QIODevice::readyRead, this, &SerialLink::readyRead);
}

QtSerialLink::~QtSerialLink()
{
    close();
}

void QtSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialLink::setPort(int n)
{
    m_portNumber = n;
    m_device.clear();
}

void QtSerialLink::setDevice(const QString& path)
{
    m_device = path;
}

bool QtSerialLink::setSettings(const QString& settings)
{
    LineSettings parsed;
    if (!ParseLineSettings(settings, parsed))
        return false;
    m_settings = parsed;
    if (m_port.isOpen())
        applySettings();
    return true;
}

bool QtSerialLink::open()
{
    if (m_port.isOpen())
        return true;
    const QString path =
        m_device.isEmpty() ? ComPortDevicePath(m_programFolder, m_portNumber) : m_device;
    if (path.isEmpty())
        return false;
    m_port.setPortName(path);
    applySettings();
    // Opened read/write, as serial devices expect, although nothing is ever sent.
    // The port stays open between runs while nobody reads it; what the instrument sends then
    // must not pile up in memory for days. Past this, the oldest lines wait in (and fall out of)
    // the system's own small buffer; a new run reopens the port anyway.
    m_port.setReadBufferSize(kReadBufferBytes);
    return m_port.open(QIODevice::ReadWrite);
}

void QtSerialLink::applySettings()
{
    // QSerialPort keeps these for the next open when the port is closed.
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialLink::isOpen() const
{
    return m_port.isOpen();
}

QByteArray QtSerialLink::readAll()
{
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

void QtSerialLink::onError(QSerialPort::SerialPortError error)
{
    // A vanished device keeps its descriptor readable (EIO/hang-up) and would wake the event
    // loop without end; a read error on a tty is of the same kind. The close is queued: the
    // error is reported from inside QSerialPort's own read handling.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_port.isOpen())
                    return;
                close();
                emit lost();
            },
            Qt::QueuedConnection);
}
