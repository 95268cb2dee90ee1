#include "programfolder.h"
#include "qtprompts.h"
#include "qtseriallink.h"
#include "seams.h"
#include "vovirezoza.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("thermocouple-recorder"));
    QApplication::setOrganizationName(QStringLiteral("Veltrona"));
    // No application display name: the desktop would append it to the window title, which
    // must read exactly as the program sets it.

    const QString folder = ResolveProgramFolder();
    Module1 shared;
    SystemClock clock;
    QtPrompts prompts;
    QtSerialLink port(folder);
    ProcessLauncher launcher;

    WindowServices services;
    services.programFolder = folder;
    services.prompts = &prompts;
    services.clock = &clock;
    services.port = &port;
    services.launcher = &launcher;
    services.endProgram = [] { QCoreApplication::exit(0); };

    VoviRezoZA window(shared, services);
    prompts.setParent(&window);
    window.Form_Load();
    window.show();
    QTimer::singleShot(0, &window, &VoviRezoZA::afterShown);
    return app.exec();
}
