#pragma once
// The option commands' conversations with the user, over the Prompts seam: the user graph
// range and the strip-chart time. They store settings only; redrawing the screen is left
// to the main window.

#include "programstate.h"
#include "seams.h"

#include <QString>

namespace options
{

inline const QString kNewScalesMessage =
    QStringLiteral("New Scales will be used for next data recorded.");
inline const QString kGraphRangeMessage =
    QStringLiteral("The value must be between 50 and 2000.  Try again.");
inline const QString kChartTimeMessage =
    QStringLiteral("Enter a value between 5 and 1500.  Try again.");

constexpr int kGraphLimitLow = 50;
constexpr int kGraphLimitHigh = 2000;
constexpr int kMinimumGraphSpan = 50;

// Message after a unit change: "New data recorded will be in Deg " and the unit letter.
QString UnitChangedMessage(const DerivedSettings& derived);

} // namespace options

// Asks for a new user graph range (maximum, minimum, then a Yes/No confirmation), asking again
// after out-of-range or too-narrow answers. On Yes stores userGraphMax, userGraphMin and
// scaleType = 2 and returns true; an empty answer (Cancel) or No returns false with nothing
// changed. Numbers that do not fit a 16-bit whole number count as out of range.
bool AskUserGraphRange(Prompts& prompts, StoredSettings& settings);

// Asks for the seconds of one strip-chart section (5 to 1500, rounded halves to even) until
// a valid or empty answer. An unset time (0) becomes 15 first, and stays so on Cancel.
void AskStripChartTime(Prompts& prompts, StoredSettings& settings);
