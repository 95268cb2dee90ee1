#include "framefeed.h"

#include <QByteArray>

#include <array>

namespace tc4sim
{

namespace
{
constexpr char crlf[] = "\r\n";
constexpr double garbageChance = 0.5;
constexpr double cutChance = 0.3;
constexpr int goodLinesAfterCut = 2;
} // namespace

bool parseFault(const std::string& name, Fault& fault)
{
    struct Named {
        const char* name;
        Fault fault;
    };
    constexpr std::array<Named, 7> names{{{"none", Fault::None},
                                          {"silence", Fault::Silence},
                                          {"garbage", Fault::Garbage},
                                          {"partial", Fault::Partial},
                                          {"nocrlf", Fault::NoCrLf},
                                          {"disconnect", Fault::Disconnect},
                                          {"unplug", Fault::Unplug}}};
    for (const auto& n : names) {
        if (name == n.name) {
            fault = n.fault;
            return true;
        }
    }
    return false;
}

FrameFeed::FrameFeed(std::uint64_t seed, double tickSeconds, long long startCount)
    : model_(std::make_unique<EngineModel>(seed, tickSeconds)), counter_(startCount - 1)
{
}

FrameFeed::FrameFeed(std::vector<std::string> lines, bool once)
    : lines_(std::move(lines)), once_(once)
{
}

void FrameFeed::tick()
{
    if (!model_) {
        current_ = exhausted() ? std::string() : lines_[next_ % lines_.size()];
        return;
    }
    const auto t = model_->step();
    ++counter_;
    // The instrument always writes a decimal point. QCoreApplication takes the user's locale
    // for the C library, where printf would write a decimal comma; Qt's number formatting
    // never does.
    current_ = std::to_string(counter_);
    int channel = 0;
    for (const double reading : t)
        current_ += ++channel == openChannel_
                        ? std::string(",OPEN")
                        : ',' + QByteArray::number(reading, 'f', 1).toStdString();
}

void FrameFeed::consume()
{
    if (model_ || exhausted())
        return;
    ++next_;
    if (!once_)
        next_ %= lines_.size();
}

FaultShaper::FaultShaper(Fault fault, std::uint64_t seed)
    : fault_(fault), random_(seed ^ 0xFA017C0DE5ULL)
{
}

std::string FaultShaper::junk()
{
    static constexpr std::array<const char*, 6> texts{
        {"ERR", "#?!~", "OVR,OVR,,", "   ", "\x7f\x7f", "TC4 READY"}};
    std::string out;
    if (random_.chance(0.5)) {
        // Raw line noise: any byte value, CR and LF included.
        const int n = random_.between(1, 24);
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<char>(random_.between(0, 255)));
    } else {
        out = texts[static_cast<std::size_t>(random_.between(0, texts.size() - 1))];
        if (random_.chance(0.5))
            out += crlf; // a junk line of its own
    }
    return out;
}

std::string FaultShaper::shape(const std::string& frame, bool active)
{
    std::string bytes = shapeBytes(frame, active);
    if (!bytes.empty())
        lastByte_ = bytes.back();
    return bytes;
}

std::string FaultShaper::shapeBytes(const std::string& frame, bool active)
{
    if (!active)
        return frame + crlf;
    switch (fault_) {
    case Fault::Garbage:
        return random_.chance(garbageChance) ? junk() + frame + crlf : frame + crlf;
    case Fault::Partial:
        if (goodLinesOwed_ > 0 || frame.size() < 2 || !random_.chance(cutChance)) {
            goodLinesOwed_ = goodLinesOwed_ > 0 ? goodLinesOwed_ - 1 : 0;
            return frame + crlf;
        }
        goodLinesOwed_ = goodLinesAfterCut;
        return frame.substr(
            0, static_cast<std::size_t>(random_.between(1, static_cast<int>(frame.size()) - 1)));
    case Fault::NoCrLf: {
        // LF alone would complete a CR LF after a line text ending in CR, or after the CR of
        // the previous line when this one is empty; CR alone never can.
        const char before = frame.empty() ? lastByte_ : frame.back();
        const bool lf = before != '\r' && random_.chance(0.5);
        return frame + (lf ? '\n' : '\r');
    }
    case Fault::None:
    case Fault::Silence:
    case Fault::Disconnect:
    case Fault::Unplug:
        break;
    }
    return frame + crlf;
}

} // namespace tc4sim
