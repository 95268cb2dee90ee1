#include "seams.h"

#include <QFileInfo>
#include <QProcess>
#include <QTime>

float SystemClock::secondsSinceMidnight()
{
    return static_cast<float>((QDateTime::currentMSecsSinceEpoch() - midnightMs_) / 1000.0);
}

QDateTime SystemClock::now()
{
    QDateTime t = QDateTime::currentDateTime();
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return t;
}

bool ProcessLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void ProcessLauncher::run(const QString& program, const QStringList& arguments,
                          std::function<void(bool succeeded)> finished)
{
    // No parent: the program ends on its own, and one still running when this program ends
    // is left to finish (the opener may wait for the editor it started).
    auto* process = new QProcess;
    // Nothing reads its output, so it must not fill a pipe and stall the program.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // Queued, so the outcome always arrives from the event loop, never inside this call.
    QObject::connect(
        process, &QProcess::finished, process,
        [process, finished](int exitCode, QProcess::ExitStatus status) {
            process->deleteLater();
            finished(status == QProcess::NormalExit && exitCode == 0);
        },
        Qt::QueuedConnection);
    QObject::connect(
        process, &QProcess::errorOccurred, process,
        [process, finished](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return; // a crash also ends in finished()
            process->deleteLater();
            finished(false);
        },
        Qt::QueuedConnection);
    process->start(program, arguments);
}

FileDialogRequest CopyDialogRequest(const QString& title, const QString& kind,
                                    const QString& suffix, const QString& folder,
                                    const QString& dataFileName)
{
    FileDialogRequest request;
    request.title = title;
    request.filter = kind + QStringLiteral(" (*.") + suffix + QStringLiteral(");;All Files (*.*)");
    request.initialDir = folder;
    request.initialName = QFileInfo(dataFileName).fileName() + QLatin1Char('.') + suffix;
    request.confirmOverwrite = true;
    request.defaultSuffix = suffix;
    return request;
}
