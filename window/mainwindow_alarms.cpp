// The window's side of the alarms: Options > Alarms, the alarm line with its Acknowledge button
// and key, the derived read-out, the marks on the panel and the sound. The rules and the events
// of the run are the alarm monitor's.

#include "mainwindowparts.h"

#include "alarmline.h"
#include "alarmmonitor.h"
#include "alarmsdialog.h"
#include "gaugepanel.h"
#include "readoutlabel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

using namespace mainwindow_detail;

namespace
{

// While an alarm waits to be acknowledged, the sound comes again this often.
constexpr std::chrono::seconds kAlarmSoundRepeat{10};

QString DerivedText(const DerivedValues& d, int channels, const QString& unitLetter)
{
    const QString none = QStringLiteral("\u2013");
    QString text = QStringLiteral("Spread ") +
                   (HasReading(d.spread) ? FormatReading(d.spread) + QStringLiteral(" \u00B0") +
                                               unitLetter
                                         : none) +
                   QStringLiteral("\nRate \u00B0%1/s").arg(unitLetter);
    for (int ch = 0; ch < channels; ++ch)
        text += QStringLiteral("  ") +
                (HasReading(d.rates[ch]) ? QString::number(d.rates[ch], 'f', 1) : none);
    return text;
}

} // namespace

void MainWindow::buildAlarmControls(QWidget* client)
{
    alarms_ = new AlarmMonitor(
        run_, session_, [this] { return s.clock->secondsSinceMidnight(); }, this);
    derivedReadout = new ReadoutLabel(client);
    derivedReadout->setObjectName(QStringLiteral("derivedReadout"));
    derivedReadout->setAccessibleName(QStringLiteral("Spread and rates"));
    alarmLine = new AlarmLine(client);
    alarmLine->setObjectName(QStringLiteral("alarmLine"));
    acknowledgeButton = new QPushButton(QStringLiteral("Acknowledge <F5>"), client);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledgeAlarms"));
    acknowledgeButton->setEnabled(false);
    connect(acknowledgeButton, &QPushButton::clicked, this, &MainWindow::onAcknowledgeAlarms);
    // F1 to F3 are Start, Stop and Off, F4 the run chart; F5 is the next key along.
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, &MainWindow::onAcknowledgeAlarms);
    alarmSound_ = new QTimer(this);
    alarmSound_->setInterval(kAlarmSoundRepeat);
    connect(alarmSound_, &QTimer::timeout, this, [] { QApplication::beep(); });
    connect(alarms_, &AlarmMonitor::raised, this, [] { QApplication::beep(); });
    connect(alarms_, &AlarmMonitor::changed, this, &MainWindow::showAlarms);
    showDerived(-1);
}

void MainWindow::loadAlarmSettings()
{
    const AlarmSettingsRead read =
        LoadAlarmSettings(s.programFolder, state.settings.degreesCelsius == 1);
    alarms_->setSettings(read.settings);
    alarmProblems_ = read.problems;
    alarmLine->setNotice(alarmProblems_.join(QLatin1Char(' ')));
    placeStatusRow();
}

void MainWindow::onAlarmOptions()
{
    if (alarmsDialog_) {
        alarmsDialog_->raise();
        alarmsDialog_->activateWindow();
        return;
    }
    const bool celsius = state.settings.degreesCelsius == 1;
    auto* dialog = new AlarmsDialog(AlarmSettingsInUnit(alarms_->settings(), celsius),
                                    celsius ? QStringLiteral("C") : QStringLiteral("F"),
                                    alarmProblems_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        alarms_->setSettings(dialog->settings());
        if (const QString error = SaveAlarmSettings(s.programFolder, dialog->settings());
            !error.isEmpty()) {
            s.prompts->say(error);
            return;
        }
        alarmProblems_.clear();
        alarmLine->setNotice(QString());
        placeStatusRow();
    });
    alarmsDialog_ = dialog;
    dialog->show(); // not modal: Stop and Acknowledge stay at hand while it is open
}

void MainWindow::onAcknowledgeAlarms()
{
    alarms_->acknowledge();
}

void MainWindow::showAlarms()
{
    QStringList waiting, acknowledged;
    for (const ActiveAlarm& a : alarms_->engine().active())
        (a.acknowledged ? acknowledged : waiting) << a.text;
    alarmLine->showAlarms(waiting, acknowledged);
    placeStatusRow();
    temperaturePanel->setAlarmedChannels(alarms_->engine().alarmedChannels());
    acknowledgeButton->setEnabled(!waiting.isEmpty());
    if (waiting.isEmpty())
        alarmSound_->stop();
    else if (!alarmSound_->isActive())
        alarmSound_->start();
}

void MainWindow::placeStatusRow()
{
    const QRect row = statusRow_;
    const int ackWidth = acknowledgeButton->sizeHint().width();
    const int gap = px(120);
    const int room = std::max(1, row.width() - ackWidth - gap);
    // An active alarm (or what is wrong with alarms.ini) takes the room its words need, up to
    // three quarters of the row; the status line keeps the rest.
    const int alarmWidth = alarmLine->text().isEmpty()
                               ? 0
                               : std::min(alarmLine->sizeHint().width(), room * 3 / 4);
    statusLine->setGeometry(row.left(), row.top(),
                            std::max(1, room - alarmWidth - (alarmWidth > 0 ? gap : 0)),
                            row.height());
    alarmLine->setGeometry(row.left() + room - alarmWidth, row.top(), std::max(1, alarmWidth),
                           row.height());
    alarmLine->setVisible(alarmWidth > 0);
    acknowledgeButton->setGeometry(row.right() + 1 - ackWidth, row.top(), ackWidth, row.height());
}

void MainWindow::showDerived(qsizetype row)
{
    const QString unit = run_.isEmpty() ? state.derived.unitLetter
                         : run_.header().degreesCelsius == 1 ? QStringLiteral("C")
                                                             : QStringLiteral("F");
    // The newest reading of a recording has its values from the monitor's running window,
    // which heard of it first; any other row looks back over the run.
    const DerivedValues values =
        run_.isRecording() && row == run_.size() - 1
            ? alarms_->latest()
            : DerivedAt(run_, row, alarms_->settings().rateWindow, channelCount());
    const QString text = DerivedText(values, channelCount(), unit);
    if (text != derivedReadout->text()) {
        derivedReadout->setText(text);
        derivedReadout->setAccessibleDescription(text);
    }
}

double MainWindow::csvRateWindow() const
{
    return alarms_->settings().csvDerivedColumns ? alarms_->settings().rateWindow : 0;
}
