#pragma once
// Printing a window as one picture fitted to one page: the main window's Print command and the
// About box's Print button share this, so both capture and scale the same way.

#include <QImage>
#include <QPageLayout>
#include <QSizeF>
#include <chrono>
#include <functional>

struct FileDialogRequest;
class QLabel;
class QPrinter;
class QString;
class QWidget;
class Prompts;

// The pause between capturing the window and printing it, so the screen settles first.
constexpr std::chrono::milliseconds kPrintWait{2000};

// Landscape when the picture is lower than it is wide; square and taller pictures print portrait.
QPageLayout::Orientation PictureOrientation(const QSize& picture);

// The printed size of `picture` on a printable area of `printable` (any one unit): the full
// width when the picture is proportionally as wide as the area or wider, otherwise the full
// height, keeping the picture's proportions. Empty when either size is empty.
QSizeF FitImageToPage(const QSizeF& picture, const QSizeF& printable);

// Sets the orientation, paints `picture` fitted at the top-left of one page and ends the
// document. False, with a text for the user in *error (may be null), when there is nothing to
// print, no printer is installed, the printer or output file cannot be opened, or the job fails.
bool PrintImageFitted(QPrinter& printer, const QImage& picture, QString* error);

// The whole window as it is on screen, menu bar included (not the frame the window manager
// draws). A null window gives a null image.
QImage CaptureWindowImage(QWidget* window);

// Prints `window` now: shows the busy pointer, captures the window (after moving `holder`, when
// given, out of the captured area; it keeps the capture), prints the capture fitted to one page
// and restores the pointer. A failure is reported through `prompts` with a message naming the
// error, after the pointer is back; returns false then.
bool PrintWindowFitted(QWidget* window, QPrinter& printer, Prompts& prompts,
                       QLabel* holder = nullptr);

// False when Qt has put a PDF device without a file in place of `printer`, as it does when no
// printer is installed.
bool HasPrinter(const QPrinter& printer);

// The save dialog of a PDF page: in `folder`, suggesting the data file's name with .pdf.
FileDialogRequest PdfDialogRequest(const QString& folder, const QString& dataFileName);

// Learns whether a print that went on after its pause put the page out.
using PrintDone = std::function<void(bool printed)>;

// The Print command with a PDF file as the other way out. Without a printer the page goes into
// the PDF file named in the save dialog `pdfDialog`; with one, the user first chooses the
// printer or a PDF file. The PDF page has the printer's size and margins, so it is the page the
// printer would print, fitted the same way. A Cancel in either question ends the command
// silently before anything is captured, and false is returned.
// Otherwise the window is captured at once as PrintWindowFitted does and true is returned; the
// page is printed after `pause`, from the event loop, so the window repaints and other commands
// run meanwhile. Then the pointer is restored, a failure is reported through `prompts`, and
// `done` (may be empty) is called. The pending print belongs to `window`: destroying the window
// first drops it. `printer` and `prompts` must outlive the pause.
bool PrintWindowToPrinterOrPdf(QWidget* window, QPrinter& printer, Prompts& prompts,
                               std::chrono::milliseconds pause, QLabel* holder,
                               const FileDialogRequest& pdfDialog, const PrintDone& done = {});
