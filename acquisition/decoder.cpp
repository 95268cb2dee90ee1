#include "decoder.h"

#include "framereader.h"

#include <algorithm>

std::array<float, kRecorderChannels> FrameReadings(QStringView frame, int channelCount,
                                                   bool celsius)
{
    std::array<float, kRecorderChannels> values{kNoReading, kNoReading, kNoReading, kNoReading};
    const int channels = std::clamp(channelCount, 0, kRecorderChannels);
    qsizetype start = frame.indexOf(u',') + 1; // the first field is the instrument's counter
    for (int i = 0; i < channels && start > 0; ++i) {
        qsizetype end = frame.indexOf(u',', start);
        if (end < 0)
            end = frame.size();
        // A failed probe's field (a word, nothing, a number out of range) gives no reading.
        if (const std::optional<double> c = FrameTemperature(frame.mid(start, end - start)))
            values[i] = static_cast<float>(celsius ? *c : *c * 9.0 / 5.0 + 32.0);
        start = end < frame.size() ? end + 1 : 0;
    }
    return values;
}
