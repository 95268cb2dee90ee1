#include "mainwindowparts.h"

#include "aboutbox.h"
#include "commentseditor.h"
#include "configfile.h"
#include "csvexport.h"
#include "datafile.h"
#include "export.h"
#include "filecommands.h"
#include "fileseekdialog.h"
#include "gaugeface.h"
#include "gaugepanel.h"
#include "graphcursor.h"
#include "numconv.h"
#include "optioncommands.h"
#include "portcommands.h"
#include "portpath.h"
#include "printwin.h"
#include "readinglistview.h"
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
    void markOffRange(int, int, int, double) override {}
};

} // namespace

// ---------------------------------------------------------------- data files

QString MainWindow::dataFolderPath() const
{
    return s.programFolder + state.derived.dataFolder;
}

bool MainWindow::saveRunTo(const QString& path)
{
    if (const int error = run_.save(path)) {
        s.prompts->say(DataFileErrorText(error));
        return false;
    }
    return true;
}

void MainWindow::onRunStateChanged()
{
    const QString path = run_.filePath();
    const QString name =
        path.isEmpty() ? QStringLiteral("Untitled") : DataFileName(path, dataFolderPath());
    if (name != state.run.fileName) {
        state.run.fileName = name;
        setWindowCaptionForFile();
    }
    showStatus();
}

void MainWindow::switchToFileUnit(qint16 unit)
{
    if (unit == state.settings.degreesCelsius)
        return;
    s.prompts->say(UnitSwitchMessage(unit));
    state.settings.degreesCelsius = unit;
    applyThermocoupleMode();
    redrawTemperaturePanel();
    // The run began to be drawn when it replaced the last one, in the graph range of the unit
    // shown then; its readings belong in the range of their own unit.
    replayTimer_->stop();
    startChartReplay();
}

void MainWindow::openDataFile(const QString& path)
{
    const RunModel::OpenResult opened = run_.open(path);
    if (opened.outcome == DataFileRead::Outcome::WrongType) {
        s.prompts->message(BadFileMessage(state.derived.programTitle));
        return;
    }
    if (opened.outcome == DataFileRead::Outcome::Error) {
        s.prompts->say(DataFileErrorText(opened.errorNumber));
        return;
    }
    switchToFileUnit(opened.unit);
}

// ---------------------------------------------------------------- a run left by a crash

void MainWindow::offerJournaledRun()
{
    const std::optional<JournalInfo> info = run_.leftJournal();
    if (!info)
        return;
    const QString recovered = QStringLiteral("Recovered run ") +
                              info->lastModified.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const MsgAnswer answer = s.prompts->message(
        {UnsavedRunQuestion(*info, recovered), QStringLiteral("Unsaved Run Found"),
         MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes});
    if (answer != MsgAnswer::Yes) {
        if (const int error = run_.keepJournalAs(dataFolderPath() + QLatin1Char('/') + recovered))
            s.prompts->say(QStringLiteral("The unsaved run could not be kept as \"") + recovered +
                           QStringLiteral("\" (error ") + QString::number(error) +
                           QStringLiteral("). It will be offered again at the next start."));
        return;
    }
    // Shown as if it had been opened, and still unsaved: the journal stays until it is saved.
    if (run_.recoverJournal())
        switchToFileUnit(run_.header().degreesCelsius);
}

// ---------------------------------------------------------------- file commands

void MainWindow::onOpen()
{
    if (!maybeSaveRun(openQuestion()))
        return;
    const std::optional<QString> chosen = s.prompts->openFile(OpenDialogRequest(dataFolderPath()));
    if (!chosen || chosen->isEmpty())
        return;
    stopRecording();
    openDataFile(*chosen);
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
    if (!run_.isUnsaved())
        return true;
    const MsgAnswer answer = s.prompts->message(question);
    if (answer == MsgAnswer::No)
        return true;
    if (answer != MsgAnswer::Yes)
        return false;
    onSaveAs();
    return !run_.isUnsaved();
}

void MainWindow::onSave()
{
    if (state.run.fileName == QLatin1String("Untitled"))
        onSaveAs();
    // After a cancelled Save As the run still goes to the data folder's "Untitled", so a
    // Save never ends with the run unsaved.
    const QString path = run_.filePath().isEmpty() ? dataFolderPath() + QStringLiteral("/Untitled")
                                                   : run_.filePath();
    saveRunTo(path);
}

void MainWindow::onSaveAs()
{
    const QString current = run_.filePath().isEmpty()
                                ? dataFolderPath() + QStringLiteral("/Untitled")
                                : run_.filePath();
    const std::optional<QString> chosen =
        s.prompts->saveFile(SaveAsDialogRequest(dataFolderPath(), current));
    if (!chosen || chosen->isEmpty())
        return;
    saveRunTo(ShortenToFortyCharacters(*s.prompts, *chosen));
}

// ---------------------------------------------------------------- drawing a whole run

void MainWindow::onRunReplaced()
{
    readingList->linesChanged();
    hideCursorMarkers();
    // A new recording starts with an empty chart, laid out at its first tick.
    if (run_.isRecording()) {
        replayTimer_->stop();
        ResetChart(state.chart);
        redrawTemperaturePanel();
        showStatus();
        return;
    }
    // The chart and the panel show the channels the run has.
    state.derived.channelCount = run_.header().channelCount;
    startChartReplay();
}

void MainWindow::startChartReplay()
{
    LayOutChart(state.chart, state.settings, state.derived, *chart_);
    // A first pass through the chart's bookkeeping alone tells which samples fall into sections
    // that later wraps clear again: their traces are never seen, so they are not drawn.
    ChartState planned;
    StoredSettings plannedSettings = state.settings;
    CountingSurface counting;
    int changes = 0;
    std::vector<int> changesBefore(static_cast<size_t>(run_.size()));
    for (qsizetype i = 0; i < run_.size(); ++i) {
        changesBefore[static_cast<size_t>(i)] = changes;
        const qint16 section = planned.currentSection;
        PlotSample(planned, plannedSettings, state.derived, counting, run_.sample(i));
        if (planned.currentSection != section)
            ++changes;
    }
    replayFirstDrawn_ = 0;
    while (replayFirstDrawn_ < run_.size() &&
           changesBefore[static_cast<size_t>(replayFirstDrawn_)] < changes - 2)
        ++replayFirstDrawn_;
    replaySectionSeconds_ = state.settings.chartSectionSeconds;
    replayNext_ = 0;
    replayNextEvent_ = 0;
    replayClock_.start();
    chart_->replaying = true;
    replayNextSlice();
}

void MainWindow::replayNextSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (replayNext_ < run_.size() && slice.elapsed() < kReplaySliceMs) {
        // Should the section time change between two slices, every sample is drawn.
        chart_->skipTraces = replayNext_ < replayFirstDrawn_ &&
                             state.settings.chartSectionSeconds == replaySectionSeconds_;
        replayEventsBefore(replayNext_);
        PlotSample(state.chart, state.settings, state.derived, *chart_, run_.sample(replayNext_));
        ++replayNext_;
    }
    chart_->skipTraces = false;
    if (replayNext_ >= run_.size())
        replayEventsBefore(run_.size());
    if (replayNext_ >= run_.size()) {
        finishChartReplay();
        return;
    }
    if (!replayProgress_ && replayClock_.elapsed() >= kReplayProgressAfterMs) {
        replayProgress_ =
            std::make_unique<QProgressDialog>(QStringLiteral("Reading the run's samples..."),
                                              QString(), 0, static_cast<int>(run_.size()), this);
        replayProgress_->setObjectName(QStringLiteral("replayProgress"));
        replayProgress_->setAccessibleName(QStringLiteral("Opening the run"));
        replayProgress_->setMinimumDuration(0);
    }
    if (replayProgress_)
        replayProgress_->setValue(static_cast<int>(replayNext_));
    // The rest is drawn after the event loop has run: the window repaints and answers meanwhile.
    replayTimer_->start(0);
}

void MainWindow::replayEventsBefore(qsizetype sample)
{
    const auto& events = run_.events();
    for (; replayNextEvent_ < qsizetype(events.size()) && run_.eventPlace(replayNextEvent_) <= sample;
         ++replayNextEvent_)
        PlotEvent(state.chart, state.settings, *chart_,
                  events[size_t(replayNextEvent_)].time);
}

void MainWindow::finishChartReplay()
{
    chart_->replaying = false;
    replayProgress_.reset();
    showSectionTimes();
    for (int i = 0; i < kRecorderChannels; ++i)
        placeOffRangeMarker(i);
    if (!run_.isEmpty()) {
        readingList->setCurrentRow(int(listRows_.lastSampleRow()));
        timeReadout->setText(FormatRunTime(run_.sample(run_.size() - 1).time));
    }
    redrawTemperaturePanel();
    showStatus();
}

// ---------------------------------------------------------------- export

void MainWindow::onExportText()
{
    onExportButton();
}

void MainWindow::onExportButton()
{
    if (run_.isRecording())
        onRecordButton(StopButton);
    const QString path = s.programFolder + QStringLiteral("/Export.txt");
    if (const int error = WriteExportFile(path, run_.rowsText())) {
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
    if (const int error =
            WriteCsvFile(*chosen, run_, run_.channelCount(), run_.header().degreesCelsius,
                         csvRateWindow()))
        s.prompts->say(CsvErrorText(*chosen, error));
}

// "New" has no handler of its own: choosing it does nothing.
void MainWindow::onNew() {}
