#pragma once
// The line that says which alarms are active, in words and in colour: white on red while one
// waits to be acknowledged, black on amber once all are. A screen reader hears the same words
// (the label's description) and is told when a new alarm is raised. Empty while all is well, so
// it is never in the way.

#include <QLabel>
#include <QStringList>

class AlarmLine : public QLabel
{
public:
    explicit AlarmLine(QWidget* parent = nullptr);

    // `waiting` alarms not yet acknowledged, then `acknowledged` ones; each its raised text.
    void showAlarms(const QStringList& waiting, const QStringList& acknowledged);
    // A note shown while no alarm is active (what was wrong with alarms.ini); empty for none.
    void setNotice(const QString& notice);

    bool alarming() const { return alarming_; }

private:
    void refresh();

    QStringList waiting_;
    QStringList acknowledged_;
    QString notice_;
    bool alarming_ = false;
};
