#include "optioncommands.h"

#include "numconv.h"

#include <optional>

namespace
{

const QString kCR = QStringLiteral("\r");

// The typed value as a whole degree inside the graph limits, or nothing. A value that does
// not fit 16 bits is as wrong as one beyond 2000 and must not stop the dialog.
std::optional<qint16> GraphLimitFromAnswer(const QString& answer)
{
    const std::optional<qint16> v = num::ToInteger(num::Val(answer));
    if (!v || *v < options::kGraphLimitLow || *v > options::kGraphLimitHigh)
        return std::nullopt;
    return v;
}

// One input box of the range dialog, repeated until a valid limit or an empty answer.
std::optional<QString> AskGraphLimit(Prompts& prompts, const QString& prompt, const QString& title,
                                     const QString& defaultText)
{
    for (;;) {
        const QString answer = prompts.input(prompt, title, defaultText);
        if (answer.isEmpty())
            return std::nullopt;
        if (const auto v = GraphLimitFromAnswer(answer))
            return num::CStr(*v);
        prompts.say(options::kGraphRangeMessage);
    }
}

} // namespace

QString options::UnitChangedMessage(const DerivedSettings& derived)
{
    return QStringLiteral("New data recorded will be in Deg ") + derived.unitLetter;
}

bool AskUserGraphRange(Prompts& prompts, StoredSettings& settings)
{
    QString newMax = settings.userGraphMax;
    QString newMin = settings.userGraphMin;
    for (;;) {
        const auto max = AskGraphLimit(
            prompts,
            QStringLiteral("Enter the Maximum Temperature you want displayed on the graphs "
                           "(50 to 2000)."),
            QStringLiteral("Max Graph Temperature"), newMax);
        if (!max)
            return false;
        newMax = *max;

        const auto min = AskGraphLimit(
            prompts,
            QStringLiteral("Enter the Minimum Temperature you want displayed on the graphs "
                           "(50 to 2000)."),
            QStringLiteral("Min Graph Temperature"), newMin);
        if (!min)
            return false;
        newMin = *min;

        if (num::Val(newMax) >= num::Val(newMin) + options::kMinimumGraphSpan)
            break;
        prompts.say(QStringLiteral("The Max value of ") + newMax +
                    QStringLiteral(" is not at least 50 degrees greater than the minimum "
                                   "value of ") +
                    newMin + QStringLiteral(" and can not be used.") + kCR + kCR +
                    QStringLiteral("This combination can not be used.  Try again."));
    }

    MessageRequest confirm;
    confirm.text = QStringLiteral("Do you want to change the range on the graph from:") + kCR +
                   kCR + QStringLiteral("  Max = ") + settings.userGraphMax +
                   QStringLiteral("    Min = ") + settings.userGraphMin + kCR + kCR +
                   QStringLiteral("To:") + kCR + kCR + QStringLiteral("  Max = ") + newMax +
                   QStringLiteral("    Min = ") + newMin + kCR + kCR +
                   QStringLiteral("Click on 'Yes' to accept this change, 'No' to abandon "
                                  "these changes.");
    confirm.caption = QStringLiteral("Use These New Graph Ranges?");
    confirm.buttons = MsgButtons::YesNo;
    confirm.icon = MsgIcon::Question;
    confirm.defaultButton = MsgAnswer::No;
    if (prompts.message(confirm) != MsgAnswer::Yes)
        return false;

    settings.userGraphMax = newMax;
    settings.userGraphMin = newMin;
    settings.scaleType = 2;
    return true;
}

void AskStripChartTime(Prompts& prompts, StoredSettings& settings)
{
    if (settings.chartSectionSeconds == 0)
        settings.chartSectionSeconds = kDefaultChartSection;
    for (;;) {
        const QString cur = num::CStr(settings.chartSectionSeconds);
        const QString answer = prompts.input(
            QStringLiteral("Enter the number seconds for 1 section of the Strip Chart graph.  "
                           "There are 3 sections in the strip chart, so whatever you enter "
                           "here multiplied by 3 will be the maximum time recorded.") +
                kCR + kCR + QStringLiteral("Strip Chart time is currently set to ") + cur +
                QStringLiteral(" seconds."),
            QStringLiteral("Enter Desired Strip Chart Recording Time"), cur);
        if (answer.isEmpty())
            return;
        // The range is checked on the typed value, before rounding: 1500.5 is refused.
        const double v = num::Val(answer);
        if (v >= kShortestChartSection && v <= kLongestChartSection) {
            settings.chartSectionSeconds = *num::ToInteger(v);
            return;
        }
        prompts.say(options::kChartTimeMessage);
    }
}
