#include "alarmline.h"

#include <QAccessible>

AlarmLine::AlarmLine(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("alarmLine"));
    setAccessibleName(QStringLiteral("Alarms"));
    setTextFormat(Qt::PlainText);
    setMargin(2);
    refresh();
}

void AlarmLine::showAlarms(const QStringList& waiting, const QStringList& acknowledged)
{
    if (waiting == waiting_ && acknowledged == acknowledged_)
        return;
    // Told only of what is new: the reader is not made to repeat the line at every change.
    bool fresh = false;
    for (const QString& text : waiting)
        fresh = fresh || !waiting_.contains(text);
    waiting_ = waiting;
    acknowledged_ = acknowledged;
    refresh();
    if (fresh) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void AlarmLine::setNotice(const QString& notice)
{
    notice_ = notice;
    refresh();
}

void AlarmLine::refresh()
{
    QStringList parts = waiting_;
    for (const QString& text : acknowledged_)
        parts << text + QStringLiteral(" (acknowledged)");
    alarming_ = !parts.isEmpty();
    const QString text = alarming_ ? parts.join(QStringLiteral("; ")) : notice_;
    QString style;
    if (!waiting_.isEmpty())
        style = QStringLiteral("color: #ffffff; background-color: #c00000; font-weight: bold;");
    else if (alarming_)
        style = QStringLiteral("color: #000000; background-color: #ffbf00;");
    if (styleSheet() != style)
        setStyleSheet(style);
    setText(text);
    setToolTip(text);
    setAccessibleDescription(alarming_ ? text : QStringLiteral("No alarm active. ") + notice_);
}
