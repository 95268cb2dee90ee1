#include "printwin.h"

#include "seams.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <QWidget>

namespace
{

// How far beyond its parent's right edge the holder goes: 500 twips at 15 twips per pixel.
constexpr int kHolderOffsetPixels = 500 / 15;

// The busy pointer for the length of a command, given back on every way out.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Qt falls back to a PDF printer without a file when no real printer is installed.
bool isPdfWithoutFile(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
}

QString printerDescription(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("the file \"%1\"").arg(printer.outputFileName());
    return QStringLiteral("the printer \"%1\"").arg(printer.printerName());
}

} // namespace

QPageLayout::Orientation PictureOrientation(const QSize& picture)
{
    return picture.height() < picture.width() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QSizeF FitImageToPage(const QSizeF& picture, const QSizeF& printable)
{
    if (picture.isEmpty() || printable.isEmpty())
        return {};
    const double pictureRatio = picture.width() / picture.height();
    const double printerRatio = printable.width() / printable.height();
    if (pictureRatio >= printerRatio)
        return {printable.width(), printable.width() / pictureRatio};
    return {printable.height() * pictureRatio, printable.height()};
}

bool PrintImageFitted(QPrinter& printer, const QImage& picture, QString* error)
{
    if (picture.isNull() || picture.size().isEmpty()) {
        setError(error, QStringLiteral("There is no picture to print."));
        return false;
    }
    // Before the painter opens the page: the printable area depends on it.
    printer.setPageOrientation(PictureOrientation(picture.size()));
    if (isPdfWithoutFile(printer)) {
        setError(error, QStringLiteral("No printer is installed."));
        return false;
    }
    if (!printer.isValid()) {
        setError(error,
                 QStringLiteral("The printer \"%1\" is not available.").arg(printer.printerName()));
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        setError(
            error,
            QStringLiteral("Printing could not start on %1.").arg(printerDescription(printer)));
        return false;
    }
    const QSizeF printable(painter.device()->width(), painter.device()->height());
    const QSizeF size = FitImageToPage(picture.size(), printable);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), size), picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        setError(error, QStringLiteral("Printing failed on %1.").arg(printerDescription(printer)));
        return false;
    }
    return true;
}

QImage CaptureWindowImage(QWidget* window)
{
    if (!window)
        return {};
    return window->grab().toImage();
}

void WaitWithEvents(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool HasPrinter(const QPrinter& printer)
{
    return !isPdfWithoutFile(printer);
}

FileDialogRequest PdfDialogRequest(const QString& folder, const QString& dataFileName)
{
    return CopyDialogRequest(QStringLiteral("Save the Page as PDF"), QStringLiteral("PDF Files"),
                             QStringLiteral("pdf"), folder, dataFileName);
}

bool PrintWindowToPrinterOrPdf(QWidget* window, QPrinter& printer, Prompts& prompts,
                               const std::function<void()>& wait, QLabel* holder,
                               const FileDialogRequest& pdfDialog)
{
    if (HasPrinter(printer)) {
        const QString name = printer.outputFormat() == QPrinter::PdfFormat
                                 ? QDir::toNativeSeparators(printer.outputFileName())
                                 : printer.printerName();
        switch (prompts.choosePrintOutput(name)) {
        case PrintOutput::Printer:
            return PrintWindowFitted(window, printer, prompts, wait, holder);
        case PrintOutput::Cancel:
            return false;
        case PrintOutput::PdfFile:
            break;
        }
    }
    const std::optional<QString> chosen = prompts.saveFile(pdfDialog);
    if (!chosen || chosen->isEmpty())
        return false;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(*chosen);
    pdf.setPageLayout(printer.pageLayout());
    pdf.setCreator(kAppTitle);
    pdf.setDocName(QFileInfo(*chosen).completeBaseName());
    return PrintWindowFitted(window, pdf, prompts, wait, holder);
}

bool PrintWindowFitted(QWidget* window, QPrinter& printer, Prompts& prompts,
                       const std::function<void()>& wait, QLabel* holder)
{
    QString error;
    bool printed = false;
    {
        const BusyCursor busy;
        if (holder) {
            const QWidget* parent = holder->parentWidget();
            holder->move((parent ? parent->width() : 0) + kHolderOffsetPixels, holder->y());
            holder->show();
        }
        const QImage picture = CaptureWindowImage(window);
        if (holder)
            holder->setPixmap(QPixmap::fromImage(picture));
        // Commands run during the wait may close the window: only the picture is used after it.
        if (wait)
            wait();
        printed = PrintImageFitted(printer, picture, &error);
    }
    if (!printed)
        prompts.say(QStringLiteral("The window could not be printed: ") + error);
    return printed;
}
