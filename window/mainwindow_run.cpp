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

// ---------------------------------------------------------------- graph cursor

void MainWindow::moveGraphCursor(float& x, int& sectionBox)
{
    hideCursorMarkers();
    const int section = std::clamp(sectionBox, 0, 2);
    const float target = state.chart.sectionStartTimes[section] + x;
    const int best = static_cast<int>(run_.nearestRow(target, kNoRowDistance));
    if (best < 0)
        return; // an empty list has no row to show
    if (readingList->currentRow() != best)
        readingList->setCurrentRow(
            best); // runs onReadingListRowChanged first, as a user's click would
    const QString row = run_.line(best);
    const float t = RowTime(row);
    timeReadout->setText(CursorTimeText(t));
    const double v = FirstChannelValue(row);
    const QPointF at = CursorMarkerPosition(t, state.chart.sectionStartTimes[section], v,
                                            state.derived.graphMin, state.derived.graphFactor);
    QLabel* marker = cursorMarkers[section];
    marker->move(MarkerPixel(chartSections[section]->toPixel(at.x(), at.y())));
    marker->show();
    QString copy = row;
    decodeFrame(copy);
    showReadingsOnPanel();
}

void MainWindow::onReadingListRowChanged()
{
    const int r = readingList->currentRow();
    if (r < 0)
        return;
    const float t = run_.time(r);
    int k = SectionOfTime(t, state.chart.sectionStartTimes);
    cursorX = t - state.chart.sectionStartTimes[k];
    moveGraphCursor(cursorX, k);
}

void MainWindow::onChartSectionPressed(int, Qt::MouseButton, Qt::KeyboardModifiers, float x, float)
{
    cursorX = x;
}

void MainWindow::onChartSectionClicked(int section)
{
    moveGraphCursor(cursorX, section);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QMainWindow::eventFilter(watched, event);
    for (int k = 0; k < 3; ++k) {
        if (watched != chartSections[k])
            continue;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            const QPointF user = chartSections[k]->toUser(mouse->position());
            onChartSectionPressed(k, mouse->button(), mouse->modifiers(), float(user.x()),
                                  float(user.y()));
        } else if (chartSections[k]->rect().contains(mouse->position().toPoint())) {
            onChartSectionClicked(k);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- acquisition

void MainWindow::openLoggerPort()
{
    // The port is opened afresh, so the text it holds begins somewhere inside a line.
    if (!sessionPortDevice_.isEmpty())
        ::OpenLoggerPortOnDevice(*s.port, sessionPortDevice_);
    else
        ::OpenLoggerPort(*s.port,
                         sessionComPort_ != 0 ? sessionComPort_ : state.settings.comPorts[0]);
    frames.reset();
}

void MainWindow::useSessionPort(qint16 comPort, const QString& device)
{
    sessionComPort_ = comPort;
    sessionPortDevice_ = device;
}

bool MainWindow::readFrame()
{
    const qint64 rejectedBefore = rejectedFrames;
    const ReadFrameResult result =
        ::ReadFrame(*s.port, frames, readBudget, notSampling, frameText, channelCount(),
                    rejectedFrames, &ending_, s.elapsedMs);
    if (rejectedFrames != rejectedBefore)
        showStatus();
    if (result == ReadFrameResult::GaveUp) {
        showStatus(); // the recording has ended: the unit may be changed again
        s.prompts->say(QStringLiteral("Not receiving data."));
    }
    return result == ReadFrameResult::Frame;
}

void MainWindow::showStatus()
{
    QString text = notSampling == 1 ? state.run.idleStatusText : state.run.recordingStatusText;
    // The list keeps the unit its readings were taken in, whatever the unit setting says now.
    if (!run_.isEmpty())
        text += QStringLiteral("   Readings in Deg ") +
                (runDegreesCelsius == 1 ? QLatin1Char('C') : QLatin1Char('F')) + QLatin1Char('.');
    if (rejectedFrames > 0)
        text += QStringLiteral("   (%1 damaged line%2 from the instrument ignored)")
                    .arg(rejectedFrames)
                    .arg(rejectedFrames == 1 ? QString() : QStringLiteral("s"));
    if (!journalProblem_.isEmpty())
        text += QStringLiteral("   ") + journalProblem_;
    statusLine->setText(text);
    enableUnitCommands();
}

void MainWindow::enableUnitCommands()
{
    const bool idle = notSampling == 1;
    const QString why =
        idle ? QString()
             : QStringLiteral("Not while recording: a run keeps the unit it was started in. "
                              "Stop the recording to change it.");
    for (const char* name : {"mnuDegF", "mnuDegC"}) {
        if (QAction* unit = action(QLatin1String(name))) { // none while the menus are built
            unit->setEnabled(idle);
            unit->setStatusTip(why);
        }
    }
}

void MainWindow::decodeFrame(QString& frame)
{
    if (!::DecodeFrame(frame, state.chart.readings, state.derived.channelCount,
                       state.settings.degreesCelsius, channelTexts))
        return;
    for (int i = 0; i < channelCount(); ++i)
        temperaturePanel->setChannelCaption(i, channelTexts[i]);
}

int MainWindow::channelCount() const
{
    return std::clamp<int>(state.derived.channelCount, 0, kMaxChannels);
}

void MainWindow::onFindPorts()
{
    portList->clear();
    portList->addItems(FindComPorts(s.comPortExists));
    if (portList->count() > 0)
        portList->setCurrentIndex(0);
}

void MainWindow::onLoggerPort()
{
    // The dialog offers the port this session uses; a number accepted there replaces a port
    // given on the command line and is saved like any other choice.
    const bool session = sessionComPort_ != 0 || !sessionPortDevice_.isEmpty();
    qint16 offered = sessionComPort_ != 0 ? sessionComPort_ : state.settings.comPorts[0];
    qint16& target = session ? offered : state.settings.comPorts[0];
    const bool chosen = ChooseLoggerPort(*s.prompts, *s.port, target, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    if (chosen && session) {
        state.settings.comPorts[0] = offered;
        useSessionPort(0, QString());
    }
}

void MainWindow::onSecondLoggerPort()
{
    s.prompts->say(QStringLiteral("Option not yet activated."));
}

// ---------------------------------------------------------------- recording

void MainWindow::onRecordButton(int button)
{
    if (button != StartButton) {
        notSampling = 1;
        hideCursorMarkers();
        if (journal_->isActive())
            noteJournalProblem(journal_->sync());
        showStatus();
        return;
    }
    const bool unsaved = state.run.dataNotSaved == 1;
    if (!maybeSaveRun(saveDataQuestion()))
        return;
    if (unsaved && state.run.dataNotSaved != 1) {
        // The user presses Start again once the run is safe.
        notSampling = 1;
        showStatus();
        return;
    }
    state.run.dataNotSaved = 1;
    notSampling = 0;
    sampleTime = 0;
    rejectedFrames = 0;
    clearRun();
    noteJournalProblem(journal_->begin(dataFolderPath(), state.settings.degreesCelsius,
                                       state.derived.channelCount, state.run.fuelType,
                                       state.run.comments));
    runDegreesCelsius = state.settings.degreesCelsius;
    setSampleInterval(kTickMilliseconds);
    lineBreak = kLineBreak;
    ResetChartForRecording(state.chart);
    openLoggerPort();
    readFrame();
    hideCursorMarkers();
}

void MainWindow::onSampleTick()
{
    // A tick waits for its frame with the event queue running; a tick due meanwhile is dropped
    // rather than started inside the waiting one.
    if (inTick_ || chart_->replaying)
        return;
    inTick_ = true;
    state.run.chartPlotMode = 1;
    if (notSampling == 1) {
        showStatus();
        inTick_ = false;
        return;
    }
    showStatus();
    // The first tick after Start sets the chart up; later ticks plot only what they stored.
    if (state.chart.started != 1 || takeSample()) {
        qint16 startOver = 0;
        plotSample(startOver, state.run.chartPlotMode, sampleTime, state.run.lastLine, 0);
    }
    inTick_ = false;
}

bool MainWindow::takeSample()
{
    // A tick without a frame stores nothing: the last readings again under a new time would
    // be temperatures the instrument never sent.
    if (!readFrame())
        return false;
    sampleTime = RunTimeOfSample(s.clock->secondsSinceMidnight(), state.chart.runStartClock);
    if (sampleTime < 0)
        s.prompts->say(QStringLiteral("Fix. Negative time."));
    timeReadout->setText(num::Format(sampleTime, QStringLiteral("#########.0")));
    decodeFrame(frameText);
    for (int i = 0; i < channelCount(); ++i)
        temperaturePanel->setChannelCaption(i, channelTexts[i]);
    state.run.lastLine = SampleLine(timeReadout->text(), channelTexts, state.derived.channelCount);
    appendRunLine(state.run.lastLine);
    noteJournalProblem(journal_->append(state.run.lastLine));
    // Also after a save during the run: what came since is not in the file.
    state.run.dataNotSaved = 1;
    readingList->setCurrentRow(readingList->count() - 1);
    return true;
}

void MainWindow::setSampleInterval(int milliseconds)
{
    // An interval of 0 means no ticks at all.
    if (milliseconds <= 0) {
        sampleTimer->stop();
        return;
    }
    sampleTimer->setInterval(milliseconds);
    if (!sampleTimer->isActive())
        sampleTimer->start();
}

void MainWindow::hideCursorMarkers()
{
    for (QLabel* marker : cursorMarkers)
        marker->hide();
}

// ---------------------------------------------------------------- options

// New settings apply to data recorded from now on; the screen follows them at once.
void MainWindow::afterUnitOrScaleChange()
{
    applyThermocoupleMode();
    redrawTemperaturePanel();
}

void MainWindow::onDegreesC()
{
    if (notSampling != 1)
        return; // the command is off while recording; a key must not get round that
    state.settings.degreesCelsius = 1;
    afterUnitOrScaleChange();
    s.prompts->say(options::UnitChangedMessage(state.derived));
}

void MainWindow::onDegreesF()
{
    if (notSampling != 1)
        return; // the command is off while recording; a key must not get round that
    state.settings.degreesCelsius = 0;
    afterUnitOrScaleChange();
    s.prompts->say(options::UnitChangedMessage(state.derived));
}

void MainWindow::onExhaustGasScale()
{
    state.settings.scaleType = 0;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void MainWindow::onFluidScale()
{
    state.settings.scaleType = 1;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void MainWindow::onUserScale()
{
    if (!AskUserGraphRange(*s.prompts, state.settings))
        return;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void MainWindow::onChartTime()
{
    AskStripChartTime(*s.prompts, state.settings);
}

// The thickness takes effect at the next chart pass; its check mark at the next refresh.
void MainWindow::onThin()
{
    state.settings.lineThickness = 0;
}

void MainWindow::onThick()
{
    state.settings.lineThickness = 1;
}

void MainWindow::onThickest()
{
    state.settings.lineThickness = 2;
}

// ---------------------------------------------------------------- output and auxiliary

// Without a printer, or when the user prefers, the page goes into a PDF file.
void MainWindow::onPrint()
{
    PrintWindowToPrinterOrPdf(this, printer(), *s.prompts, *s.printWait, printHolder,
                              PdfDialogRequest(dataFolderPath(), state.run.fileName));
}

void MainWindow::onPrintSetup()
{
    s.prompts->printerSetup(printer()); // Cancel keeps the printer as it was
}

QPrinter& MainWindow::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void MainWindow::onComments()
{
    auto* editor = new CommentsEditor(state.run, this);
    editor->show();
    editor->activateWindow();
}

void MainWindow::onAbout()
{
    auto* about = new AboutBox(state.derived, printer(), *s.prompts, this);
    about->show();
}

void MainWindow::onHelp()
{
    QString error;
    if (!CopyHelpText(s.programFolder, state.derived.textFolder, &error)) {
        s.prompts->say(error);
        return;
    }
    ShowDocument(*s.prompts, *s.launcher, HelpCopyPath(s.programFolder, state.derived.textFolder),
                 QString());
}

void MainWindow::onWebSite()
{
    OpenWebSite(*s.prompts, *s.launcher, kMakerWebAddress, kMakerWebAddress,
                [this](const QString& name) { return RunFileSeek(this, *s.prompts, name); });
}
