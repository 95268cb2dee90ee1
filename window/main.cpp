#include "commandline.h"
#include "headlessrecorder.h"
#include "mainwindow.h"
#include "programfolder.h"
#include "qtprompts.h"
#include "qtseriallink.h"
#include "quitsignals.h"
#include "seams.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Answered before QApplication exists, which needs a display: --help, --version and a
    // mistake work in any terminal.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = ParseCommandLine(arguments, QStringLiteral(TR_VERSION));
    if (command.outcome != CommandLine::Outcome::Run) {
        const bool failed = command.outcome == CommandLine::Outcome::Error;
        std::fputs(qPrintable(command.text), failed ? stderr : stdout);
        return failed ? kExitUsage : 0;
    }

    // Unattended cells record without a window, and without a display.
    if (command.headless)
        return RunHeadless(argc, argv, command);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("thermocouple-recorder"));
    QApplication::setOrganizationName(QStringLiteral("Veltrona"));
    // No application display name: the desktop would append it to the window title, which
    // must read exactly as the program sets it.

    QApplication::setApplicationVersion(QStringLiteral(TR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.veltrona.ThermocoupleRecorder"));
    QuitOnTerminationSignals();
    const QString folder = ResolveProgramFolder();
    ProgramState state;
    SystemClock clock;
    QtPrompts prompts;
    QtSerialLink port(folder);
    ProcessLauncher launcher;

    WindowServices services = MakeWindowServices(folder, prompts, clock, port, &launcher,
                                                  [] { QCoreApplication::exit(0); });

    MainWindow window(state, services);
    prompts.setParent(&window);
    window.load();
    window.useSessionPort(command.comPort, command.portDevice);
    window.startPublishing(command.mqttUrl, command.influxUrl);
    window.show();
    // A name relative to the folder the program was started in, resolved before anything can
    // change that folder.
    const QString dataFile =
        command.dataFile.isEmpty() ? QString() : QFileInfo(command.dataFile).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, dataFile] { window.afterShown(dataFile); });
    const int status = app.exec();
    // The run's last readings reach the database before the end, or a few seconds pass. Not
    // while a run is still being recorded (a signal ended the program): its journal keeps it.
    if (!window.run().isRecording()) {
        window.hide();
        window.deliverPublished();
    }
    return status;
}
