#pragma once
// The program's contact points with the user and the machine that tests replace: message and
// input boxes, the common file and printer dialogs, the clock, and ending the program.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;

// Caption of message boxes that do not name their own.
inline const QString kAppTitle = QStringLiteral("Thermocouple Recorder");

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Question, Information, Warning, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };
// Where Print sends the page when a printer is installed.
enum class PrintOutput { Printer, PdfFile, Cancel };

struct MessageRequest {
    QString text;
    QString caption = kAppTitle;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgAnswer defaultButton = MsgAnswer::Ok;
};

struct FileDialogRequest {
    QString title;
    QString filter; // "All Files (*.*)" means every file
    QString initialDir;
    QString initialName;
    bool mustExist = false;        // Open
    bool confirmOverwrite = false; // Save As
    QString defaultSuffix;         // added to a name typed without one ("csv")
};

// A Save As dialog for a copy of the run in another form: starts in `folder` with the data
// file's name plus ".suffix", shows files of that kind or all, asks before replacing a file.
FileDialogRequest CopyDialogRequest(const QString& title, const QString& kind,
                                    const QString& suffix, const QString& folder,
                                    const QString& dataFileName);

class Prompts
{
public:
    virtual ~Prompts() = default;
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    // Returns the typed text; Cancel reads as empty text.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    // False when the user cancelled; the printer keeps its settings then.
    virtual bool printerSetup(QPrinter& printer) = 0;
    // Asks whether the page goes to the printer `printerName` or into a PDF file.
    virtual PrintOutput choosePrintOutput(const QString& printerName) = 0;

    // An OK-only box with the application's caption.
    void say(const QString& text) { message(MessageRequest{text}); }
};

class Clock
{
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with a fractional part, as a Single. Run times are differences of
    // two readings, so the real clock counts on past 86400 after midnight instead of starting
    // again at 0: a run that goes on over midnight keeps its times.
    virtual float secondsSinceMidnight() = 0;
    // Local date and time, whole seconds.
    virtual QDateTime now() = 0;
};

// Starts outside programs (text editor, web browser). Programs get an argument list, never a
// shell command line, so a path with blanks or quotes stays one argument.
class Launcher
{
public:
    virtual ~Launcher() = default;
    // False when the program cannot be started (not found, not executable).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Runs a program that hands the work on and ends, such as the desktop's opener, without
    // waiting for it: `finished` gets true once it has ended with exit code 0, false when it
    // could not start, crashed or ended with an error. Only the exit code tells that the
    // opener found nothing to open the file with. A launcher that cannot see the end reports
    // at once whether the program started.
    virtual void run(const QString& program, const QStringList& arguments,
                     std::function<void(bool succeeded)> finished)
    {
        finished(startDetached(program, arguments));
    }

    // Shows a document in the program's own window when no outside program could; set by the
    // window that owns that window for as long as it lives. Empty: there is none.
    std::function<void(const QString& path)> showInProgram;
};

class SystemClock final : public Clock
{
public:
    float secondsSinceMidnight() override;
    QDateTime now() override;

private:
    // Midnight at the start of the day the program started, in milliseconds since the epoch:
    // counting from it needs no look at the time zone, which the C library checks with a
    // stat() of /etc/localtime at each local time it works out.
    const qint64 midnightMs_ = QDateTime(QDate::currentDate(), QTime(0, 0)).toMSecsSinceEpoch();
};

class ProcessLauncher final : public Launcher
{
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
    void run(const QString& program, const QStringList& arguments,
             std::function<void(bool succeeded)> finished) override;
};
