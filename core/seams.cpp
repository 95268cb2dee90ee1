#include "seams.h"

#include <QFileInfo>
#include <QProcess>
#include <QTime>

float SystemClock::secondsSinceMidnight()
{
    return static_cast<float>(midnight_.msecsTo(QDateTime::currentDateTime()) / 1000.0);
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
