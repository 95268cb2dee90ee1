#pragma once
// The instrument simulator (TR_SIMULATOR) on a pty linked as ports/COMn of a scratch folder;
// every other port there links to nothing, so a test never opens a real serial device.

#include <QProcess>
#include <QString>
#include <QStringList>

class SimulatorProcess
{
public:
    explicit SimulatorProcess(QString programFolder) : folder_(std::move(programFolder)) {}
    ~SimulatorProcess() { stop(); }

    // Starts the simulator on `port` with `extra` arguments and waits until its link exists.
    // False, with the reason in why(), when it cannot be started (no simulator built, no pty).
    bool start(int port, const QStringList& extra = {});
    // Ends it (SIGTERM, then kill) and puts a link to nothing back in place of its port.
    void stop();
    QString why() const { return why_; }

    // Links to nothing for every port 1..16 but `except`; false when one cannot be made (a
    // test must not go on then: that port number would reach a real device).
    static bool blockRealPorts(const QString& programFolder, int except = 0);

private:
    QString folder_;
    QProcess process_;
    int port_ = 0;
    QString why_;
};
