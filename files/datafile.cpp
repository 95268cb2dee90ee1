#include "datafile.h"

#include "errornumbers.h"
#include "numconv.h"
#include "safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");
const QString kPlaceholder = QStringLiteral("A/F1");
constexpr int kPlaceholderLines = 4;

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Sequential reading of a file's bytes, by fields of the fixed lines and by whole lines.
class DataFileReader
{
public:
    explicit DataFileReader(QByteArray data) : data_(std::move(data)) {}

    bool atEnd() const { return pos_ >= data_.size(); }

    // A whole line without its terminator; nothing at the end of the file. *ended tells
    // whether the line had its line end, that is, whether it was written to the end.
    std::optional<QString> line(bool* ended = nullptr)
    {
        if (atEnd())
            return std::nullopt;
        const qsizetype start = pos_;
        while (pos_ < data_.size() && !isLineEnd(data_[pos_]))
            ++pos_;
        const QString text = QString::fromLatin1(data_.mid(start, pos_ - start));
        if (ended)
            *ended = pos_ < data_.size();
        skipLineEnd();
        return text;
    }

    // A list-input text field; its delimiter (comma or line end) is consumed. Nothing at the
    // end of the file. An unclosed quote runs to the end of the line.
    std::optional<QString> field()
    {
        if (atEnd())
            return std::nullopt;
        while (pos_ < data_.size() && (data_[pos_] == ' ' || data_[pos_] == '\t'))
            ++pos_;
        qsizetype start = pos_;
        qsizetype end = pos_;
        if (pos_ < data_.size() && data_[pos_] == '"') {
            start = ++pos_;
            while (pos_ < data_.size() && data_[pos_] != '"' && !isLineEnd(data_[pos_]))
                ++pos_;
            end = pos_;
            // Whatever stands between the closing quote and the delimiter is dropped.
            while (pos_ < data_.size() && data_[pos_] != ',' && !isLineEnd(data_[pos_]))
                ++pos_;
        } else {
            while (pos_ < data_.size() && data_[pos_] != ',' && !isLineEnd(data_[pos_]))
                ++pos_;
            end = pos_;
        }
        const QString text = QString::fromLatin1(data_.mid(start, end - start));
        if (pos_ < data_.size() && data_[pos_] == ',')
            ++pos_;
        else
            skipLineEnd();
        return text;
    }

    // A 16-bit integer field; blanks around the number are ignored and an empty field is 0.
    // Returns 0 or the run-time error number.
    int integerField(qint16& value)
    {
        const std::optional<QString> text = field();
        if (!text)
            return err::kPastEndOfFile;
        const QString number = text->trimmed();
        if (number.isEmpty()) {
            value = 0;
            return 0;
        }
        bool overflow = false;
        const double read = num::Val(number, &overflow);
        if (overflow)
            return err::kOverflow;
        if (!num::IsWholeNumberText(number))
            return err::kTypeMismatch;
        const std::optional<qint16> rounded = num::ToInteger(read);
        if (!rounded)
            return err::kOverflow;
        value = *rounded;
        return 0;
    }

    // Lines up to the terminator line, each followed by CR LF. A file that ends without the
    // terminator ends the section too; its last line keeps the line break only when the file
    // has one after it, so a line cut short stays recognisable as such. Returns 0 or the
    // run-time error number.
    int section(QString& out)
    {
        for (;;) {
            bool ended = false;
            const std::optional<QString> text = line(&ended);
            if (!text)
                return err::kPastEndOfFile;
            if (*text == kSectionTerminator)
                return 0;
            out += *text;
            if (ended)
                out += kLineEnd;
            if (atEnd())
                return 0;
        }
    }

    // The same section, each line handed to `take` where it stands in the file's bytes.
    int section(const std::function<void(QLatin1StringView, bool)>& take)
    {
        for (;;) {
            if (atEnd())
                return err::kPastEndOfFile;
            const qsizetype start = pos_;
            while (pos_ < data_.size() && !isLineEnd(data_[pos_]))
                ++pos_;
            const QLatin1StringView text(data_.constData() + start, pos_ - start);
            const bool ended = pos_ < data_.size();
            skipLineEnd();
            if (text == kSectionTerminator)
                return 0;
            take(text, ended);
            if (atEnd())
                return 0;
        }
    }

private:
    void skipLineEnd()
    {
        if (pos_ < data_.size() && data_[pos_] == '\r')
            ++pos_;
        if (pos_ < data_.size() && data_[pos_] == '\n')
            ++pos_;
    }

    QByteArray data_;
    qsizetype pos_ = 0;
};

} // namespace

QByteArray DataFileHeader(const QString& comments, qint16 degreesCelsius, qint16 channelCount,
                          qint16 fuelType)
{
    const QByteArray emptyRun =
        WriteDataFileText(comments, QString(), degreesCelsius, channelCount, fuelType);
    const QByteArray emptySection = (kLineEnd + kSectionTerminator + kLineEnd).toLatin1();
    return emptyRun.left(emptyRun.size() - emptySection.size());
}

QByteArray WriteDataFileText(const QString& comments, const QString& runText, qint16 degreesCelsius,
                             qint16 channelCount, qint16 fuelType)
{
    QString out;
    out += kDataFileTypeLine + kLineEnd;
    out += num::PrintForm(degreesCelsius) + kLineEnd;
    out += num::PrintForm(channelCount) + kLineEnd;
    out += num::Str(fuelType).trimmed() + kLineEnd;
    for (int i = 0; i < kPlaceholderLines; ++i)
        out += kPlaceholder + kLineEnd;
    // Comments read from a file end in a line break already; another one would add an empty
    // comment line at every save and load.
    out += comments;
    if (!comments.endsWith(kLineEnd))
        out += kLineEnd;
    out += kSectionTerminator + kLineEnd;
    out += runText + kLineEnd + kSectionTerminator + kLineEnd;
    return out.toLatin1();
}

int WriteDataFile(const QString& path, const QByteArray& bytes)
{
    return WriteFileReplacing(path, bytes);
}

DataFileRead ReadDataFile(const QString& path, const QString& expectedTypeLine,
                          const SampleLineSink& takeSample)
{
    DataFileRead r;
    const auto fail = [&r](int errorNumber) {
        r.outcome = DataFileRead::Outcome::Error;
        r.errorNumber = errorNumber;
        return r;
    };

    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fail(path.isEmpty() ? err::kFileNotFound : OpenForReadingErrorNumber(path));
    DataFileReader in(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return fail(err::kPathFileAccess);
    file.close();

    const std::optional<QString> type = in.field();
    if (!type)
        return fail(err::kPastEndOfFile);
    if (*type != expectedTypeLine) {
        r.outcome = DataFileRead::Outcome::WrongType;
        return r;
    }
    if (const int e = in.integerField(r.unit))
        return fail(e);
    if (const int e = in.integerField(r.channels))
        return fail(e);
    r.channelsRead = true;

    const std::optional<QString> fuel = in.field();
    if (!fuel)
        return fail(err::kPastEndOfFile);
    bool overflow = false;
    const std::optional<qint16> fuelIndex = num::ToInteger(num::Val(*fuel, &overflow));
    if (overflow || !fuelIndex)
        return fail(err::kOverflow);
    r.fuel = *fuelIndex;
    for (int i = 0; i < kPlaceholderLines; ++i)
        if (!in.field())
            return fail(err::kPastEndOfFile);

    r.commentsStarted = true;
    if (const int e = in.section(r.comments))
        return fail(e);
    r.samplesStarted = true;
    const auto take = [&](QLatin1StringView line, bool ended) {
        takeSample(line, ended, r.channels);
    };
    if (const int e = takeSample ? in.section(take) : in.section(r.samples))
        return fail(e);
    r.outcome = DataFileRead::Outcome::Ok;
    return r;
}

QString DataFileErrorText(int errorNumber, int lineNumber)
{
    QString reason;
    switch (errorNumber) {
    case err::kOverflow:
        reason = QStringLiteral("Not a data file of this program, or a damaged one: a number in "
                                "it is too large.");
        break;
    case err::kTypeMismatch:
        reason = QStringLiteral("Not a data file of this program, or a damaged one: it holds "
                                "text where a number belongs.");
        break;
    case err::kPastEndOfFile:
        reason = QStringLiteral("The file ends too early: it was cut short, or it is not a data "
                                "file of this program.");
        break;
    default:
        reason = FileErrorReason(errorNumber);
    }
    return QStringLiteral("SaveAFFileEr: ") + num::Str(errorNumber) + QStringLiteral("  ") +
           num::Str(lineNumber) + QLatin1Char('\n') + reason;
}

QString DataFileName(const QString& filePath, const QString& dataFolder)
{
    const QString path = QDir::fromNativeSeparators(filePath);
    QString folder = QDir::fromNativeSeparators(dataFolder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    // Only a path that really lies below the folder counts, not one that merely contains its
    // text ("/x/TCFiles2/run" is not below "/x/TCFiles").
    if (dataFolder.isEmpty() || path.size() <= folder.size() ||
        !path.startsWith(folder, Qt::CaseInsensitive))
        return QDir::toNativeSeparators(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    return QDir::toNativeSeparators(path.mid(folder.size()));
}

QString UnitSwitchMessage(qint16 fileUnit)
{
    const QString f = fileUnit == 1 ? QStringLiteral("C") : QStringLiteral("F");
    const QString p = fileUnit == 1 ? QStringLiteral("F") : QStringLiteral("C");
    return QStringLiteral("Your program is set to using Deg ") + p +
           QStringLiteral(" but this file was saved using Deg ") + f +
           QStringLiteral(".  The program will now be switch to temperature units of Deg ") + f +
           QStringLiteral(".");
}

MessageRequest BadFileMessage(const QString& programTitle)
{
    MessageRequest request;
    request.text = QStringLiteral("This is not a ") + programTitle +
                   QStringLiteral(" file and can not be used.");
    request.caption = QStringLiteral("Bad File");
    return request;
}
