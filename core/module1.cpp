#include "module1.h"

#include "numconv.h"

void DeriveThermocoupleValues(Module1& m)
{
    m.TCMode = 1;
    m.DataFolder = QStringLiteral("/TCFiles");
    m.TextFolder = QStringLiteral("/TC Text/");
    m.NumChannels = 4;
    m.ProgramTitle = QStringLiteral("Thermocouple Recorder");
    m.InstrumentName = QStringLiteral("HX5-TC4 Thermocouple Recorder");
    m.TempUnitLetter = m.DegCFlag == 1 ? QStringLiteral("C") : QStringLiteral("F");
    for (int i = 0; i < m.NumChannels && i < kMaxChannels; ++i)
        m.ChannelColor[i] = kChannelBarColors[i];

    const bool degC = m.DegCFlag == 1;
    double max = degC ? 950 : 1700;
    double min = degC ? 500 : 900;
    if (m.ScaleType == 1) {
        max = degC ? 200 : 300;
        min = degC ? 0 : 50;
    } else if (m.ScaleType == 2) {
        const double userMax = num::Val(m.UserGraphMax);
        const double userMin = num::Val(m.UserGraphMin);
        if (userMax > userMin) {
            max = userMax;
            min = userMin;
        }
    }
    m.GraphMax = max;
    m.GraphMin = min;
    m.GraphFactor = 1.0 / (m.GraphMax - m.GraphMin);
}
