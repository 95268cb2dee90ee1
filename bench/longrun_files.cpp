#include "datafile.h"
#include "longrun.h"
#include "readinglistview.h"
#include "runmodel.h"
#include "runsample.h"
#include "windowcontrols.h"

#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cmath>

bool writeDataFile(const QString& path, int rows, qint16 degreesCelsius, qint16 channelCount)
{
    QString text;
    text.reserve(static_cast<qsizetype>(rows) * 32);
    RunSample sample;
    for (int i = 0; i < rows; ++i) {
        const double t = (i + 1) * 0.1;
        sample.time = static_cast<float>(t);
        sample.values = {static_cast<float>(450 + 25 * std::sin(t / 600)),
                         static_cast<float>(461 + 20 * std::sin(t / 450 + 1)),
                         static_cast<float>(472 + 15 * std::cos(t / 800)),
                         static_cast<float>(483 + 10 * std::sin(t / 300 + 2))};
        text += FormatSampleLine(sample, channelCount);
        text += QLatin1String("\r\n");
    }
    return WriteDataFile(path, WriteDataFileText(QStringLiteral("Long-run figures"), text,
                                                 degreesCelsius, channelCount, 0)) == 0;
}

Open openFile(const QString& sourcePath, int rows, qint16 sectionTime, bool saveAfter)
{
    Open out;
    out.rows = rows;
    out.sectionTime = sectionTime;
    Rig r;
    r.ready();
    MainWindow& w = *r.w;
    const WindowControls c(w);
    const QString path = r.dir.filePath(QStringLiteral("Run%1.zrb").arg(rows));
    if (!QFile::copy(sourcePath, path))
        return out;
    r.state.settings.chartSectionSeconds = sectionTime;
    r.prompts.fileAnswers.push_back(path);

    // The longest stretch without a turn of the event loop: a 10 ms timer and the gaps
    // between its ticks.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    qint64 longestAt = 0;
    qint64 longestLater = 0;
    const auto gapEnds = [&](qint64 now) {
        if (now - last > longest) {
            longest = now - last;
            longestAt = last;
        }
        if (last > 0)
            longestLater = std::max(longestLater, now - last);
    };
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        gapEnds(now);
        last = now;
        ++out.ticks;
    });

    ticker.start();
    clock.start();
    last = 0;
    w.onOpen();
    // The chart is drawn in slices between turns of the event loop; the list's last row is
    // selected once the last slice is drawn.
    while (w.run().size() > 0 && c.readingList->currentRow() != w.run().size() - 1 &&
           clock.elapsed() < 300000)
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    out.openS = clock.nsecsElapsed() * 1e-9;
    gapEnds(clock.nsecsElapsed());
    ticker.stop();

    out.longestGapMs = static_cast<double>(longest) * 1e-6;
    out.longestGapAtMs = static_cast<double>(longestAt) * 1e-6;
    out.longestLaterGapMs = static_cast<double>(longestLater) * 1e-6;
    out.rowsShown = c.readingList->count();
    out.rssMb = rssMb();
    out.messages = r.prompts.messages.size();

    if (saveAfter) {
        const QString copy = r.dir.filePath(QStringLiteral("Saved%1.zrb").arg(rows));
        out.saveAsS = r.timedSaveAs(copy);
        out.saveAsBytes = fileSize(copy);
    }
    return out;
}

ReadSteps timeReadSteps(const QString& path)
{
    ReadSteps out;
    QElapsedTimer t;
    t.start();
    const DataFileRead file = ReadDataFile(path, kDataFileTypeLine);
    out.readS = t.nsecsElapsed() * 1e-9;
    QTemporaryDir journalFolder;
    RunModel model(journalFolder.path());
    t.restart();
    model.open(path);
    out.modelOpenS = t.nsecsElapsed() * 1e-9;
    out.lines = model.size();
    return out;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

QString notes(const Open& o)
{
    QString text;
    if (o.rowsShown != o.rows)
        text += QStringLiteral("  (only %1 rows shown)").arg(o.rowsShown);
    if (o.messages > 0)
        text += QStringLiteral("  (%1 message boxes)").arg(o.messages);
    return text;
}

double ms(double seconds)
{
    return seconds * 1e3;
}
