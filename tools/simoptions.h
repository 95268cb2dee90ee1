#pragma once
// The simulator's command line.

#include "framefeed.h"

#include <QStringList>
#include <optional>
#include <string>

namespace tc4sim
{

struct Options {
    std::string folder;
    int port = 1;
    double rate = 10.0;
    std::optional<double> seconds;
    Fault fault = Fault::None;
    double faultAfter = 0.0;
    double outage = 4.0; // seconds an unplugged adapter stays away
    int openChannel = 0; // 1..4: that probe is open and sends "OPEN"; 0: none
    std::string framesFile;
    bool once = false;
    unsigned long long seed = 1;
    long long startCount = 0;
    bool printPath = false;
    bool verbose = false;
};

struct ParsedCommandLine {
    enum class Outcome {
        Run,   // run with `options`
        Help,  // print `text` on stdout, exit 0
        Error, // print `text` on stderr, exit 2
    };
    Outcome outcome = Outcome::Run;
    Options options;
    std::string text;
};

// `arguments` as QCoreApplication::arguments() gives them, the program first. An option given
// twice takes its last value; `--name=value` and `--name value` both work.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

} // namespace tc4sim
