#pragma once

#include "enginemodel.h"
#include "simrandom.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tc4sim
{

// Ways the line to the reader can go wrong.
enum class Fault { None, Silence, Garbage, Partial, NoCrLf, Disconnect, Unplug };

// Parses a fault name as given on the command line; false if unknown.
bool parseFault(const std::string& name, Fault& fault);

// The frame text of each tick, without line end: generated engine readings with a counter,
// or the lines of a file taken in turn.
class FrameFeed
{
public:
    // Generated frames: the counter starts at `startCount`, one model step per tick.
    FrameFeed(std::uint64_t seed, double tickSeconds, long long startCount);
    // File lines, cycling, or only once when `once`; `lines` must not be empty.
    FrameFeed(std::vector<std::string> lines, bool once);

    // Channel n (1..4) of the generated frames sends the word of an open probe; 0: none.
    void setOpenChannel(int n) { openChannel_ = n; }

    // Moves on to the next tick. Generated frames follow the clock whether or not anybody
    // listens; file lines move on only through consume(), so none is lost to an absent reader.
    void tick();

    // Text of the current frame; empty once a single pass over the file is done.
    const std::string& current() const { return current_; }

    // Marks the current file line as sent.
    void consume();

    // True when a single pass over the file has sent every line.
    bool exhausted() const { return once_ && next_ >= lines_.size(); }

private:
    std::unique_ptr<EngineModel> model_;
    long long counter_ = 0;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    bool once_ = false;
    int openChannel_ = 0;
    std::string current_;
};

// Turns a frame into the bytes put on the line in a tick, spoiling them as the fault asks.
class FaultShaper
{
public:
    FaultShaper(Fault fault, std::uint64_t seed);

    // Bytes for this tick. While `active` is false, or for faults that are not about the bytes
    // (silence, disconnect), this is the frame followed by CR LF.
    std::string shape(const std::string& frame, bool active);

private:
    std::string shapeBytes(const std::string& frame, bool active);
    std::string junk();

    Fault fault_;
    SimRandom random_;
    int goodLinesOwed_ = 0; // after a cut line, some whole lines follow
    char lastByte_ = '\n';  // last byte put on the line
};

} // namespace tc4sim
