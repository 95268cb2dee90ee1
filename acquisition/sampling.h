#pragma once
// The arithmetic of one recorded sample: its run time and its line in the run.

#include "programstate.h"

#include <QString>
#include <array>

// Run time of a sample taken at clock reading `clock` for a run that began at `start`: the
// difference as a Single, rounded to the nearest tenth of a second (12.34 s gives 12.3,
// 12.35 s gives 12.4).
double RunTimeOfSample(float clock, float start);

// A run line: the time text, then for each channel three spaces and its reading text.
QString SampleLine(const QString& timeText, const std::array<QString, kMaxChannels>& channelTexts,
                   int channelCount);
