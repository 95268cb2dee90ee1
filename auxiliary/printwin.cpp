#include "printwin.h"

#include "seams.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

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

// Moves the holder out of the captured area, captures the window and leaves the capture in the
// holder, where it stays until the next print.
QImage captureForPrint(QWidget* window, QLabel* holder)
{
    if (holder) {
        const QWidget* parent = holder->parentWidget();
        holder->move((parent ? parent->width() : 0) + kHolderOffsetPixels, holder->y());
        holder->show();
    }
    QImage picture = CaptureWindowImage(window);
    if (holder)
        holder->setPixmap(QPixmap::fromImage(picture));
    return picture;
}

bool reportPrint(Prompts& prompts, bool printed, const QString& error)
{
    if (!printed)
        prompts.say(QStringLiteral("The window could not be printed: ") + error);
    return printed;
}

// A capture waiting for its pause to end before it is printed. Only the picture is used after
// the pause, so commands run meanwhile may change or hide the window.
class PendingPrint : public QObject
{
public:
    PendingPrint(QWidget* window, QPrinter& printer, std::unique_ptr<QPrinter> ownPrinter,
                 Prompts& prompts, const PrintDone& done)
        : QObject(window), printer_(printer), ownPrinter_(std::move(ownPrinter)), prompts_(prompts),
          done_(done)
    {
    }

    void start(QWidget* window, QLabel* holder, std::chrono::milliseconds pause)
    {
        busy_.emplace();
        picture_ = captureForPrint(window, holder);
        QTimer::singleShot(pause, Qt::PreciseTimer, this, [this] { finish(); });
    }

private:
    void finish()
    {
        QString error;
        const bool printed = PrintImageFitted(printer_, picture_, &error);
        busy_.reset();
        reportPrint(prompts_, printed, error);
        if (done_)
            done_(printed);
        deleteLater();
    }

    QPrinter& printer_; // may be ownPrinter_
    std::unique_ptr<QPrinter> ownPrinter_;
    Prompts& prompts_;
    PrintDone done_;
    QImage picture_;
    std::optional<BusyCursor> busy_; // also given back when the window goes first
};

// Captures now and prints after `pause`.
void printAfterPause(QWidget* window, QPrinter& printer, std::unique_ptr<QPrinter> ownPrinter,
                     Prompts& prompts, std::chrono::milliseconds pause, QLabel* holder,
                     const PrintDone& done)
{
    auto* pending = new PendingPrint(window, printer, std::move(ownPrinter), prompts, done);
    pending->start(window, holder, pause);
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
                               std::chrono::milliseconds pause, QLabel* holder,
                               const FileDialogRequest& pdfDialog, const PrintDone& done)
{
    if (HasPrinter(printer)) {
        const QString name = printer.outputFormat() == QPrinter::PdfFormat
                                 ? QDir::toNativeSeparators(printer.outputFileName())
                                 : printer.printerName();
        switch (prompts.choosePrintOutput(name)) {
        case PrintOutput::Printer:
            printAfterPause(window, printer, nullptr, prompts, pause, holder, done);
            return true;
        case PrintOutput::Cancel:
            return false;
        case PrintOutput::PdfFile:
            break;
        }
    }
    const std::optional<QString> chosen = prompts.saveFile(pdfDialog);
    if (!chosen || chosen->isEmpty())
        return false;
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setOutputFileName(*chosen);
    pdf->setPageLayout(printer.pageLayout());
    pdf->setCreator(kAppTitle);
    pdf->setDocName(QFileInfo(*chosen).completeBaseName());
    QPrinter& device = *pdf;
    printAfterPause(window, device, std::move(pdf), prompts, pause, holder, done);
    return true;
}

bool PrintWindowFitted(QWidget* window, QPrinter& printer, Prompts& prompts, QLabel* holder)
{
    QString error;
    bool printed = false;
    {
        const BusyCursor busy;
        printed = PrintImageFitted(printer, captureForPrint(window, holder), &error);
    }
    return reportPrint(prompts, printed, error);
}
