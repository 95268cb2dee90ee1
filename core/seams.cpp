#include "seams.h"

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
