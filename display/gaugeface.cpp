#include "gaugeface.h"

#include "numconv.h"

#include <algorithm>
#include <cmath>

int GaugeDivisions(double span)
{
    const std::optional<qint16> r = num::ToInteger(span);
    if (!r)
        return 5;
    for (const int k : {5, 4, 3, 2}) {
        if (*r % k == 0)
            return k;
    }
    return 5;
}

void LayOutGaugeFace(GaugeFace& face, const DerivedSettings& derived, double panelWidth)
{
    // Damaged settings must not leave the panel with an empty or inverted scale.
    const double graphMin = std::isfinite(derived.graphMin) ? derived.graphMin : 0.0;
    double graphMax = std::isfinite(derived.graphMax) ? derived.graphMax : graphMin + 1.0;
    if (!(graphMax > graphMin))
        graphMax = graphMin + 1.0;
    const double span = graphMax - graphMin;

    const int n = GaugeDivisions(span);
    const std::optional<qint16> r = num::ToInteger(span);
    // The grid steps by the whole-number span; a span beyond 16 bits steps by the span itself.
    const double step = (r && *r > 0 ? double(*r) : span) / n;

    face.scaleHeight = -1.15 * span;
    face.scaleTop = graphMax + 0.1 * span;
    face.panelWidth = panelWidth > 0 ? panelWidth : 1.0;
    face.labelHeight = kLabelHeightFraction * -face.scaleHeight;

    for (int i = 0; i < kGridSlots; ++i) {
        GridLine& line = face.gridLines[i];
        GridLabel& label = face.gridLabels[i];
        line.visible = label.visible = i <= n;
        if (i > n)
            continue;
        line.y = graphMin + i * step;
        label.top = line.y + face.labelHeight;
        label.caption = num::Format(line.y, QStringLiteral("####0"));
    }

    // A narrow user range high up the scale puts 90 % of the maximum below the minimum; the
    // placeholder then stands empty on the minimum instead of getting a negative height.
    const double placeholderTop = std::max(0.9 * graphMax, graphMin);
    const double W = face.panelWidth;
    const int channels = std::clamp<int>(derived.channelCount, 0, kRecorderChannels);
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        Bar& bar = face.bars[ch];
        ChannelLabel& label = face.channelLabels[ch];
        bar.fillColor = kChannelBarColors[ch];
        bar.top = placeholderTop;
        bar.height = placeholderTop - graphMin;
        label.visible = ch < channels;
        label.left = 0.2 * ch * W + 0.25 * W;
        bar.left = label.left;
        label.top = face.gridLines[0].y + 0.003 * face.scaleHeight;
        label.caption = QStringLiteral("Temp ") + QString::number(ch + 1);
        label.foreColor = bar.fillColor;
    }
}

void SetGaugeBars(GaugeFace& face, const DerivedSettings& derived,
                  const std::array<float, kRecorderChannels>& values)
{
    const int channels = std::clamp<int>(derived.channelCount, 0, kRecorderChannels);
    const float graphMin = static_cast<float>(derived.graphMin);
    for (int i = 0; i < channels; ++i) {
        float v = values[i];
        if (!(v >= graphMin)) // a channel without a reading makes no bar either
            v = graphMin;
        face.bars[i].top = v;
        face.bars[i].height = double(v) - double(graphMin);
    }
}
