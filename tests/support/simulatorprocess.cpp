#include "simulatorprocess.h"

#include <QDir>
#include <QFile>

bool SimulatorProcess::blockRealPorts(const QString& programFolder, int except)
{
    bool ok = QDir(programFolder).mkpath(QStringLiteral("ports"));
    for (int n = 1; n <= 16; ++n) {
        if (n == except)
            continue;
        const QString link = programFolder + QStringLiteral("/ports/COM") + QString::number(n);
        QFile::remove(link);
        ok = QFile::link(programFolder + QStringLiteral("/no-such-device"), link) && ok;
    }
    return ok;
}

bool SimulatorProcess::start(int port, const QStringList& extra)
{
    const QString program = qEnvironmentVariable("TR_SIMULATOR");
    if (program.isEmpty()) {
        why_ = QStringLiteral("TR_SIMULATOR is not set");
        return false;
    }
    if (!blockRealPorts(folder_, port)) {
        why_ = QStringLiteral("cannot link the other ports to nothing in ") + folder_;
        return false;
    }
    QFile::remove(folder_ + QStringLiteral("/ports/COM") + QString::number(port));
    port_ = port;
    process_.setProgram(program);
    process_.setArguments(QStringList{QStringLiteral("--folder"), folder_, QStringLiteral("--port"),
                                      QString::number(port)} +
                          extra);
    process_.start();
    if (!process_.waitForStarted(5000)) {
        why_ = QStringLiteral("cannot start ") + program + QStringLiteral(": ") +
               process_.errorString();
        return false;
    }
    // The first line on stdout says the link is in place.
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(5000)) {
            why_ = QStringLiteral("no start-up line: ") +
                   QString::fromLocal8Bit(process_.readAllStandardError());
            return false;
        }
    }
    process_.readLine();
    return true;
}

void SimulatorProcess::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    if (port_ != 0)
        blockRealPorts(folder_, 0);
}
