#include "alarmengine.h"
#include "alarmsettings.h"
#include "csvexport.h"
#include "derivedchannels.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Samples final : SampleSource {
    std::vector<RunSample> rows;
    qsizetype size() const override { return qsizetype(rows.size()); }
    const RunSample& sample(qsizetype r) const override { return rows[size_t(r)]; }
};

// "t:v1/v2/v3/v4" steps separated by blanks ("-" for no reading, fewer values leave the rest
// without one); "ack@t" acknowledges, "lost@t" and "back@t" are the logger's silence.
std::vector<AlarmEvent> Drive(AlarmEngine& engine, const QString& steps, double window = 5)
{
    std::vector<AlarmEvent> events;
    DerivedChannels derived(window);
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step.contains('@')) {
            const QString what = step.section('@', 0, 0);
            const float t = step.section('@', 1).toFloat();
            if (what == "ack")
                engine.acknowledge(t, events);
            else if (what == "lost")
                engine.loggerSilent(t, events);
            else
                engine.loggerBack(t, events);
            continue;
        }
        RunSample s;
        s.time = step.section(':', 0, 0).toFloat();
        const QStringList values = step.section(':', 1).split('/');
        for (int ch = 0; ch < values.size(); ++ch)
            s.values[ch] = values[ch] == "-" ? kNoReading : values[ch].toFloat();
        engine.evaluate(s, derived.add(s), events);
    }
    return events;
}

QString Texts(const std::vector<AlarmEvent>& events)
{
    QStringList out;
    for (const AlarmEvent& e : events)
        out << QString::number(e.time) + ' ' + e.text;
    return out.join('|');
}

} // namespace

class TestAlarms : public QObject
{
    Q_OBJECT
private slots:
    // Ch 1 high 900, low 100, hysteresis 20, delay 1 s; spread high 300; rate of Ch 2 high 40.
    void engine_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("active"); // what stays active at the end
        QTest::newRow("a short excursion is no alarm") << "0:850 0.5:910 1:890 1.5:910 2:899"
                                                       << "" << "";
        QTest::newRow("raised once the delay has held, cleared past the hysteresis")
            << "0:850 0.5:910 1:920 1.5:932 2:895 2.5:881 3:880"
            << "1.5 ALARM Ch 1 high: 932 \u00B0F above 900|3 cleared: Ch 1 high" << "";
        QTest::newRow("low") << "0:200 1:99.5 2:90 3:119 4:120"
                             << "2 ALARM Ch 1 low: 90 \u00B0F below 100|4 cleared: Ch 1 low" << "";
        QTest::newRow("acknowledged stays until cleared")
            << "0:950 1:950 ack@1.2 2:950 ack@2.1 3:870"
            << "1 ALARM Ch 1 high: 950 \u00B0F above 900|1.2 acknowledged: Ch 1 high|"
               "3 cleared: Ch 1 high"
            << "";
        QTest::newRow("a failed probe is its own alarm, the limit alarm waits for a reading")
            << "0:950 1:950 2:- 3:- 4:960 5:850"
            << "1 ALARM Ch 1 high: 950 \u00B0F above 900|2 ALARM Ch 1 no reading: the probe sends "
               "no temperature|4 cleared: Ch 1 no reading|5 cleared: Ch 1 high"
            << "";
        QTest::newRow("spread, and a failed probe is no spread")
            << "0:500/700 1:500/850 2:-/850 3:500/810"
            << "1 ALARM Spread high: 350 \u00B0F above 300|2 ALARM Ch 1 no reading: the probe "
               "sends no temperature|3 cleared: Ch 1 no reading"
            << "Spread high";
        QTest::newRow("rate over the window")
            << "0:500/500 2.5:500/600 5:500/700 7.5:500/710"
            << "5 ALARM Rate Ch 2 high: 40 \u00B0F/s above 40|"
               "7.5 cleared: Rate Ch 2 high" << "";
        QTest::newRow("silent logger") << "0:500 lost@3 lost@4 back@9"
                                       << "3 ALARM logger silent: no readings arrive|"
                                          "9 cleared: logger silent" << "";
        QTest::newRow("unacknowledged first") << "0:950/900 1:950/900 ack@1 1.5:950/- 2:950/-"
            << "1 ALARM Ch 1 high: 950 \u00B0F above 900|1 acknowledged: Ch 1 high|"
               "1.5 ALARM Ch 2 no reading: the probe sends no temperature"
            << "Ch 2 no reading|Ch 1 high";
    }
    void engine()
    {
        QFETCH(QString, steps);
        AlarmSettings settings;
        settings.limits[0] = {900.0, 100.0, 20, 1};
        settings.limits[kSpreadSource].high = 300;
        settings.limits[kFirstRateSource + 1].high = 39.5;
        AlarmEngine engine;
        engine.configure(settings, steps.contains('/') ? 2 : 1, false);
        QTEST(Texts(Drive(engine, steps)).replace("above 39.5", "above 40"), "events");
        QStringList active;
        for (const ActiveAlarm& a : engine.active())
            active << AlarmName(a.source, a.kind);
        QTEST(active.join('|'), "active");
        QCOMPARE(engine.anyActive(), !active.isEmpty());
    }

    // The running window and the look back agree, and both give nothing they cannot know.
    void derived_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("rates"); // channel 1's rate at each step, "-" for none
        QTest::newRow("ramp") << "0:100 2:120 4:140 5:150 6:160" << "-|-|-|10|10";
        QTest::newRow("tenths") << "0:100 0.1:101 4.9:149 5:150 5.1:152" << "-|-|-|10|10.2";
        QTest::newRow("failed probe is skipped") << "0:100 5:- 6:160 10:200" << "-|-|10|10";
        QTest::newRow("gap beyond twice the window") << "0:100 11:200 16:250" << "-|-|10";
        QTest::newRow("time going back starts again") << "0:100 5:150 1:100 6:200" << "-|10|-|20";
    }
    void derived()
    {
        QFETCH(QString, steps);
        Samples run;
        DerivedChannels live(5, 1);
        QStringList rates;
        for (const QString& step : steps.split(' ')) {
            RunSample s;
            s.time = step.section(':', 0, 0).toFloat();
            const QString v = step.section(':', 1);
            s.values[0] = v == "-" ? kNoReading : v.toFloat();
            run.rows.push_back(s);
            const DerivedValues now = live.add(s);
            const DerivedValues back = DerivedAt(run, run.size() - 1, 5, 1);
            QCOMPARE(QString::number(now.rates[0]), QString::number(back.rates[0])); // nan too
            rates << (HasReading(now.rates[0]) ? QString::number(now.rates[0], 'g', 3) : "-");
        }
        QTEST(rates.join('|'), "rates");
    }

    // The derived columns follow the readings only when asked for; a reading without a value
    // leaves its fields empty.
    void csvColumns()
    {
        Samples run;
        run.rows = {{0, {100, 150, kNoReading, 0}}, {5, {150, 160, 170, 0}}};
        QCOMPARE(RunAsCsv(run, 3, 1, 5),
                 "time_s,ch1_degC,ch2_degC,ch3_degC,spread_degC,rate1_degC_per_s,"
                 "rate2_degC_per_s,rate3_degC_per_s\r\n"
                 ".0,100,150,,50,,,\r\n5.0,150,160,170,20,10.00,2.00,\r\n");
        QCOMPARE(RunAsCsv(run, 3, 1, 0), RunAsCsv(run, 3, 1));
    }

    void iniFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("channel1"); // high/low/hysteresis/delay as read
        QTest::addColumn<double>("window");
        QTest::addColumn<QString>("problem"); // a part of the one message, or none
        QTest::newRow("sound") << QByteArray("[channel1]\nhigh=900\nlow=\nhysteresis=10\ndelay=2\n"
                                             "[derived]\nrateWindow=10\n")
                               << "900/-/10/2" << 10.0 << "";
        QTest::newRow("not a number")
            << QByteArray("[channel1]\nhigh=nine hundred\nlow=100\n") << "-/100/0/0" << 5.0
            << "alarms.ini [channel1] high: \"nine hundred\" is not a number; it is left out.";
        QTest::newRow("a list") << QByteArray("[channel1]\nhigh=9,00\n") << "-/-/0/0" << 5.0
                                << "\"9,00\" is not a number";
        QTest::newRow("low above high")
            << QByteArray("[channel1]\nhigh=100\nlow=900\n") << "-/-/0/0" << 5.0
            << "Ch 1: the low limit 900 is not below the high limit 100. The alarm on Ch 1 is off.";
        QTest::newRow("absurd") << QByteArray("[channel1]\nhigh=1e300\n[derived]\nrateWindow=0\n")
                                << "-/-/0/0" << 5.0 << "beyond any temperature";
        QTest::newRow("negative delay") << QByteArray("[channel1]\nhigh=900\ndelay=-3\n")
                                        << "-/-/0/0" << 5.0 << "between 0 and 86400 seconds";
        QTest::newRow("degrees C in the file") << QByteArray("[derived]\nunit=C\n[channel1]\n"
                                                             "high=500\nhysteresis=10\n")
                                               << "932/-/18/0" << 5.0 << "";
        QTest::newRow("damaged") << QByteArray("[channel1\nhigh=900\n\x01\x02") << "-/-/0/0" << 5.0
                                 << "alarms.ini could not be read (it is damaged)";
    }
    void iniFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        QFile file(AlarmSettingsPath(folder.path()));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size());
        file.close();
        const AlarmSettingsRead read = LoadAlarmSettings(folder.path(), false);
        const AlarmLimits& l = read.settings.limits[0];
        const auto text = [](std::optional<double> v) { return v ? QString::number(*v) : "-"; };
        QTEST(text(l.high) + '/' + text(l.low) + '/' + text(l.hysteresis) + '/' + text(l.delay),
              "channel1");
        QTEST(read.settings.rateWindow, "window");
        QVERIFY2(problem.isEmpty() ? read.problems.isEmpty()
                                   : read.problems.join(' ').contains(problem),
                 qPrintable(read.problems.join('\n')));
        // What was read is written back and read again unchanged.
        QCOMPARE(SaveAlarmSettings(folder.path(), read.settings), QString());
        const AlarmSettingsRead again = LoadAlarmSettings(folder.path(), false);
        QVERIFY(again.problems.isEmpty());
        QVERIFY(again.settings == read.settings);
    }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "test_alarms.moc"
