#pragma once
// The graph cursor's arithmetic: the chart section that holds a time, and where the "+"
// marker goes. Widget-free; the run finds the row nearest to a clicked time, the main window
// does the selecting and showing.

#include <QPoint>
#include <QPointF>
#include <QString>
#include <array>

// Rows farther than this from a clicked time are never preferred to the first row.
constexpr float kNoRowDistance = 100000.0f;

// The chart section (0..2) that holds run time `t`, given the run time at the left edge of
// each section (elements 0..2 used). A section's start of 0 means it has not been started;
// a following section that starts earlier holds older data after a wrap. 0 when no section
// holds `t`.
int SectionOfTime(float t, const std::array<float, 4>& sectionStartTimes);

// Top-left of the "+" marker in a section box's own units (seconds from the left edge,
// normalised height upward) for a row at `rowTime` with first value `firstValue`. The height
// is not limited to the graph range, so a reading beyond it puts the marker outside the grid.
QPointF CursorMarkerPosition(float rowTime, float sectionStart, double firstValue, double graphMin,
                             double graphFactor);

// A marker position in pixels as a widget position. A reading far beyond the graph range
// (1E30) gives a position no int can hold: it is held at a distance that is still off the box.
QPoint MarkerPixel(const QPointF& pixel);

// The cursor time read-out: one decimal, no leading zero (".5", "12.3").
QString CursorTimeText(float t);
