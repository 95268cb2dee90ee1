#include "pdfpages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>

namespace
{

// The tool's standard output, or nothing with `error` set.
QByteArray run(const QString& tool, const QStringList& arguments, QString& error)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = tool + QStringLiteral(" failed (scripts/setup-deps.sh installs poppler-utils): ") +
                (process.error() == QProcess::UnknownError ? QString() : process.errorString()) +
                QString::fromLocal8Bit(process.readAllStandardError());
        return {};
    }
    return process.readAllStandardOutput();
}

} // namespace

PdfPages ReadPdf(const QString& path, int dpi)
{
    PdfPages pdf;
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {path}, pdf.error));
    const QRegularExpressionMatch match =
        QRegularExpression(
            QStringLiteral("^Pages:\\s+(\\d+)$.*^Page size:\\s+([\\d.]+) x ([\\d.]+)"),
            QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption)
            .match(info);
    if (!match.hasMatch()) {
        pdf.error += QStringLiteral(" pdfinfo said: ") + info;
        return pdf;
    }
    pdf.pages = match.captured(1).toInt();
    pdf.pageSize = QSizeF(match.captured(2).toDouble(), match.captured(3).toDouble());
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
         QStringLiteral("-singlefile"), path, base},
        pdf.error);
    pdf.firstPage = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    if (pdf.firstPage.isNull())
        pdf.error += QStringLiteral(" pdftoppm wrote no page image");
    return pdf;
}

double MeanDifference(const QImage& page, const QRect& area, const QImage& picture)
{
    if (!page.rect().contains(area) || area.isEmpty())
        return 255.0;
    const QImage expected =
        picture.convertToFormat(QImage::Format_RGB32)
            .scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    qint64 sum = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const QRgb a = expected.pixel(x, y);
            const QRgb b = page.pixel(area.left() + x, area.top() + y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
    }
    return double(sum) / (3.0 * area.width() * area.height());
}
