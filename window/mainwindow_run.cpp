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
#include "gaugeface.h"
#include "gaugepanel.h"
#include "graphcursor.h"
#include "numconv.h"
#include "optioncommands.h"
#include "portcommands.h"
#include "portpath.h"
#include "printwin.h"
#include "readinglistview.h"
#include "runchartwindow.h"
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

void MainWindow::moveGraphCursor(float x, int sectionBox)
{
    hideCursorMarkers();
    const int section = std::clamp(sectionBox, 0, 2);
    const float target = state.chart.sectionStartTimes[section] + x;
    const qsizetype best = run_.nearestRow(target, kNoRowDistance);
    if (best < 0)
        return; // an empty list has no row to show
    const int row = int(listRows_.rowOfSample(best));
    if (readingList->currentRow() != row)
        readingList->setCurrentRow(row); // runs onReadingListRowChanged first, as a click would
    const RunSample& sample = run_.sample(best);
    showSample(sample);
    showDerived(best);
    timeReadout->setText(CursorTimeText(sample.time));
    if (!HasReading(sample.values[0]))
        return; // no height to put the marker at
    const QPointF at =
        CursorMarkerPosition(sample.time, state.chart.sectionStartTimes[section],
                             sample.values[0], state.derived.graphMin, state.derived.graphFactor);
    chartSections[section]->showCursor(
        MarkerPixel(chartSections[section]->toPixel(at.x(), at.y())));
}

void MainWindow::onReadingListRowChanged()
{
    const qsizetype r = listRows_.sampleAt(readingList->currentRow());
    if (r < 0)
        return; // an event's row: the cursor stays at its reading
    const float t = run_.sample(r).time;
    const int k = SectionOfTime(t, state.chart.sectionStartTimes);
    cursorX_ = t - state.chart.sectionStartTimes[k];
    moveGraphCursor(cursorX_, k);
    if (runChart_)
        runChart_->showFirstCursorAt(r);
}

void MainWindow::onChartSectionPressed(int, float x)
{
    cursorX_ = x;
}

void MainWindow::onChartSectionClicked(int section)
{
    moveGraphCursor(cursorX_, section);
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
        if (type == QEvent::MouseButtonPress)
            onChartSectionPressed(k, float(chartSections[k]->toUser(mouse->position()).x()));
        else if (chartSections[k]->rect().contains(mouse->position().toPoint()))
            onChartSectionClicked(k);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- acquisition

void MainWindow::openLoggerPort()
{
    if (!sessionPortDevice_.isEmpty())
        ::OpenLoggerPortOnDevice(*s.port, sessionPortDevice_);
    else
        ::OpenLoggerPort(*s.port,
                         sessionComPort_ != 0 ? sessionComPort_ : state.settings.comPorts[0]);
}

QString MainWindow::loggerDevicePath() const
{
    if (!sessionPortDevice_.isEmpty())
        return sessionPortDevice_;
    const int port = sessionComPort_ != 0 ? sessionComPort_ : state.settings.comPorts[0];
    return ComPortDevicePath(s.programFolder,
                             port >= kFirstComPort && port <= kLastComPort ? port : 1);
}

QString MainWindow::loggerName() const
{
    if (!sessionPortDevice_.isEmpty())
        return sessionPortDevice_;
    return QStringLiteral("COM%1").arg(sessionComPort_ != 0 ? sessionComPort_
                                                             : state.settings.comPorts[0]);
}

void MainWindow::useSessionPort(qint16 comPort, const QString& device)
{
    sessionComPort_ = comPort;
    sessionPortDevice_ = device;
}

LoggerPort MainWindow::loggerPort()
{
    LoggerPort port;
    port.open = [this] { openLoggerPort(); };
    port.devicePath = [this] { return loggerDevicePath(); };
    port.name = loggerName();
    return port;
}

void MainWindow::showStatus()
{
    QString text =
        run_.isRecording() ? state.run.recordingStatusText : state.run.idleStatusText;
    if (run_.isRecording() && session_.isLoggerLost())
        text = session_.lostText();
    // The list keeps the unit its readings were taken in, whatever the unit setting says now.
    if (!run_.isEmpty())
        text += QStringLiteral("   Readings in Deg ") +
                (run_.header().degreesCelsius == 1 ? QLatin1Char('C') : QLatin1Char('F')) +
                QLatin1Char('.');
    const qint64 rejected = session_.rejectedLines();
    if (rejected > 0)
        text += QStringLiteral("   (%1 damaged line%2 from the instrument ignored)")
                    .arg(rejected)
                    .arg(rejected == 1 ? QString() : QStringLiteral("s"));
    if (!run_.journalProblem().isEmpty())
        text += QStringLiteral("   ") + run_.journalProblem();
    text += publishingStatus();
    if (text != statusLine->text())
        statusLine->setText(text);
    enableUnitCommands();
}

void MainWindow::enableUnitCommands()
{
    const bool idle = !run_.isRecording();
    // Asked at every tick; the menus change only with the recording.
    if (unitCommandsIdle_ == idle)
        return;
    const QString why =
        idle ? QString()
             : QStringLiteral("Not while recording: a run keeps the unit it was started in. "
                              "Stop the recording to change it.");
    for (const char* name : {"mnuDegF", "mnuDegC"}) {
        QAction* unit = action(QLatin1String(name));
        if (!unit)
            return; // none while the menus are built
        unit->setEnabled(idle);
        unit->setStatusTip(why);
    }
    unitCommandsIdle_ = idle;
}

int MainWindow::channelCount() const
{
    return std::clamp<int>(state.derived.channelCount, 0, kRecorderChannels);
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
        stopRecording();
        return;
    }
    if (replayTimer_->isActive())
        return; // the run on screen is still being drawn
    const bool unsaved = run_.isUnsaved();
    if (!maybeSaveRun(saveDataQuestion()))
        return;
    if (unsaved && !run_.isUnsaved()) {
        // The user presses Start again once the run is safe.
        stopRecording();
        return;
    }
    RunHeader header;
    header.degreesCelsius = state.settings.degreesCelsius;
    header.channelCount = state.derived.channelCount;
    header.fuelType = run_.header().fuelType;
    header.comments = run_.header().comments;
    session_.start(header, loggerPort(), silenceBudget_);
    setSampleInterval(kTickMilliseconds);
    hideCursorMarkers();
}

void MainWindow::stopRecording()
{
    session_.stop();
    // Nothing is taken between runs: the window is not woken ten times a second for nothing.
    setSampleInterval(0);
    hideCursorMarkers();
    showStatus();
}

void MainWindow::onSampleTick()
{
    showStatus();
    if (!run_.isRecording())
        return;
    // The first tick after Start lays the chart out; later ticks store what came meanwhile.
    if (!state.chart.laidOut) {
        LayOutChart(state.chart, state.settings, state.derived, *chart_);
        showSectionTimes();
        return;
    }
    const RunSample* sample = session_.takeReading();
    if (sample && sample->time < 0)
        s.prompts->say(QStringLiteral("Fix. Negative time."));
}

void MainWindow::onSampleAdded(qsizetype row)
{
    PlotSample(state.chart, state.settings, state.derived, *chart_, run_.sample(row));
    showSectionTimes();
    const int listRow = int(listRows_.rowOfSample(row));
    readingList->rowsAppended(listRow);
    // The newest row becomes the current one, as a click on it would: the cursor, the panel
    // and the time read-out follow it. A cursor the user put on the run chart holds them.
    if (!runChart_ || !runChart_->cursorPlaced())
        readingList->setCurrentRow(listRow);
}

void MainWindow::onEventAdded(qsizetype index)
{
    PlotEvent(state.chart, state.settings, *chart_,
              run_.events()[size_t(index)].time);
    // The current row stays on its reading; the event's row is only added.
    readingList->rowsAppended(int(listRows_.rowOfEvent(index)));
}

void MainWindow::showSample(const RunSample& sample)
{
    temperaturePanel->showReading(state.derived, sample.values);
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
    for (SectionBox* box : chartSections)
        box->showCursor(std::nullopt);
}

// ---------------------------------------------------------------- options

// New settings apply to data recorded from now on; the screen follows them at once.
void MainWindow::afterUnitOrScaleChange()
{
    applyThermocoupleMode();
    redrawTemperaturePanel();
    if (runChart_)
        runChart_->refreshSettings();
}

void MainWindow::onDegreesC()
{
    if (run_.isRecording())
        return; // the command is off while recording; a key must not get round that
    state.settings.degreesCelsius = 1;
    afterUnitOrScaleChange();
    s.prompts->say(options::UnitChangedMessage(state.derived));
}

void MainWindow::onDegreesF()
{
    if (run_.isRecording())
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
    auto* editor = new CommentsEditor(
        run_.header().comments, [this](const QString& text) { run_.setComments(text); }, this);
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
