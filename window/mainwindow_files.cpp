#include "mainwindowparts.h"

#include "aboutbox.h"
#include "commentseditor.h"
#include "configfile.h"
#include "csvexport.h"
#include "datafile.h"
#include "decoder.h"
#include "export.h"
#include "filecommands.h"
#include "fileseekdialog.h"
#include "framereader.h"
#include "gaugeface.h"
#include "gaugepanel.h"
#include "graphcursor.h"
#include "numconv.h"
#include "optioncommands.h"
#include "portcommands.h"
#include "portpath.h"
#include "printwin.h"
#include "readinglistview.h"
#include "recordingjournal.h"
#include "replay.h"
#include "sampling.h"
#include "sectionbox.h"
#include "seriallink.h"
#include "stripchart.h"
#include "viewers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

using namespace mainwindow_detail;

namespace
{

// Runs the chart's bookkeeping without drawing anything: how a replay will move through the
// sections is known before a single line is drawn.
class CountingSurface final : public ChartSurface
{
public:
    void clearSection(int) override {}
    void setSectionScale(int, double) override {}
    void drawLine(int, double, double, double, double, quint32, int, bool) override {}
    void placeSections(const std::array<double, 3>&, double) override {}
    bool sectionAtLeft(int) const override { return false; }
    void setScaleLabels(int, const QString&, const QString&) override {}
    void showScaleLabels(int, bool) override {}
    void setLegend(const QString&) override {}
    void showChart() override {}
    void showStartButtons() override {}
    void letEventsRun() override {}
    float clock() override { return 0; }
    void drawGaugeNeedle() override {}
    void markOffRange(int, int, int, double) override {}
};

} // namespace

// ---------------------------------------------------------------- data files

QString MainWindow::dataFolderPath() const
{
    return s.programFolder + state.derived.dataFolder;
}

void MainWindow::writeDataFile()
{
    const int error =
        WriteDataFile(state.run.targetFilePath,
                      WriteDataFileText(state.run.comments, runText(), runDegreesCelsius,
                                        state.derived.channelCount, state.run.fuelType));
    if (error != 0) {
        s.prompts->say(DataFileErrorText(error));
        return;
    }
    finishFileUse();
    // The run is safe in the file; while it still grows, the journal goes on with it.
    if (notSampling == 1)
        discardJournal();
}

void MainWindow::readDataFile()
{
    const DataFileRead file = ReadDataFile(state.run.targetFilePath, kDataFileTypeLine);
    if (file.outcome == DataFileRead::Outcome::WrongType) {
        s.prompts->message(BadFileMessage(state.derived.programTitle));
        return;
    }
    takeLoadedRun(file);
    // The run the journal kept is replaced now; the user chose not to save it.
    if (file.samplesStarted && notSampling == 1)
        discardJournal();
    if (file.outcome == DataFileRead::Outcome::Error) {
        s.prompts->say(DataFileErrorText(file.errorNumber));
        return;
    }
    finishFileUse();
    switchToFileUnit(file.unit);
}

// What was read before a failure stays, as it would have been read in place.
void MainWindow::takeLoadedRun(const DataFileRead& file)
{
    if (file.channelsRead)
        state.derived.channelCount = file.channels;
    if (file.commentsStarted)
        state.run.comments = file.comments;
    if (file.samplesStarted) {
        loadedSamples_ = file.samples;
        clearRun();
    }
}

void MainWindow::switchToFileUnit(qint16 unit)
{
    runDegreesCelsius = unit;
    showStatus();
    if (unit == state.settings.degreesCelsius)
        return;
    s.prompts->say(UnitSwitchMessage(unit));
    state.settings.degreesCelsius = unit;
    applyThermocoupleMode();
    redrawTemperaturePanel();
}

// ---------------------------------------------------------------- recording journal

void MainWindow::discardJournal()
{
    journal_->close();
    RecordingJournal::discard(dataFolderPath());
    journalProblem_.clear();
}

void MainWindow::noteJournalProblem(bool ok)
{
    // Never a message box: one would hold up the recording until it is answered.
    const QString problem =
        ok ? QString() : QStringLiteral("The run is not being journaled: ") + journal_->lastError();
    if (problem != journalProblem_) {
        journalProblem_ = problem;
        showStatus();
    }
}

void MainWindow::offerJournaledRun()
{
    const QString folder = dataFolderPath();
    const std::optional<JournalInfo> info = RecordingJournal::find(folder);
    if (!info)
        return;
    const QString recovered = QStringLiteral("Recovered run ") +
                              info->lastModified.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const MsgAnswer answer = s.prompts->message(
        {UnsavedRunQuestion(*info, recovered), QStringLiteral("Unsaved Run Found"),
         MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes});
    const std::optional<DataFileRead> file = RecordingJournal::load(folder);
    if (!file)
        return;
    if (answer != MsgAnswer::Yes) {
        const QString path = folder + QLatin1Char('/') + recovered;
        const int error =
            WriteDataFile(path, WriteDataFileText(file->comments, file->samples, file->unit,
                                                  file->channels, file->fuel));
        if (error != 0) {
            s.prompts->say(QStringLiteral("The unsaved run could not be kept as \"") + recovered +
                           QStringLiteral("\" (error ") + QString::number(error) +
                           QStringLiteral("). It will be offered again at the next start."));
            return;
        }
        RecordingJournal::discard(folder);
        return;
    }
    // Shown as if it had been opened, and still unsaved: the journal stays until it is saved.
    takeLoadedRun(*file);
    replayRun();
    state.run.dataNotSaved = 1;
    switchToFileUnit(file->unit);
}

// After a save or a load: the file becomes the current one and the run counts as saved.
void MainWindow::finishFileUse()
{
    state.run.filePath = state.run.targetFilePath;
    state.run.fileName = DataFileName(state.run.filePath, dataFolderPath());
    setWindowCaptionForFile();
    state.run.dataNotSaved = 0;
    update();
    s.yieldNow();
}

void MainWindow::onOpen()
{
    if (!maybeSaveRun(openQuestion()))
        return;
    const std::optional<QString> chosen = s.prompts->openFile(OpenDialogRequest(dataFolderPath()));
    if (!chosen || chosen->isEmpty())
        return;
    state.run.targetFilePath = *chosen;
    readDataFile();
    replayRun();
}

MessageRequest MainWindow::openQuestion()
{
    return {QStringLiteral("Save any new data recorded?"), QStringLiteral("Save New Data?"),
            MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes};
}

MessageRequest MainWindow::saveDataQuestion()
{
    return {QStringLiteral("Save this recorded data?"), QStringLiteral("Save Data?"),
            MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Yes};
}

// Only an explicit No gives an unsaved run up. Yes that does not end with the run in a file
// (the dialog cancelled, the disk full) keeps it, and the command that asked does not go on.
bool MainWindow::maybeSaveRun(const MessageRequest& question)
{
    if (state.run.dataNotSaved != 1)
        return true;
    const MsgAnswer answer = s.prompts->message(question);
    if (answer == MsgAnswer::No)
        return true;
    if (answer != MsgAnswer::Yes)
        return false;
    onSaveAs();
    return state.run.dataNotSaved != 1;
}

// A file named on the command line, opened as Open opens the one chosen in its dialog.
void MainWindow::openDataFile(const QString& path)
{
    if (!maybeSaveRun(openQuestion()))
        return;
    state.run.targetFilePath = path;
    readDataFile();
    replayRun();
}

void MainWindow::onSave()
{
    if (state.run.fileName == QLatin1String("Untitled"))
        onSaveAs();
    // After a cancelled Save As the run still goes to the data folder's "Untitled", so a
    // Save never ends with the run unsaved.
    state.run.targetFilePath = state.run.filePath;
    writeDataFile();
}

void MainWindow::onSaveAs()
{
    const std::optional<QString> chosen =
        s.prompts->saveFile(SaveAsDialogRequest(dataFolderPath(), state.run.filePath));
    if (!chosen || chosen->isEmpty())
        return;
    state.run.targetFilePath = ShortenToFortyCharacters(*s.prompts, *chosen);
    writeDataFile();
}

void MainWindow::appendRunLine(const QString& line)
{
    run_.append(line);
    if (!chart_->replaying) // the replay shows its rows in slices
        readingList->linesChanged();
}

void MainWindow::clearRun()
{
    run_.clear();
    readingList->linesChanged();
    showStatus();
}

void MainWindow::replayRun()
{
    // Without a load that read sample lines, the run itself is replayed again.
    QString source = loadedSamples_ ? *std::exchange(loadedSamples_, std::nullopt) : runText();
    replayRun(source);
}

void MainWindow::replayRun(const QString& source)
{
    QElapsedTimer elapsed;
    elapsed.start();
    state.run.chartPlotMode = 1;
    lineBreak = kLineBreak;
    const std::vector<std::pair<qsizetype, qsizetype>> lines = ReplayLineSpans(source);
    clearRun();
    ResetChartForReplay(state.chart);

    // A first pass through the chart's bookkeeping alone tells which lines fall into sections
    // that later wraps clear again: their traces are never seen, so they are not drawn.
    std::vector<double> times(lines.size());
    size_t firstDrawn = 0;
    {
        ChartState plannedChart = state.chart;
        StoredSettings plannedSettings = state.settings;
        CountingSurface counting;
        const std::array<QString, kMaxChannels> noReadings{};
        std::vector<int> changesBefore(lines.size());
        int changes = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            times[i] = ReplayLineTime(source.mid(lines[i].first, lines[i].second));
            changesBefore[i] = changes;
            const qint16 section = i == 0 ? 0 : plannedChart.currentSection;
            qint16 startOver = 0;
            qint16 doing = 1;
            ::PlotSample(plannedChart, plannedSettings, state.derived, counting, noReadings,
                         startOver, doing, times[i], QString(), 1);
            if (plannedChart.currentSection != section)
                ++changes;
        }
        while (firstDrawn < lines.size() && changesBefore[firstDrawn] < changes - 2)
            ++firstDrawn;
    }
    const qint16 plannedSectionTime = state.settings.chartSectionSeconds;

    std::unique_ptr<QProgressDialog> progress;
    qint64 nextSlice = kReplaySliceMs;
    // The panel, the read-outs and the list show where the replay has got to.
    const auto showReplayState = [this] {
        readingList->linesChanged();
        for (int i = 0; i < channelCount(); ++i)
            temperaturePanel->setChannelCaption(i, channelTexts[i]);
        if (std::exchange(chart_->gaugeDue, false)) {
            showReadingsOnPanel();
        }
        for (int i = 0; i < kTraceSlots; ++i)
            placeOffRangeMarker(i);
    };

    chart_->replaying = true;
    QString timeText;
    for (size_t i = 0; i < lines.size(); ++i) {
        sampleTime = times[i];
        timeText = num::Format(sampleTime, QStringLiteral("#########.0"));
        QString copy = source.mid(lines[i].first, lines[i].second);
        ::DecodeFrame(copy, state.chart.readings, state.derived.channelCount,
                      state.settings.degreesCelsius, channelTexts);
        for (int c = 0; c < channelCount(); ++c)
            channelTexts[c] = FormatChannelReading(state.chart.readings[c]);
        state.run.lastLine = SampleLine(timeText, channelTexts, state.derived.channelCount);
        appendRunLine(state.run.lastLine);
        // Should the section time change while the replay lets events run, every line is drawn.
        chart_->skipTraces =
            i < firstDrawn && state.settings.chartSectionSeconds == plannedSectionTime;
        qint16 startOver = 0;
        plotSample(startOver, state.run.chartPlotMode, sampleTime, state.run.lastLine, 1);
        if (startOver == 1)
            s.prompts->say(QStringLiteral("Should not happen #44"));

        if (elapsed.elapsed() < nextSlice)
            continue;
        nextSlice = elapsed.elapsed() + kReplaySliceMs;
        if (!progress && elapsed.elapsed() >= kReplayProgressAfterMs) {
            progress = std::make_unique<QProgressDialog>(
                QStringLiteral("Reading the run's samples..."), QString(), 0,
                static_cast<int>(lines.size()), this);
            progress->setWindowModality(Qt::WindowModal);
            // The dialog has no title of its own: a screen reader would announce it unnamed.
            progress->setAccessibleName(QStringLiteral("Opening the run"));
            progress->setMinimumDuration(0);
        }
        if (progress)
            progress->setValue(static_cast<int>(i));
        timeReadout->setText(timeText);
        showReplayState();
        // Repaints and timers only: a command given now waits until the run is complete.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    chart_->replaying = false;
    chart_->skipTraces = false;
    if (!lines.empty())
        timeReadout->setText(timeText);
    showReplayState();
    showStatus();
}

// ---------------------------------------------------------------- export

void MainWindow::onExportText()
{
    onExportButton();
}

void MainWindow::onExportButton()
{
    if (notSampling != 1) {
        onRecordButton(StopButton);
        s.yieldNow();
    }
    const QString path = s.programFolder + QStringLiteral("/Export.txt");
    if (const int error = WriteExportFile(path, runText())) {
        s.prompts->say(QStringLiteral("Export.txt could not be written (error ") +
                       QString::number(error) + QStringLiteral(")."));
        return;
    }
    ShowDocument(*s.prompts, *s.launcher, path, QStringLiteral("Export.txt"));
}

// The whole run in the unit it was recorded in. A recording goes on meanwhile, as it does
// during Save As: the file holds the readings taken until it is written.
void MainWindow::onExportCsv()
{
    const std::optional<QString> chosen =
        s.prompts->saveFile(CsvDialogRequest(dataFolderPath(), state.run.fileName));
    if (!chosen || chosen->isEmpty())
        return;
    if (const int error = WriteCsvFile(*chosen, run_, channelCount(), runDegreesCelsius))
        s.prompts->say(CsvErrorText(*chosen, error));
}

// "New" has no handler of its own: choosing it does nothing.
void MainWindow::onNew() {}
