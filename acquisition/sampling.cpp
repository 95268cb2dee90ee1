#include "sampling.h"

#include <algorithm>
#include <cmath>

double RunTimeOfSample(float clock, float start)
{
    const float elapsed = clock - start;
    return std::floor(elapsed * 10.0f + 0.5f) * 0.1;
}

QString SampleLine(const QString& timeText, const std::array<QString, kMaxChannels>& channelTexts,
                   int channelCount)
{
    QString line = timeText;
    const int channels = std::clamp(channelCount, 0, kMaxChannels);
    for (int i = 0; i < channels; ++i)
        line += QStringLiteral("   ") + channelTexts[i];
    return line;
}
