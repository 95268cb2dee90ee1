#pragma once
// The temperatures of one instrument frame.

#include "runsample.h"

#include <QStringView>
#include <array>

// The readings of a frame the frame assembler accepted: fields 1..channelCount in degrees C,
// converted to degrees F (x 9/5 + 32) unless `celsius`. A channel whose field is no temperature
// (a failed probe) and the channels past channelCount have no reading.
std::array<float, kRecorderChannels> FrameReadings(QStringView frame, int channelCount,
                                                   bool celsius);
