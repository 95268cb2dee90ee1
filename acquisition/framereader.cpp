#include "framereader.h"

#include <QList>
#include <QStringView>

#include <algorithm>
#include <limits>
#include <utility>

namespace
{

// The field without the blanks around it.
QStringView withoutBlanks(QStringView field)
{
    while (!field.isEmpty() && field.front() == u' ')
        field = field.mid(1);
    while (!field.isEmpty() && field.back() == u' ')
        field.chop(1);
    return field;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// sign? digits (. digits)?  Anything else (exponents, a lone point, letters, "OVR") is not a
// number the instrument sends.
bool isPlainDecimal(QStringView field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    if (i < n && (field[i] == u'-' || field[i] == u'+'))
        ++i;
    const qsizetype intStart = i;
    while (i < n && isDigit(field[i]))
        ++i;
    if (i == intStart)
        return false;
    if (i < n && field[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && isDigit(field[i]))
            ++i;
        if (i == fracStart)
            return false;
    }
    return i == n;
}

} // namespace

QString DecodePortText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

void FrameAssembler::reset()
{
    m_frames.clear();
    m_partial.clear();
    m_lineStart = false;
    m_fieldCount = 0;
    m_fieldCountConfirmed = false;
    m_newFieldCount = 0;
    m_newFieldFrames = 0;
    m_dropped = 0;
    m_cut = 0;
}

void FrameAssembler::resume()
{
    m_frames.clear();
    m_partial.clear();
    m_lineStart = false;
}

void FrameAssembler::append(const QByteArray& bytes)
{
    // CR and LF each end a line: a CR LF pair then ends a line and an empty one, also when it
    // is split across two reads, and an empty line is no frame.
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p != end) {
        const char* const stop =
            std::find_if(p, end, [](char c) { return c == '\r' || c == '\n'; });
        addToLine(p, stop - p);
        if (stop == end)
            break;
        endLine();
        p = stop + 1;
    }
}

void FrameAssembler::addToLine(const char* text, qsizetype length)
{
    // The tail of a lost line is not kept: it ends at the next line end all the same.
    if (!m_lineStart || length == 0)
        return;
    if (m_partial.size() + length > kMaxLineLength) {
        m_partial.clear();
        m_lineStart = false;
        ++m_cut;
        return;
    }
    m_partial += DecodePortText(QByteArray::fromRawData(text, length));
}

void FrameAssembler::endLine()
{
    if (m_lineStart && !m_partial.isEmpty())
        keepFrame(std::move(m_partial));
    m_partial.clear();
    m_lineStart = true;
}

void FrameAssembler::keepFrame(QString frame)
{
    m_frames.push_back(std::move(frame));
    while (m_frames.size() > static_cast<std::size_t>(kMaxWaitingFrames)) {
        m_frames.pop_front();
        ++m_dropped;
    }
}

bool FrameAssembler::takeFrame(QString& frame)
{
    if (m_frames.empty())
        return false;
    frame = std::move(m_frames.front());
    m_frames.pop_front();
    return true;
}

bool FrameAssembler::acceptFrame(const QString& frame, int channelCount)
{
    if (!IsInstrumentFrame(frame, channelCount))
        return false;
    const int fields = static_cast<int>(frame.count(QLatin1Char(','))) + 1;
    if (fields == m_fieldCount) {
        m_fieldCountConfirmed = true;
        m_newFieldFrames = 0;
        return true;
    }
    // Lines run together have more fields than the instrument's line, so until a second frame
    // agrees with the first, the frame with fewer fields is the better guess.
    if (m_fieldCount == 0 || (!m_fieldCountConfirmed && fields < m_fieldCount)) {
        m_fieldCount = fields;
        m_newFieldFrames = 0;
        return true;
    }
    if (fields != m_newFieldCount) {
        m_newFieldCount = fields;
        m_newFieldFrames = 0;
    }
    if (++m_newFieldFrames < kFramesToChangeFieldCount)
        return false;
    m_fieldCount = fields;
    m_fieldCountConfirmed = true;
    m_newFieldFrames = 0;
    return true;
}

std::optional<double> FrameTemperature(QStringView field)
{
    field = withoutBlanks(field);
    if (!isPlainDecimal(field))
        return std::nullopt;
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok || value < kLowestFrameTemperature || value > kHighestFrameTemperature)
        return std::nullopt;
    return value;
}

bool IsInstrumentFrame(const QString& frame, int channelCount)
{
    if (channelCount < 1)
        return false;
    const QList<QStringView> fields = QStringView(frame).split(u',');
    if (fields.size() < 1 + channelCount)
        return false;
    for (qsizetype i = 1; i <= channelCount; ++i) {
        const QStringView field = withoutBlanks(fields[i]);
        if (FrameTemperature(field) || isPlainDecimal(field))
            continue; // a temperature, or a probe's fault sent as a number out of range
        if (std::any_of(field.begin(), field.end(), [](QChar c) { return isDigit(c); }))
            return false; // garbled digits: noise, not the instrument's word for a fault
    }
    return true;
}
