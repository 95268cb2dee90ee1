#include "programstate.h"

#include "numconv.h"

DerivedSettings DeriveSettings(const StoredSettings& settings)
{
    DerivedSettings derived;
    derived.thermocoupleMode = 1;
    derived.dataFolder = QStringLiteral("/TCFiles");
    derived.textFolder = QStringLiteral("/TC Text/");
    derived.channelCount = 4;
    derived.programTitle = QStringLiteral("Thermocouple Recorder");
    derived.instrumentName = QStringLiteral("HX5-TC4 Thermocouple Recorder");
    derived.unitLetter = settings.degreesCelsius == 1 ? QStringLiteral("C") : QStringLiteral("F");
    for (int i = 0; i < derived.channelCount && i < kRecorderChannels; ++i)
        derived.channelColors[i] = kChannelBarColors[i];

    const bool degC = settings.degreesCelsius == 1;
    double max = degC ? 950 : 1700;
    double min = degC ? 500 : 900;
    if (settings.scaleType == 1) {
        max = degC ? 200 : 300;
        min = degC ? 0 : 50;
    } else if (settings.scaleType == 2) {
        const double userMax = num::Val(settings.userGraphMax);
        const double userMin = num::Val(settings.userGraphMin);
        if (userMax > userMin) {
            max = userMax;
            min = userMin;
        }
    }
    derived.graphMax = max;
    derived.graphMin = min;
    derived.graphFactor = 1.0 / (derived.graphMax - derived.graphMin);
    return derived;
}
