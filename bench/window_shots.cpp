// window-shots: pictures of the main window with a recorded run on it, at the default size,
// maximised on a 1280 x 1000 screen, and at twice the scale, and of a recording with an active
// alarm, so that the layout can be looked at without a display.
// Usage: window-shots OUTPUT-FOLDER [PREFIX]   (runs offscreen; PNG files named PREFIX-*.png)

#include "alarmsettings.h"
#include "datafile.h"
#include "fakeclock.h"
#include "fakeseriallink.h"
#include "mainwindow.h"
#include "qtseriallink.h"
#include "readinglistview.h"
#include "seams.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace
{

constexpr char kScaledChild[] = "--scaled-child";

// Every question answered as if the user pressed the default button; nothing is shown.
class QuietPrompts final : public Prompts
{
public:
    MsgAnswer message(const MessageRequest& request) override { return request.defaultButton; }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return {}; }
    bool printerSetup(QPrinter&) override { return false; }
    PrintOutput choosePrintOutput(const QString&) override { return PrintOutput::Cancel; }
};

class NoLauncher final : public Launcher
{
public:
    bool startDetached(const QString&, const QStringList&) override { return false; }
};

// A run of `seconds` at ten readings a second: exhaust gas warming up through the chart's
// range, one channel still cold below it, times running up to five digits.
QString sampleRun(int seconds, double startTime)
{
    QString text;
    for (int n = 0; n < seconds * 10; ++n) {
        const double t = startTime + n / 10.0;
        const int warm = 900 + n * 800 / (seconds * 10);
        text += QString::number(t, 'f', 1) + QStringLiteral("   %1   %2   %3   %4\r\n")
                                                 .arg(warm)
                                                 .arg(warm - 60 + n % 7)
                                                 .arg(1300 + (n % 50))
                                                 .arg(85);
    }
    return text;
}

bool shoot(MainWindow& window, const QString& path)
{
    QCoreApplication::processEvents();
    const bool ok = window.grab().save(path);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "could not write", qPrintable(path),
                window.width(), window.height());
    return ok;
}

// A recording in degrees C whose channel 1 climbs through its high limit of 800 while the
// others stay level: the alarm line, the flagged bar and the derived read-out as the user
// sees them, not yet acknowledged.
bool shootActiveAlarm(Prompts& prompts, Launcher& launcher, const QString& path)
{
    QTemporaryDir folder;
    AlarmSettings alarms;
    alarms.celsius = true;
    alarms.limits[0] = {800.0, std::nullopt, 10, 1};
    alarms.limits[kSpreadSource].high = 400;
    if (!SaveAlarmSettings(folder.path(), alarms).isEmpty())
        return false;
    ProgramState state;
    state.settings.degreesCelsius = 1;
    FakeClock clock;
    FakeSerialLink port;
    MainWindow window(state, MakeWindowServices(folder.path(), prompts, clock, port, &launcher));
    window.load();
    state.settings.degreesCelsius = 1;
    window.applyThermocoupleMode();
    window.show();
    window.onRecordButton(MainWindow::StartButton);
    const float start = clock.seconds;
    port.feed("\r\n0,700,610,560,520\r\n");
    window.onSampleTick(); // lays the chart out
    for (int n = 1; n <= 300; ++n) {
        clock.seconds = start + n / 10.0f;
        port.feed(QStringLiteral("%1,%2,%3,%4,%5\r\n")
                      .arg(n)
                      .arg(700 + n * 0.45, 0, 'f', 0)
                      .arg(610 + n % 3)
                      .arg(560 + n % 2)
                      .arg(520)
                      .toLatin1());
        window.onSampleTick();
    }
    return shoot(window, path);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool scaledChild = argc > 1 && qstrcmp(argv[1], kScaledChild) == 0;
    if (scaledChild)
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(scaledChild ? 2 : 1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: window-shots OUTPUT-FOLDER [PREFIX]\n");
        return 2;
    }
    const QString out = args.value(0);
    const QString prefix = args.value(1, QStringLiteral("window"));
    QDir().mkpath(out);

    QTemporaryDir folder;
    ProgramState state;
    SystemClock clock;
    QuietPrompts prompts;
    QtSerialLink port(folder.path());
    NoLauncher launcher;
    MainWindow window(state, MakeWindowServices(folder.path(), prompts, clock, port, &launcher));
    window.load();
    window.show();
    // The run is opened from a data file, as a user opens one, and drawn before the picture.
    const QString runFile = folder.filePath(QStringLiteral("sample run"));
    QFile file(runFile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(DataFileHeader(QString(), 0, 4, 0) + sampleRun(40, 0.0).toLatin1() +
                   "\r\n-9999\r\n") < 0)
        return 1;
    file.close();
    window.afterShown(runFile);
    // 400 rows are drawn in one slice of the replay; half a second is ample.
    QElapsedTimer drawing;
    drawing.start();
    while (drawing.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();

    bool ok = true;
    if (scaledChild)
        return shoot(window, out + QStringLiteral("/%1-scale2.png").arg(prefix)) ? 0 : 1;
    ok &= shoot(window, out + QStringLiteral("/%1-default.png").arg(prefix));
    window.resize(1280, 1000);
    ok &= shoot(window, out + QStringLiteral("/%1-maximised.png").arg(prefix));
    window.hide();
    ok &= shootActiveAlarm(prompts, launcher, out + QStringLiteral("/%1-alarm.png").arg(prefix));

    const int child =
        QProcess::execute(QCoreApplication::applicationFilePath(), {kScaledChild, out, prefix});
    return ok && child == 0 ? 0 : 1;
}
