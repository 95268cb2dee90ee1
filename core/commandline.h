#pragma once
// The program's command line: `thermocouple-recorder [--port N|DEVICE] [--mqtt URL]
// [--influx URL] [--headless] [FILE]`, --help and --version. Parsed before QApplication exists, so that --help, --version and a mistake are
// answered without a display; Qt's own options (-platform, -style ...) are let through for it.

#include <QString>
#include <QStringList>

// Exit status of a command line that cannot be understood.
constexpr int kExitUsage = 2;

struct CommandLine {
    enum class Outcome {
        Run,     // start the window
        Help,    // print `text` on stdout and end with status 0
        Version, // likewise
        Error,   // print `text` on stderr and end with kExitUsage
    };
    Outcome outcome = Outcome::Run;
    // A data file to open once the window is up, as File > Open would; empty for none.
    QString dataFile;
    // The logger's port for this session only: a COM number 1..16 (0 when not given) or a
    // device path (empty when not given). The saved setting is left as it is.
    qint16 comPort = 0;
    QString portDevice;
    // Where readings are published for this session, over the saved publishing settings;
    // empty when not given. Only the scheme is checked here, the rest where they are used.
    QString mqttUrl;
    QString influxUrl;
    // Record without a window until SIGTERM.
    bool headless = false;
    QString text;
};

// `arguments` as main() receives them, the program first. `version` is what --version shows
// after the program's name.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& version);
