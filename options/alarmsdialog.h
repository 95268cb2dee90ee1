#pragma once
// Options > Alarms: the limits of every watched value, the rate window and whether the CSV
// export carries the derived columns. Shown without a nested event loop and without blocking
// the main window, so Stop and Acknowledge stay at hand; OK keeps the dialog open, with the
// reason in words under the table, while a field cannot be used.

#include "alarmsettings.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

class AlarmsDialog : public QDialog
{
    Q_OBJECT
public:
    // `settings` in the display unit, `unitLetter` "F" or "C"; `problems` found in alarms.ini
    // are shown until the settings are saved.
    AlarmsDialog(const AlarmSettings& settings, const QString& unitLetter,
                 const QStringList& problems, QWidget* parent = nullptr);

    // What the fields hold; valid once the dialog was accepted.
    const AlarmSettings& settings() const { return settings_; }
    // The field of value `column` (High, Low, Hysteresis, Delay) of `source`.
    enum Column { High, Low, Hysteresis, Delay, kColumns };
    QLineEdit* field(int source, Column column) const { return fields_[source][column]; }
    QLineEdit* rateWindowField() const { return rateWindow_; }
    QCheckBox* csvColumnsBox() const { return csvColumns_; }
    QLabel* problemLine() const { return problems_; }

public slots:
    void accept() override;

private:
    AlarmSettings settings_;
    std::array<std::array<QLineEdit*, kColumns>, kAlarmSources> fields_{};
    QLineEdit* rateWindow_ = nullptr;
    QCheckBox* csvColumns_ = nullptr;
    QLabel* problems_ = nullptr;
};
