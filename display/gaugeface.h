#pragma once
// The temperature panel as plain data: the grid, its labels, the channel bars and
// the channel labels, all placed in the panel's user scale (degrees, growing upward). The
// widget that shows it (GaugePanel) only paints what this model says, so the arithmetic is
// testable without a display.

#include "programstate.h"
#include "runsample.h"

#include <QString>
#include <array>

constexpr int kGridSlots = 7; // grid lines, each with its label

// Height of a grid or channel label as a fraction of the visible height of the panel. The
// label boxes are design-time properties of the window; keeping them proportional lets the
// model place them without knowing the panel's pixel height.
constexpr double kLabelHeightFraction = 0.04;

// Bar width: 255 twips, 15 twips per pixel at 96 dpi.
constexpr int kBarWidthTwips = 255;
constexpr int kTwipsPerPixel = 15;
constexpr int kBarWidthPixels = kBarWidthTwips / kTwipsPerPixel;

struct GridLine {
    bool visible = false;
    double y = 0; // degrees; the line spans the whole panel width
};

struct GridLabel {
    bool visible = false;
    double top = 0; // degrees; the label hangs labelHeight below this, so it sits on its line
    QString caption;
};

struct Bar {
    double left = 0;       // same unit as GaugeFace::panelWidth
    double top = 0;        // degrees
    double height = 0;     // degrees, downward from top
    quint32 fillColor = 0; // 0xRRGGBB
};

struct ChannelLabel {
    bool visible = false;
    double left = 0;       // same unit as GaugeFace::panelWidth
    double top = 0;        // degrees
    QString caption;       // "Temp n" after a redraw; the frame decoder writes readings here
    quint32 foreColor = 0; // 0xRRGGBB
};

struct GaugeFace {
    double scaleTop = 1;     // value at the top edge of the panel
    double scaleHeight = -1; // negative: values grow upward
    double panelWidth = 1;   // horizontal extent the lefts were computed for
    double labelHeight = 0;  // degrees, positive; height of the grid and channel labels
    std::array<GridLine, kGridSlots> gridLines{};
    std::array<GridLabel, kGridSlots> gridLabels{};
    std::array<Bar, kRecorderChannels> bars{};
    std::array<ChannelLabel, kRecorderChannels> channelLabels{};
};

// Number of grid divisions for a span: the span rounded to a 16-bit whole number R, then the
// first of 5, 4, 3, 2 that divides R exactly, else 5. A span that does not fit 16 bits (or is
// not finite) also gives 5, never an error.
int GaugeDivisions(double span);

// Lays out the grid, labels and placeholder bars for graphMin..graphMax on a panel
// `panelWidth` wide. The strip chart's trace points are left alone: the panel is redrawn at
// every activation of the window, and starting the traces again from zero in the middle of a
// run would draw a false line down to the chart's corner (Start and a replay reset them).
// A span that is zero, negative or not finite (damaged settings) is drawn as a span of 1
// degree above graphMin, so no scale is ever empty.
void LayOutGaugeFace(GaugeFace& face, const DerivedSettings& derived, double panelWidth);

// Sets every channel bar to its reading, raised to graphMin when lower or when the channel has
// no reading; no upper limit, the panel edge cuts the bar.
void SetGaugeBars(GaugeFace& face, const DerivedSettings& derived,
                  const std::array<float, kRecorderChannels>& values);
