#include "alarmsdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

namespace
{

// Limits converted from the other unit come with long fractions: a hundredth of a degree is
// more than the logger resolves.
QString NumberText(double v)
{
    return QString::number(std::round(v * 100) / 100, 'g', 10);
}

} // namespace

AlarmsDialog::AlarmsDialog(const AlarmSettings& settings, const QString& unitLetter,
                           const QStringList& problems, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setObjectName(QStringLiteral("alarmsDialog"));
    setWindowTitle(QStringLiteral("Alarms"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(
        QStringLiteral("Limits in degrees %1 (rates in degrees %1 per second). An empty limit is "
                       "off. The value must stay beyond a limit for the delay before the alarm "
                       "is raised, and come back past it by the hysteresis to clear it.")
            .arg(unitLetter),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* grid = new QGridLayout;
    const QStringList headings{QStringLiteral("High"), QStringLiteral("Low"),
                               QStringLiteral("Hysteresis"), QStringLiteral("Delay (s)")};
    const QStringList fieldWords{QStringLiteral("high limit"), QStringLiteral("low limit"),
                                 QStringLiteral("hysteresis"), QStringLiteral("delay in seconds")};
    for (int c = 0; c < kColumns; ++c)
        grid->addWidget(new QLabel(headings[c], this), 0, c + 1);
    for (int source = 0; source < kAlarmSources; ++source) {
        const QString name = AlarmSourceName(source);
        grid->addWidget(new QLabel(name, this), source + 1, 0);
        const AlarmLimits& l = settings.limits[source];
        const QString texts[kColumns] = {l.high ? NumberText(*l.high) : QString(),
                                         l.low ? NumberText(*l.low) : QString(),
                                         NumberText(l.hysteresis), NumberText(l.delay)};
        for (int c = 0; c < kColumns; ++c) {
            auto* edit = new QLineEdit(texts[c], this);
            edit->setObjectName(AlarmSourceGroup(source) + QLatin1Char('_') + headings[c]);
            edit->setAccessibleName(name + QLatin1Char(' ') + fieldWords[c]);
            grid->addWidget(edit, source + 1, c + 1);
            fields_[source][c] = edit;
        }
    }
    layout->addLayout(grid);

    auto* windowRow = new QHBoxLayout;
    auto* windowLabel = new QLabel(QStringLiteral("Rate over the last (s):"), this);
    rateWindow_ = new QLineEdit(NumberText(settings.rateWindow), this);
    rateWindow_->setAccessibleName(QStringLiteral("Rate window in seconds"));
    windowLabel->setBuddy(rateWindow_);
    windowRow->addWidget(windowLabel);
    windowRow->addWidget(rateWindow_);
    layout->addLayout(windowRow);
    csvColumns_ = new QCheckBox(QStringLiteral("CSV export adds spread and rate columns"), this);
    csvColumns_->setAccessibleName(csvColumns_->text());
    csvColumns_->setChecked(settings.csvDerivedColumns);
    layout->addWidget(csvColumns_);

    problems_ = new QLabel(problems.join(QLatin1Char('\n')), this);
    problems_->setWordWrap(true);
    problems_->setAccessibleName(QStringLiteral("Problems"));
    problems_->setAccessibleDescription(problems_->text());
    problems_->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(problems_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AlarmsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void AlarmsDialog::accept()
{
    AlarmSettings read = settings_;
    QStringList problems;
    for (int source = 0; source < kAlarmSources && problems.isEmpty(); ++source) {
        AlarmLimits limits;
        std::optional<double> values[kColumns];
        for (int c = 0; c < kColumns; ++c) {
            const QString text = fields_[source][c]->text().trimmed();
            if (text.isEmpty())
                continue;
            bool ok = false;
            values[c] = text.toDouble(&ok);
            if (!ok || !std::isfinite(*values[c])) {
                problems << QStringLiteral("%1: \"%2\" is not a number.")
                                .arg(fields_[source][c]->accessibleName(), text);
                fields_[source][c]->setFocus();
                break;
            }
        }
        limits.high = values[High];
        limits.low = values[Low];
        limits.hysteresis = values[Hysteresis].value_or(0);
        limits.delay = values[Delay].value_or(0);
        if (problems.isEmpty()) {
            if (const QString p = AlarmLimitsProblem(source, limits); !p.isEmpty())
                problems << p;
        }
        read.limits[source] = limits;
    }
    bool ok = false;
    const double window = rateWindow_->text().trimmed().toDouble(&ok);
    if (problems.isEmpty() && !(ok && window >= kShortestRateWindow && window <= kLongestRateWindow))
        problems << QStringLiteral("The rate window must be from %1 to %2 seconds.")
                        .arg(kShortestRateWindow)
                        .arg(kLongestRateWindow);
    if (!problems.isEmpty()) {
        problems_->setText(problems.join(QLatin1Char('\n')));
        problems_->setAccessibleDescription(problems_->text());
        return;
    }
    read.rateWindow = window;
    read.csvDerivedColumns = csvColumns_->isChecked();
    settings_ = read;
    QDialog::accept();
}
