#include "graphcursor.h"

#include "numconv.h"

#include <algorithm>
#include <cmath>

namespace
{

// Far enough to be off any screen, near enough for every pixel arithmetic.
constexpr double kFarOffBox = 1.0e6;
// The marker's caption is drawn right of and below its top-left corner; these offsets put
// the "+" itself on the point.
constexpr double kMarkerLeftOffset = 0.3;
constexpr double kMarkerTopOffset = 0.1;

} // namespace

int SectionOfTime(float t, const std::array<float, 4>& sectionStartTimes)
{
    for (int k = 0; k < 3; ++k) {
        const float start = sectionStartTimes[k];
        const float next = sectionStartTimes[(k + 1) % 3];
        if (t > start && (t < next || next == 0.0f || next < start))
            return k;
    }
    return 0;
}

QPointF CursorMarkerPosition(float rowTime, float sectionStart, double firstValue, double graphMin,
                             double graphFactor)
{
    const float x = rowTime - sectionStart;
    const double y = (firstValue - graphMin) * graphFactor;
    return {x - kMarkerLeftOffset, y + kMarkerTopOffset};
}

QPoint MarkerPixel(const QPointF& pixel)
{
    const auto held = [](double v) {
        return std::isnan(v) ? -kFarOffBox : std::clamp(v, -kFarOffBox, kFarOffBox);
    };
    return QPointF(held(pixel.x()), held(pixel.y())).toPoint();
}

QString CursorTimeText(float t)
{
    return num::FormatSingle(t, QStringLiteral("########.0"));
}
