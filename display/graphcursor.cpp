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
// Blanks between the values of a row.
constexpr int kSeparatorWidth = 3;

} // namespace

float RowTime(const QString& row)
{
    const int blank = row.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return 0.0f;
    return static_cast<float>(num::Val(row.left(blank + 1)));
}

double FirstChannelValue(const QString& row)
{
    const int blank = row.indexOf(QLatin1Char(' ')); // 0-based: position p - 1
    if (blank < 0)
        return 0.0; // only a time, or nothing: no channel value to show
    const int end = row.indexOf(QLatin1Char(' '), blank + kSeparatorWidth);
    const QString field = end < 0 ? row.mid(blank) : row.mid(blank, end - blank);
    return num::Val(field.trimmed());
}

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
