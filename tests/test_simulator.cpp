// The simulator's frames as the program reads them: a decimal point whatever the locale.

#include "framefeed.h"
#include "framereader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>

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
        const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        const auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });
        qunsetenv("LOCPATH");
        char printed[16];
        std::snprintf(printed, sizeof printed, "%.1f", 0.5);
        if (!german || QByteArray(printed) != "0,5")
            QSKIP("the German locale made here does not take effect");

        tc4sim::FrameFeed feed(7, 0.1, 0);
        for (int k = 0; k < 20; ++k) {
            feed.tick();
            const QString frame = QString::fromStdString(feed.current());
            QVERIFY2(IsInstrumentFrame(frame, 4) && frame.count(u',') == 4, qPrintable(frame));
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
