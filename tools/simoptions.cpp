#include "simoptions.h"

#include <QCommandLineParser>

#include <cmath>
#include <limits>

namespace tc4sim
{
namespace
{

constexpr int maxPort = 16;
constexpr double maxRate = 1000.0;
constexpr double maxSeconds = 1e9;

const char description[] =
    R"(Plays the four-channel thermocouple recorder: creates a pseudo-terminal (raw, 19200 baud),
links it as DIR/ports/COM<n> and sends one frame per tick,
  <counter>,<t1>,<t2>,<t3>,<t4> CR LF      e.g. 17,512.3,498.7,455.1,63.2
with temperatures in degrees C (one decimal) of an engine warming up.

Once the link exists, one line is printed on stdout and flushed:
  COM<n> -> <pty device>                   e.g. COM1 -> /dev/pts/3
(with --print-path: the absolute link path instead).

The instrument starts when a reader first opens the port: the first frame is sent then, the
counter starts at --start-count and --fault-after counts from that moment. Frames are written
only while a reader has the port open (bytes sent to a closed port are lost, as on a real
line); what a reader leaves unread when it closes the port is discarded. A reader that stops
reading loses frames; the simulator never blocks.)";

// After the options: the parser would rewrap the table.
const char faultModes[] = R"(
Fault modes (--fault), from --fault-after seconds on:
  none        (default) every frame whole
  silence     sends nothing more, the port stays
  garbage     random bytes and junk text between whole frames
  partial     now and then a line cut short without CR LF, followed by at least two whole
              lines
  nocrlf      every line ends with LF alone or CR alone
  disconnect  removes the link, closes the pty (the reader sees a hang-up) and exits with
              status 0
  unplug      like disconnect, then after --outage seconds comes back once on a new pty
              under the same link, as an adapter plugged in again
)";

const char exitStatus[] =
    R"(
Exit status: 0 after --seconds, SIGINT/SIGTERM/SIGHUP or the disconnect fault (the link is
removed in every case); 1 when the pty or the link cannot be made or FILE cannot be read;
2 for a bad command line.
)";

ParsedCommandLine failure(const QString& message)
{
    ParsedCommandLine result;
    result.outcome = ParsedCommandLine::Outcome::Error;
    result.text = "tc4-sim: " + message.toStdString() + "\nTry 'tc4-sim --help'.\n";
    return result;
}

// The whole text as a number; a trailing blank or letter makes it no number.
bool toDouble(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed() == text ? text.toDouble(&ok) : 0.0;
    return ok && std::isfinite(value);
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description));
    const QCommandLineOption help({"h", "help"}, "This text.");
    const QCommandLineOption folder(
        "folder", "Program folder (must exist); ports/ is created in it if needed.", "DIR");
    const QCommandLineOption port("port", "Port number 1-16 (default 1).", "N");
    const QCommandLineOption rate("rate", "Frames per second (default 10, at most 1000).", "HZ");
    const QCommandLineOption seconds(
        "seconds", "Exit after S seconds from start (default: run until signalled).", "S");
    const QCommandLineOption fault(
        "fault",
        "none (default), silence, garbage, partial, nocrlf, disconnect or unplug (see below).",
        "MODE");
    const QCommandLineOption faultAfter(
        "fault-after", "Seconds of good frames before the fault begins (default 0).", "S");
    const QCommandLineOption outage(
        "outage", "With --fault unplug: seconds the adapter stays away (default 4).", "S");
    const QCommandLineOption openChannel(
        "open-channel", "Channel N (1-4) has an open thermocouple: it sends OPEN.", "N");
    const QCommandLineOption frames(
        "frames",
        "Send the lines of FILE (one frame per line, bytes exactly as in the file, a CR LF or "
        "LF line end replaced by CR LF) in turn, cycling; a line is used up only when written "
        "to a reader.",
        "FILE");
    const QCommandLineOption once(
        "once", "With --frames: send each line once, then keep the port open silently.");
    const QCommandLineOption seed("seed",
                                  "Seed of the temperatures and faults (default 1); same "
                                  "seed, same run.",
                                  "N");
    const QCommandLineOption startCount("start-count", "First counter value (default 0).", "N");
    const QCommandLineOption printPath("print-path",
                                       "Print the link path instead of the COM line.");
    const QCommandLineOption verbose("verbose",
                                     "Report readers, faults and dropped frames on stderr.");
    parser.addOptions({help, folder, port, rate, seconds, fault, faultAfter, outage, openChannel,
                       frames, once, seed, startCount, printPath, verbose});

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    ParsedCommandLine result;
    if (parser.isSet(help)) {
        result.outcome = ParsedCommandLine::Outcome::Help;
        result.text = parser.helpText().toStdString() + faultModes + exitStatus;
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QStringLiteral("unknown argument '%1'").arg(parser.positionalArguments().constFirst()));

    Options& o = result.options;
    o.folder = parser.value(folder).toStdString();
    if (parser.isSet(port)) {
        const QString text = parser.value(port);
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < 1 || n > maxPort)
            return failure(
                QStringLiteral("--port must be a whole number from 1 to 16, not '%1'").arg(text));
        o.port = n;
    }
    if (parser.isSet(rate)) {
        const QString text = parser.value(rate);
        double value = 0.0;
        if (!toDouble(text, value) || !(value > 0.0) || value > maxRate)
            return failure(
                QStringLiteral("--rate must be a number above 0 and at most 1000, not '%1'")
                    .arg(text));
        o.rate = value;
    }
    for (const QCommandLineOption* option : {&seconds, &faultAfter, &outage}) {
        if (!parser.isSet(*option))
            continue;
        const QString text = parser.value(*option);
        double value = 0.0;
        if (!toDouble(text, value) || !(value >= 0.0) || value > maxSeconds)
            return failure(QStringLiteral("--%1 must be a number of seconds, 0 or more, not '%2'")
                               .arg(option->names().constFirst(), text));
        if (option == &seconds)
            o.seconds = value;
        else if (option == &outage)
            o.outage = value;
        else
            o.faultAfter = value;
    }
    if (parser.isSet(fault) && !parseFault(parser.value(fault).toStdString(), o.fault))
        return failure(QStringLiteral("unknown --fault '%1' (none, silence, garbage, partial, "
                                      "nocrlf, disconnect, unplug)")
                           .arg(parser.value(fault)));
    if (parser.isSet(openChannel)) {
        const QString text = parser.value(openChannel);
        bool ok = false;
        o.openChannel = text.toInt(&ok);
        if (!ok || o.openChannel < 1 || o.openChannel > 4)
            return failure(
                QStringLiteral("--open-channel must be a channel from 1 to 4, not '%1'").arg(text));
    }
    o.framesFile = parser.value(frames).toStdString();
    if (parser.isSet(seed)) {
        const QString text = parser.value(seed);
        bool ok = !text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('+'));
        o.seed = ok ? text.toULongLong(&ok) : 0;
        if (!ok)
            return failure(
                QStringLiteral("--seed must be a whole number 0 or more, not '%1'").arg(text));
    }
    if (parser.isSet(startCount)) {
        const QString text = parser.value(startCount);
        bool ok = false;
        o.startCount = text.toLongLong(&ok);
        if (!ok)
            return failure(
                QStringLiteral("--start-count must be a whole number, not '%1'").arg(text));
    }
    o.once = parser.isSet(once);
    o.printPath = parser.isSet(printPath);
    o.verbose = parser.isSet(verbose);

    if (o.folder.empty())
        return failure(QStringLiteral("--folder is required"));
    if (o.once && o.framesFile.empty())
        return failure(QStringLiteral("--once needs --frames"));
    return result;
}

} // namespace tc4sim
