#pragma once
// The temperatures of one instrument frame.

#include "runsample.h"

#include <QStringView>
#include <array>

// The readings of a frame the frame assembler accepted (so every temperature field is a plain
// decimal number in degrees C): fields 1..channelCount, blanks around them ignored, converted
// to degrees F (x 9/5 + 32) unless `celsius`. Channels past channelCount have no reading.
std::array<float, kRecorderChannels> FrameReadings(QStringView frame, int channelCount,
                                                   bool celsius);
