// The simulator's frames as the program reads them: a decimal point whatever the locale, an
// engine warm from the first frame, and line-end faults that lose no line.

#include "framefeed.h"
#include "framereader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>
#include <cstdlib>

using tc4sim::Fault;
Q_DECLARE_METATYPE(tc4sim::Fault)

namespace
{

constexpr int kChannels = 4;
constexpr double kTick = 0.1; // s, the simulator's default rate

// The C library's locale for the life of the object, C again afterwards.
class LocaleForTest
{
public:
    explicit LocaleForTest(const char* name) : ok_(std::setlocale(LC_ALL, name) != nullptr) {}
    ~LocaleForTest() { std::setlocale(LC_ALL, "C"); }
    bool ok() const { return ok_; }

private:
    bool ok_;
};

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT
private slots:
    // A user with a German locale ran the simulator and the program recorded nothing.
    void framesKeepTheDecimalPointUnderAGermanLocale()
    {
        QTemporaryDir locales;
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
                        {"-i", "de_DE", "-f", "UTF-8", locales.filePath("de_DE.UTF-8")});
        if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
            QSKIP("no German locale can be made here (localedef or the locales package missing)");
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        const LocaleForTest german("de_DE.UTF-8");
        qunsetenv("LOCPATH");
        char printed[16];
        std::snprintf(printed, sizeof printed, "%.1f", 0.5);
        if (!german.ok() || QByteArray(printed) != "0,5")
            QSKIP("the German locale made here does not take effect");

        tc4sim::FrameFeed feed(7, kTick, 0);
        for (int k = 0; k < 20; ++k) {
            feed.tick();
            const QString frame = QString::fromStdString(feed.current());
            QVERIFY2(IsInstrumentFrame(frame, kChannels) && frame.count(u',') == kChannels,
                     qPrintable(frame));
        }
    }

    // The default exhaust-gas range is 900-1700 F: channels 1-3 show in it from the first
    // frame, for any seed, until the first load step can come (15 s).
    void engineStartsWarm()
    {
        constexpr double kLowest = (900.0 - 32.0) * 5.0 / 9.0;
        constexpr double kHighest = (1700.0 - 32.0) * 5.0 / 9.0;
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            tc4sim::FrameFeed feed(seed, kTick, 0);
            for (int k = 0; k < 150; ++k) {
                feed.tick();
                const QStringList fields = QString::fromStdString(feed.current()).split(u',');
                for (int channel = 1; channel <= 3; ++channel) {
                    const double c = fields[channel].toDouble();
                    QVERIFY2(c > kLowest && c < kHighest,
                             qPrintable(QStringLiteral("seed %1, frame %2: %3")
                                            .arg(seed)
                                            .arg(k)
                                            .arg(QString::fromStdString(feed.current()))));
                }
            }
        }
    }

    // Line ends as the fault writes them reach the program as the lines that were sent.
    void everyLineArrives_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("CR LF") << Fault::None;
        QTest::newRow("CR or LF alone") << Fault::NoCrLf;
    }
    void everyLineArrives()
    {
        QFETCH(Fault, fault);
        tc4sim::FrameFeed feed(3, kTick, 0);
        tc4sim::FaultShaper shaper(fault, 3);
        FrameAssembler assembler;
        QStringList sent, received;
        for (int k = 0; k < 200; ++k) {
            feed.tick();
            sent << QString::fromStdString(feed.current());
            assembler.append(QByteArray::fromStdString(shaper.shape(feed.current(), true)));
            for (QString frame; assembler.takeFrame(frame);) {
                QVERIFY2(assembler.acceptFrame(frame, kChannels), qPrintable(frame));
                received << frame;
            }
        }
        // The first line is taken for the tail of one sent before the port was opened.
        QCOMPARE(received, sent.mid(1));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
