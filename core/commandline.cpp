#include "commandline.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace
{

constexpr int kLastComPort = 16;
const QString kProgramName = QStringLiteral("thermocouple-recorder");

// The command-line options every Qt program takes (QGuiApplication, QApplication).
constexpr const char* kQtOptionsWithValue[] = {
    "style",         "stylesheet", "platform",        "platformpluginpath",
    "platformtheme", "plugin",     "qwindowgeometry", "qwindowicon",
    "qwindowtitle",  "session",    "display",         "geometry",
    "qmljsdebugger", "dialogs",    "fontengine"};
constexpr const char* kQtFlags[] = {"widgetcount", "reverse"};

CommandLine failure(const QString& message)
{
    CommandLine result;
    result.outcome = CommandLine::Outcome::Error;
    result.text = kProgramName + QStringLiteral(": ") + message + QLatin1Char('\n') +
                  QStringLiteral("Try '") + kProgramName + QStringLiteral(" --help'.\n");
    return result;
}

// A COM number ("3", "COM3") or a device path ("/dev/ttyUSB0", "./pty"); false for anything
// else, so that a mistyped number is not taken for a device that does not exist.
bool readPort(const QString& value, CommandLine& result)
{
    static const QRegularExpression number(QStringLiteral("^(?:[Cc][Oo][Mm])?(\\d{1,3})$"));
    const QRegularExpressionMatch match = number.match(value);
    if (match.hasMatch()) {
        const int n = match.captured(1).toInt();
        if (n < 1 || n > kLastComPort)
            return false;
        result.comPort = static_cast<qint16>(n);
        return true;
    }
    if (!value.contains(QLatin1Char('/')))
        return false;
    result.portDevice = value;
    return true;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Records the four-channel thermocouple recorder on a serial port, shows the\n"
        "temperatures as bars and on a strip chart, and saves, exports and prints "
        "runs."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption showVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Shows the program's version and ends."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("The logger's port for this session, without changing the saved setting: "
                       "a COM number from 1 to 16 (see the README for the devices they stand "
                       "for) or a device path such as /dev/ttyUSB0."),
        QStringLiteral("N|DEVICE"));
    const QCommandLineOption mqtt(
        QStringLiteral("mqtt"),
        QStringLiteral("Publishes every reading to this MQTT broker for this session."),
        QStringLiteral("mqtt://HOST[:PORT]"));
    const QCommandLineOption influx(
        QStringLiteral("influx"),
        QStringLiteral("Writes every reading to InfluxDB for this session: "
                       "http://HOST:8086/write?db=NAME, or .../api/v2/write?org=ORG&bucket=B "
                       "with the token in INFLUX_TOKEN."),
        QStringLiteral("URL"));
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QStringLiteral("Records without a window until SIGTERM, progress on stderr; the run is "
                       "saved in the data folder."));
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(port);
    parser.addOption(mqtt);
    parser.addOption(influx);
    parser.addOption(headless);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A data file to open at start-up."),
                                 QStringLiteral("[FILE]"));
    // Qt's own options reach this parser too: it runs before QApplication has taken them out,
    // so that no display is needed to answer --help or a mistake. Qt writes them with one
    // dash (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    CommandLine result;
    if (parser.isSet(help)) {
        result.outcome = CommandLine::Outcome::Help;
        // The parser names the program by QCoreApplication, which does not exist yet.
        const QString text = parser.helpText();
        result.text = QStringLiteral("Usage: ") + kProgramName +
                      QStringLiteral(" [options] [FILE]") + text.mid(text.indexOf(u'\n'));
        return result;
    }
    if (parser.isSet(showVersion)) {
        result.outcome = CommandLine::Outcome::Version;
        result.text = kProgramName + QLatin1Char(' ') + version + QLatin1Char('\n');
        return result;
    }
    const QStringList ports = parser.values(port);
    if (ports.size() > 1)
        return failure(QStringLiteral("--port is given more than once."));
    if (!ports.isEmpty() && !readPort(ports.first(), result))
        return failure(QStringLiteral("--port wants a COM number from 1 to 16 or a device path "
                                      "such as /dev/ttyUSB0, not '%1'.")
                           .arg(ports.first()));
    const auto takeUrl = [&parser](const QCommandLineOption& option, const QString& schemes,
                                   QString& value) -> QString {
        const QStringList values = parser.values(option);
        if (values.size() > 1)
            return QStringLiteral("--%1 is given more than once.").arg(option.names().first());
        if (values.isEmpty())
            return {};
        value = values.first();
        for (const QString& scheme : schemes.split(u' '))
            if (value.startsWith(scheme + QStringLiteral("://")))
                return {};
        return QStringLiteral("--%1 wants a URL beginning %2://, not '%3'.")
            .arg(option.names().first(), schemes.split(u' ').join(QStringLiteral(":// or ")),
                 value);
    };
    for (const QString& problem : {takeUrl(mqtt, QStringLiteral("mqtt"), result.mqttUrl),
                                   takeUrl(influx, QStringLiteral("http https"), result.influxUrl)})
        if (!problem.isEmpty())
            return failure(problem);
    result.headless = parser.isSet(headless);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return failure(
            QStringLiteral("only one data file can be opened, not %1.").arg(files.size()));
    if (!files.isEmpty()) {
        if (result.headless)
            return failure(QStringLiteral("--headless records a new run and opens no data file."));
        if (files.first().isEmpty())
            return failure(QStringLiteral("the data file's name is empty."));
        result.dataFile = files.first();
    }
    return result;
}
