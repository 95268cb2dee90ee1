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
    if (readingList->currentRow() != best)
        readingList->setCurrentRow(
            int(best)); // runs onReadingListRowChanged first, as a user's click would
    const RunSample& sample = run_.sample(best);
    showSample(sample);
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
    const int r = readingList->currentRow();
    if (r < 0 || r >= run_.size())
        return;
    const float t = run_.sample(r).time;
    const int k = SectionOfTime(t, state.chart.sectionStartTimes);
    cursorX_ = t - state.chart.sectionStartTimes[k];
    moveGraphCursor(cursorX_, k);
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

void MainWindow::onLoggerSilent()
{
    if (!run_.isRecording())
        return;
    // A Start that never got a reading has no run to keep going: the logger was never there.
    if (run_.isEmpty()) {
        stopRecording();
        s.prompts->say(QStringLiteral("Not receiving data."));
        return;
    }
    loseLogger();
}

void MainWindow::loseLogger()
{
    if (reconnectTimer_->isActive())
        return;
    if (!loggerLost_) {
        loggerLost_ = true;
        loggerLostSince_.start();
    }
    // Closed and opened again, so a link that now names a new device is followed, and a dead
    // descriptor does not wake the program.
    reader_.stop();
    s.port->close();
    reconnectTimer_->start();
    showStatus();
}

void MainWindow::tryLoggerAgain()
{
    showStatus();
    // Only the device the run began with: with its link gone, COM n would name the machine's
    // own serial device, and a logger must never be taken from another port.
    if (loggerDevicePath() != loggerDevice_)
        return;
    openLoggerPort();
    if (!s.port->isOpen())
        return;
    // Listening again: a reading ends the wait; silence for the budget loses the logger anew.
    reconnectTimer_->stop();
    reader_.start(run_.header().degreesCelsius == 1, channelCount(), silenceBudget_);
}

void MainWindow::showStatus()
{
    QString text =
        run_.isRecording() ? state.run.recordingStatusText : state.run.idleStatusText;
    if (run_.isRecording() && loggerLost_)
        text = QStringLiteral("Logger on %1 disconnected, waiting for it \u2014 %2 s")
                   .arg(loggerName())
                   .arg(loggerLostSince_.elapsed() / 1000);
    // The list keeps the unit its readings were taken in, whatever the unit setting says now.
    if (!run_.isEmpty())
        text += QStringLiteral("   Readings in Deg ") +
                (run_.header().degreesCelsius == 1 ? QLatin1Char('C') : QLatin1Char('F')) +
                QLatin1Char('.');
    const qint64 rejected = reader_.rejectedLines();
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
    reconnectTimer_->stop();
    loggerLost_ = false;
    loggerDevice_ = loggerDevicePath();
    // The run's clock starts now: every reading is stamped from here, when its line arrives.
    run_.startRecording(header, s.clock->secondsSinceMidnight());
    openLoggerPort();
    reader_.start(header.degreesCelsius == 1, channelCount(), silenceBudget_);
    setSampleInterval(kTickMilliseconds);
    hideCursorMarkers();
}

void MainWindow::stopRecording()
{
    reconnectTimer_->stop();
    loggerLost_ = false;
    reader_.stop();
    run_.stopRecording();
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
    const std::optional<LoggerReading> reading = reader_.takeNewest();
    // A tick without a reading stores nothing: the last readings again under a new time would
    // be temperatures the instrument never sent.
    if (!reading)
        return;
    const RunSample& sample = run_.addReading(reading->clock, reading->values);
    if (sample.time < 0)
        s.prompts->say(QStringLiteral("Fix. Negative time."));
}

void MainWindow::onSampleAdded(qsizetype row)
{
    PlotSample(state.chart, state.settings, state.derived, *chart_, run_.sample(row));
    showSectionTimes();
    readingList->rowsAppended(int(row));
    // The newest row becomes the current one, as a click on it would: the cursor, the panel
    // and the time read-out follow it.
    readingList->setCurrentRow(int(row));
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
