// Alarms as the user meets them: set in Options > Alarms, shown on the panel and in the alarm
// line, and kept in the run.

#include "alarmline.h"
#include "alarmsdialog.h"
#include "gaugepanel.h"
#include "windowrig.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

static QStringList EventLines(const RunModel& run)
{
    QStringList lines;
    for (const RunEvent& e : run.events())
        lines << FormatEventLine(e);
    return lines;
}

class TestAlarmsWindow : public QObject
{
    Q_OBJECT
private slots:
    void dialog_data()
    {
        QTest::addColumn<QString>("typed"); // Ch 1 high|low|hysteresis|delay, then the window
        QTest::addColumn<QString>("problem");
        QTest::newRow("sound") << "900||20|2|10" << "";
        QTest::newRow("not a number") << "9OO||20|2|5" << "Ch 1 high limit: \"9OO\" is not a number.";
        QTest::newRow("low above high")
            << "900|950|0|0|5" << "Ch 1: the low limit 950 is not below the high limit 900.";
        QTest::newRow("window too short")
            << "900||0|0|0.2" << "The rate window must be from 1 to 600 seconds.";
    }
    void dialog()
    {
        QFETCH(QString, typed);
        QFETCH(QString, problem);
        AlarmSettings before;
        before.limits[kSpreadSource].high = 150;
        AlarmsDialog dialog(before, "F", {"alarms.ini [channel1] high: \"x\" is not a number."});
        QVERIFY(dialog.problemLine()->text().contains("\"x\""));
        const QStringList fields = typed.split('|');
        for (int c = 0; c < AlarmsDialog::kColumns; ++c)
            dialog.field(0, AlarmsDialog::Column(c))->setText(fields[c]);
        dialog.rateWindowField()->setText(fields[4]);
        dialog.csvColumnsBox()->setChecked(true);
        dialog.accept();
        QCOMPARE(dialog.result() == QDialog::Accepted, problem.isEmpty());
        if (!problem.isEmpty()) {
            QCOMPARE(dialog.problemLine()->text(), problem);
            QCOMPARE(dialog.settings(), before); // nothing taken from a refused form
            return;
        }
        const AlarmSettings& s = dialog.settings();
        QCOMPARE(s.limits[0], (AlarmLimits{900.0, std::nullopt, 20, 2}));
        QCOMPARE(s.limits[kSpreadSource].high, std::optional<double>(150));
        QCOMPARE(s.rateWindow, 10.0);
        QVERIFY(s.csvDerivedColumns);
    }

    // A recording in degrees C crosses Ch 1's limit of 500 and comes back; its probe fails; the
    // events are in the run, in the saved file and in the run opened again.
    void recordedRun()
    {
        QTemporaryDir folder;
        AlarmSettings alarms;
        alarms.celsius = true;
        alarms.limits[0] = {500.0, std::nullopt, 10, 0.1};
        QCOMPARE(SaveAlarmSettings(folder.path(), alarms), QString());
        WindowRig<> f({}, folder.path());
        f.show();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        f.startInC("\r\n0,450,400,400,400\r\n");
        const QStringList frames{"490", "505", "520", "ack", "495", "489", "OPEN", "470"};
        float t = 0;
        for (const QString& ch1 : frames) {
            if (ch1 == "ack") {
                QVERIFY(controls(f.w).acknowledgeButton->isEnabled());
                QVERIFY(controls(f.w).alarmLine->text().startsWith(
                    "ALARM Ch 1 high: 520 \u00B0C above 500"));
                QVERIFY(controls(f.w).temperaturePanel->alarmedChannels()[0]);
                QTest::keyClick(f.w.get(), Qt::Key_F5);
                continue;
            }
            t += 0.1f;
            f.tickAt(t, ("1," + ch1 + ",400,400,400\r\n").toLatin1());
        }
        QVERIFY(!controls(f.w).alarmLine->alarming() &&
                !controls(f.w).acknowledgeButton->isEnabled());
        f.port.pull(); // the adapter
        QVERIFY(controls(f.w).alarmLine->text().startsWith("ALARM logger silent"));
        controls(f.w).acknowledgeButton->click();
        const QStringList expected{
            "Event 0.3 s: ALARM Ch 1 high: 520 \u00B0C above 500",
            "Event 0.3 s: acknowledged: Ch 1 high", "Event 0.5 s: cleared: Ch 1 high",
            "Event 0.6 s: ALARM Ch 1 no reading: the probe sends no temperature",
            "Event 0.7 s: cleared: Ch 1 no reading", "Event 0.7 s: logger disconnected",
            "Event 0.7 s: acknowledged: logger silent"};
        QCOMPARE(EventLines(f.w->run()), expected);
        QVERIFY(controls(f.w).derivedReadout->text().startsWith("Spread 70 \u00B0C"));

        f.saveAs(f.data("alarmed run"));
        const QByteArray file = f.read(f.data("alarmed run"));
        for (const QString& line : expected)
            QVERIFY2(file.contains(line.toUtf8()) || file.contains(line.toLatin1()),
                     qPrintable(line));
        WindowRig<> again;
        again.prompts.fileAnswers = {f.data("alarmed run")};
        again.w->action("mnuOpen")->trigger();
        QCOMPARE(EventLines(again.w->run()), expected);
        QVERIFY(!controls(again.w).alarmLine->alarming()); // the alarms of a run opened are history
        QCOMPARE(f.prompts.unexpected + again.prompts.unexpected, 0);
    }

    // A screen reader can tell every field from every other.
    void dialogFieldsHaveNames()
    {
        AlarmsDialog dialog(AlarmSettings{}, "C", {});
        QSet<QString> names;
        const auto fields = dialog.findChildren<QLineEdit*>();
        for (QWidget* w : fields)
            names << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        QCOMPARE(fields.size(), kAlarmSources * AlarmsDialog::kColumns + 1);
        QCOMPARE(names.size(), fields.size());
        QVERIFY(names.contains("Rate Ch 4 delay in seconds"));
    }

    // In words, in colour, and told to a screen reader; empty while all is well.
    void alarmLine()
    {
        AlarmLine line;
        line.setNotice("alarms.ini: something");
        QCOMPARE(line.text(), "alarms.ini: something");
        const QString raised = QString::fromUtf8("ALARM Ch 1 high: 932 \u00B0F above 900");
        line.showAlarms({raised}, {"ALARM Ch 3 no reading: the probe sends no temperature"});
        QVERIFY(line.alarming());
        QCOMPARE(line.text(), raised + "; ALARM Ch 3 no reading: the probe sends no temperature "
                                      "(acknowledged)");
        QCOMPARE(QAccessible::queryAccessibleInterface(&line)->text(QAccessible::Description),
                 line.text());
        QVERIFY(line.styleSheet().contains("#c00000"));
        line.showAlarms({}, {raised});
        QVERIFY(line.styleSheet().contains("#ffbf00"));
        line.showAlarms({}, {});
        QCOMPARE(line.text(), "alarms.ini: something");
        QVERIFY(line.styleSheet().isEmpty());
    }

    // The alarmed channel's column is flagged, not only coloured, and the panel says so.
    void panelMark()
    {
        GaugePanel panel;
        panel.resize(200, 460);
        const DerivedSettings m = DeriveSettings(StoredSettings{});
        panel.redraw(m);
        panel.showReading(m, {1300, 1200, 1100, 1000});
        const QImage plain = panel.image();
        panel.setAlarmedChannels({false, true, false, false});
        const QImage marked = panel.image();
        QVERIFY(panel.accessibleDescription().contains("Ch 2: 1200 (alarm)"));
        // Only channel 2's column changes.
        const int left = panel.columnForX(panel.face().bars[1].left) - 3;
        const int right = left + kBarWidthPixels + 6;
        int changedInside = 0, changedOutside = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                const bool differs = plain.pixel(x, y) != marked.pixel(x, y);
                (x >= left && x <= right ? changedInside : changedOutside) += differs;
            }
        QVERIFY(changedInside > 100);
        QVERIFY2(changedOutside < changedInside / 4, qPrintable(QString::number(changedOutside)));
    }
};

QTEST_MAIN(TestAlarmsWindow)
#include "test_alarms_window.moc"
