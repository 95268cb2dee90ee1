// tc4-sim: plays the four-channel thermocouple recorder on a pseudo-terminal linked as
// ports/COM<n> of a program folder, so the logger can be tried and tested without the
// instrument. Linux only.

#include "framefeed.h"
#include "ptyport.h"
#include "simoptions.h"

#include <QCoreApplication>

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
#include <string>
#include <vector>

namespace
{

using tc4sim::Fault;
using tc4sim::FaultShaper;
using tc4sim::FrameFeed;
using tc4sim::Options;
using tc4sim::ParsedCommandLine;
using tc4sim::PtyPort;

constexpr int exitOk = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr long long readerPollNs = 10'000'000; // while waiting for the first reader
constexpr long long maxCatchUpNs = 1'000'000'000;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int)
{
    stopRequested = 1;
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
    feed.setOpenChannel(options.openChannel);
    FaultShaper shaper(options.fault, options.seed);
    const Nanos sessionStart = monotonicNow();
    const Nanos faultStart = sessionStart + toNanos(options.faultAfter);
    const bool faultAtOnce = options.fault == Fault::Silence || options.fault == Fault::Disconnect ||
                             options.fault == Fault::Unplug;
    bool faultNoted = false;
    bool unplugged = false; // the unplug fault happens once
    bool readerWasPresent = true;
    long long tick = 0;
    long long dropped = 0; // frames in a row the reader had no room for

    while (!stopRequested) {
        const Nanos now = monotonicNow();
        if (timeIsUp(now))
            break;
        const bool faultActive = options.fault != Fault::None && now >= faultStart &&
                                 !(options.fault == Fault::Unplug && unplugged);
        if (faultActive && !faultNoted) {
            note(options, "fault begins");
            faultNoted = true;
        }
        if (faultActive && options.fault == Fault::Disconnect) {
            port.close();
            return exitOk;
        }
        if (faultActive && options.fault == Fault::Unplug && !unplugged) {
            // The reader sees a hang-up and the link goes; a new pty comes back under it.
            unplugged = true;
            port.close();
            const Nanos back = monotonicNow() + toNanos(options.outage);
            while (!stopRequested && monotonicNow() < back)
                sleepUntil(std::min(back, deadline));
            std::string error;
            if (stopRequested || !port.open(options.folder, options.port, error)) {
                if (!error.empty())
                    std::fprintf(stderr, "tc4-sim: %s\n", error.c_str());
                return stopRequested ? exitOk : exitFailure;
            }
            note(options, "plugged in again");
            continue;
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
    // For the command line only: the simulator runs no event loop.
    const QCoreApplication app(argc, argv);
    const ParsedCommandLine command = tc4sim::ParseCommandLine(QCoreApplication::arguments());
    switch (command.outcome) {
    case ParsedCommandLine::Outcome::Help:
        std::fputs(command.text.c_str(), stdout);
        return exitOk;
    case ParsedCommandLine::Outcome::Error:
        std::fputs(command.text.c_str(), stderr);
        return exitUsage;
    case ParsedCommandLine::Outcome::Run:
        break;
    }
    return run(command.options);
}
