// tc4-sim: plays the four-channel thermocouple recorder on a pseudo-terminal linked as
// ports/COM<n> of a program folder, so the logger can be tried and tested without the
// instrument. Linux only.

#include "framefeed.h"
#include "ptyport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace
{

using tc4sim::Fault;
using tc4sim::FaultShaper;
using tc4sim::FrameFeed;
using tc4sim::PtyPort;

constexpr int exitOk = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr int maxPort = 16;
constexpr double maxRate = 1000.0;
constexpr long long readerPollNs = 10'000'000; // while waiting for the first reader
constexpr long long maxCatchUpNs = 1'000'000'000;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int)
{
    stopRequested = 1;
}

constexpr char usageText[] =
    R"(Usage: tc4-sim --folder DIR [options]

Plays the four-channel thermocouple recorder: creates a pseudo-terminal (raw, 19200 baud),
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
reading loses frames; the simulator never blocks.

Options:
  --folder DIR       program folder (must exist); ports/ is created in it if needed
  --port N           port number 1-16 (default 1)
  --rate HZ          frames per second (default 10, at most 1000)
  --seconds S        exit after S seconds from start (default: run until signalled)
  --fault MODE       none (default), silence, garbage, partial, nocrlf, disconnect
  --fault-after S    seconds of good frames before the fault begins (default 0)
                       silence     sends nothing more, the port stays
                       garbage     random bytes and junk text between whole frames
                       partial     now and then a line cut short without CR LF,
                                   followed by at least two whole lines
                       nocrlf      every line ends with LF alone or CR alone
                       disconnect  removes the link, closes the pty (the reader sees a
                                   hang-up) and exits with status 0
  --frames FILE      send the lines of FILE (one frame per line, bytes exactly as in the
                     file, a CR LF or LF line end replaced by CR LF) in turn, cycling;
                     a line is used up only when written to a reader
  --once             with --frames: send each line once, then keep the port open silently
  --seed N           seed of the temperatures and faults (default 1); same seed, same run
  --start-count N    first counter value (default 0)
  --print-path       print the link path instead of the COM line
  --verbose          report readers, faults and dropped frames on stderr
  --help             this text

Exit status: 0 after --seconds, SIGINT/SIGTERM/SIGHUP or the disconnect fault (the link is
removed in every case); 1 when the pty or the link cannot be made or FILE cannot be read;
2 for a bad command line.
)";

struct Options {
    std::string folder;
    int port = 1;
    double rate = 10.0;
    std::optional<double> seconds;
    Fault fault = Fault::None;
    double faultAfter = 0.0;
    std::string framesFile;
    bool once = false;
    unsigned long long seed = 1;
    long long startCount = 0;
    bool printPath = false;
    bool verbose = false;
};

bool parseDouble(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0';
}

bool parseInteger(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool parseUnsigned(const std::string& text, unsigned long long& value)
{
    if (text.empty() || text[0] == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

// Fills `options` from the command line; on a bad command line returns false with `error` set.
// `help` is set when --help was asked for.
bool parseOptions(int argc, char** argv, Options& options, bool& help, std::string& error)
{
    help = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.erase(eq);
        }
        const auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        const auto flag = [&]() {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
            return true;
        };
        std::string text;
        double number = 0.0;
        long long integer = 0;
        if (name == "--help" || name == "-h") {
            help = true;
            return true;
        } else if (name == "--folder") {
            if (!value(options.folder))
                return false;
        } else if (name == "--port") {
            if (!value(text))
                return false;
            if (!parseInteger(text, integer) || integer < 1 || integer > maxPort) {
                error = "--port must be a whole number from 1 to 16, not '" + text + "'";
                return false;
            }
            options.port = static_cast<int>(integer);
        } else if (name == "--rate") {
            if (!value(text))
                return false;
            if (!parseDouble(text, number) || !(number > 0.0) || number > maxRate) {
                error = "--rate must be a number above 0 and at most 1000, not '" + text + "'";
                return false;
            }
            options.rate = number;
        } else if (name == "--seconds" || name == "--fault-after") {
            if (!value(text))
                return false;
            if (!parseDouble(text, number) || !(number >= 0.0) || number > 1e9) {
                error = name + " must be a number of seconds, 0 or more, not '" + text + "'";
                return false;
            }
            if (name == "--seconds")
                options.seconds = number;
            else
                options.faultAfter = number;
        } else if (name == "--fault") {
            if (!value(text))
                return false;
            if (!tc4sim::parseFault(text, options.fault)) {
                error = "unknown --fault '" + text +
                        "' (none, silence, garbage, partial, nocrlf, disconnect)";
                return false;
            }
        } else if (name == "--frames") {
            if (!value(options.framesFile))
                return false;
        } else if (name == "--seed") {
            if (!value(text))
                return false;
            if (!parseUnsigned(text, options.seed)) {
                error = "--seed must be a whole number 0 or more, not '" + text + "'";
                return false;
            }
        } else if (name == "--start-count") {
            if (!value(text))
                return false;
            if (!parseInteger(text, options.startCount)) {
                error = "--start-count must be a whole number, not '" + text + "'";
                return false;
            }
        } else if (name == "--once") {
            if (!flag())
                return false;
            options.once = true;
        } else if (name == "--print-path") {
            if (!flag())
                return false;
            options.printPath = true;
        } else if (name == "--verbose") {
            if (!flag())
                return false;
            options.verbose = true;
        } else {
            error = "unknown argument '" + name + "'";
            return false;
        }
    }
    if (options.folder.empty()) {
        error = "--folder is required";
        return false;
    }
    if (options.once && options.framesFile.empty()) {
        error = "--once needs --frames";
        return false;
    }
    return true;
}

// Lines of the frames file with their line ends taken off; false if it cannot be read or
// holds no line at all.
bool readFrames(const std::string& path, std::vector<std::string>& lines, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read frames file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (in.bad()) {
        error = "cannot read frames file " + path;
        return false;
    }
    if (lines.empty()) {
        error = "frames file " + path + " holds no line";
        return false;
    }
    return true;
}

void installSignalHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: a signal must cut a sleep short
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a test that closes our stdout must not kill us
}

using Nanos = long long;
constexpr Nanos noDeadline = std::numeric_limits<Nanos>::max();

Nanos monotonicNow()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Nanos>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

Nanos toNanos(double seconds)
{
    return static_cast<Nanos>(seconds * 1e9 + 0.5);
}

// Sleeps until the monotonic time `when`, or less if a signal arrives.
void sleepUntil(Nanos when)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(when / 1'000'000'000LL);
    ts.tv_nsec = static_cast<long>(when % 1'000'000'000LL);
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

void note(const Options& options, const char* text)
{
    if (options.verbose)
        std::fprintf(stderr, "tc4-sim: %s\n", text);
}

int run(const Options& options)
{
    std::vector<std::string> lines;
    std::string error;
    if (!options.framesFile.empty() && !readFrames(options.framesFile, lines, error)) {
        std::fprintf(stderr, "tc4-sim: %s\n", error.c_str());
        return exitFailure;
    }

    const Nanos started = monotonicNow();
    const Nanos deadline = options.seconds ? started + toNanos(*options.seconds) : noDeadline;
    const auto timeIsUp = [&](Nanos now) { return now >= deadline; };

    PtyPort port;
    if (!port.open(options.folder, options.port, error)) {
        std::fprintf(stderr, "tc4-sim: %s\n", error.c_str());
        return exitFailure;
    }
    if (options.printPath)
        std::printf("%s\n", port.linkPath().c_str());
    else
        std::printf("COM%d -> %s\n", options.port, port.slavePath().c_str());
    std::fflush(stdout);

    // The instrument is switched on by the first reader.
    while (!stopRequested) {
        port.service();
        const Nanos now = monotonicNow();
        if (port.readerPresent() || timeIsUp(now))
            break;
        sleepUntil(std::min(now + readerPollNs, deadline));
    }
    if (stopRequested || !port.readerPresent())
        return exitOk; // the port closes and the link goes with `port`
    note(options, "reader connected, sending");

    const double tickSeconds = 1.0 / options.rate;
    FrameFeed feed = lines.empty() ? FrameFeed(options.seed, tickSeconds, options.startCount)
                                   : FrameFeed(std::move(lines), options.once);
    FaultShaper shaper(options.fault, options.seed);
    const Nanos sessionStart = monotonicNow();
    const Nanos faultStart = sessionStart + toNanos(options.faultAfter);
    const bool faultAtOnce = options.fault == Fault::Silence || options.fault == Fault::Disconnect;
    bool faultNoted = false;
    bool readerWasPresent = true;
    long long tick = 0;
    long long dropped = 0; // frames in a row the reader had no room for

    while (!stopRequested) {
        const Nanos now = monotonicNow();
        if (timeIsUp(now))
            break;
        const bool faultActive = options.fault != Fault::None && now >= faultStart;
        if (faultActive && !faultNoted) {
            note(options, "fault begins");
            faultNoted = true;
        }
        if (faultActive && options.fault == Fault::Disconnect) {
            port.close();
            return exitOk;
        }

        // Ticks are due at fixed offsets from the start, so timing does not drift. Ticks that
        // came due while the simulator was held up go out back to back on the next passes,
        // as the instrument would have sent them; after a long stall (a suspended process)
        // they are skipped instead, though their readings still advance the engine.
        const auto tickDue = [&](long long k) { return sessionStart + toNanos(k * tickSeconds); };
        if (now - tickDue(tick) > maxCatchUpNs) {
            while (tickDue(tick + 1) <= now) {
                feed.tick();
                ++tick;
            }
        }
        if (tickDue(tick) <= now) {
            feed.tick();
            ++tick;
            if ((faultActive && options.fault == Fault::Silence) || feed.exhausted()) {
                port.service();
            } else {
                switch (port.send(shaper.shape(feed.current(), faultActive))) {
                case PtyPort::Delivery::Written:
                    feed.consume();
                    if (dropped > 0 && options.verbose)
                        std::fprintf(stderr, "tc4-sim: reader reading again, %lld frames dropped\n",
                                     dropped);
                    dropped = 0;
                    break;
                case PtyPort::Delivery::Busy:
                    // Once per episode: a line per frame could fill a stderr pipe nobody
                    // reads and stall the simulator.
                    if (dropped++ == 0)
                        note(options, "reader not reading, dropping frames");
                    break;
                case PtyPort::Delivery::NoReader:
                    dropped = 0;
                    break;
                }
            }
            if (port.readerPresent() != readerWasPresent) {
                readerWasPresent = port.readerPresent();
                note(options, readerWasPresent ? "reader connected" : "reader left");
            }
        }

        Nanos wake = tickDue(tick);
        if (faultAtOnce && !faultActive)
            wake = std::min(wake, faultStart);
        sleepUntil(std::min(wake, deadline));
    }
    return exitOk;
}

} // namespace

int main(int argc, char** argv)
{
    installSignalHandlers();
    Options options;
    bool help = false;
    std::string error;
    if (!parseOptions(argc, argv, options, help, error)) {
        std::fprintf(stderr, "tc4-sim: %s\nTry 'tc4-sim --help'.\n", error.c_str());
        return exitUsage;
    }
    if (help) {
        std::fputs(usageText, stdout);
        return exitOk;
    }
    return run(options);
}
