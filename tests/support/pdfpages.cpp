#include "pdfpages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

namespace
{

// The tool's standard output, or nothing with `error` set.
QByteArray run(const QString& tool, const QStringList& arguments, QString& error)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        error = tool + QStringLiteral(" not found: scripts/setup-deps.sh installs poppler-utils");
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = tool + QStringLiteral(" failed: ") +
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
    if (!pdf.error.isEmpty())
        return pdf;
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                             QRegularExpression::MultilineOption)
                                              .match(info);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                           QRegularExpression::MultilineOption)
            .match(info);
    if (!pages.hasMatch() || !size.hasMatch()) {
        pdf.error = QStringLiteral("pdfinfo said: ") + info;
        return pdf;
    }
    pdf.pages = pages.captured(1).toInt();
    pdf.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
         QStringLiteral("-singlefile"), path, base},
        pdf.error);
    if (!pdf.error.isEmpty())
        return pdf;
    pdf.firstPage = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    if (pdf.firstPage.isNull())
        pdf.error = QStringLiteral("pdftoppm wrote no page image");
    return pdf;
}

double MeanDifference(const QImage& page, const QRect& area, const QImage& picture)
{
    const QRect inside = area.intersected(page.rect());
    if (inside != area || area.isEmpty())
        return 255.0;
    const QImage expected =
        picture.convertToFormat(QImage::Format_RGB32)
            .scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    qint64 sum = 0;
    for (int y = 0; y < area.height(); ++y) {
        const auto* want = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        const auto* got = reinterpret_cast<const QRgb*>(page.constScanLine(area.top() + y));
        for (int x = 0; x < area.width(); ++x) {
            const QRgb a = want[x];
            const QRgb b = got[area.left() + x];
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
    }
    return double(sum) / (3.0 * area.width() * area.height());
}
