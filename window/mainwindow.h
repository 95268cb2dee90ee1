#pragma once
// The main window: the one window that stays open. Every command reaches the program through
// its menu, its buttons or F1/F2; each has one handler (onRecordButton, onOpen, onExit ...) and
// the work itself is done by the subsystem libraries.

#include "programstate.h"
#include "recordingsession.h"
#include "runlistrows.h"
#include "runmodel.h"
#include "seams.h"
#include "silencebudget.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AlarmLine;
class AlarmMonitor;
class QAction;
class QComboBox;
class QDialog;
class QPrinter;
class QFrame;
class QLabel;
class ReadingListView;
class QMenu;
class QPushButton;
class QTimer;
class QWidget;
class QProgressDialog;
class GaugePanel;
class RunPublisher;
class RunChartWindow;
class SectionBox;
class SerialLink;

// What the window needs from outside; tests hand in scripted ones.
struct WindowServices {
    QString programFolder;
    Prompts* prompts = nullptr;
    Clock* clock = nullptr;
    SerialLink* port = nullptr;
    // Ends the program without running the close handlers again.
    std::function<void()> endProgram;
    // Whether COM port n can be opened at all; defaults to a real probe of the device.
    std::function<bool(int)> comPortExists;
    // Starts the text editor and the web browser.
    Launcher* launcher = nullptr;
    // The pause between capturing the window and printing it; about 2 s when not given.
    std::optional<std::chrono::milliseconds> printWait;
    // A monotonic clock in milliseconds for the measurement of the silence budget; a real one
    // when empty.
    std::function<qint64()> elapsedMs;
};

// The contact points every window is given; the others keep their defaults.
inline WindowServices MakeWindowServices(const QString& programFolder, Prompts& prompts,
                                         Clock& clock, SerialLink& port,
                                         Launcher* launcher = nullptr,
                                         std::function<void()> endProgram = [] {})
{
    WindowServices s;
    s.programFolder = programFolder;
    s.prompts = &prompts;
    s.clock = &clock;
    s.port = &port;
    s.launcher = launcher;
    s.endProgram = std::move(endProgram);
    return s;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(ProgramState& programState, WindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: settings, mode, panel, title, empty chart.
    void load();
    // Work that must not keep the window from showing, done once it is on screen: a run left by
    // a crash is offered back, `dataFile` (when given) is opened, and the logger's silence
    // budget is measured.
    void afterShown(const QString& dataFile = {});
    // The logger's port named on the command line (a COM number, or a device path when not
    // empty). It holds until the user chooses a port through the menu and is never saved.
    void useSessionPort(qint16 comPort, const QString& device);
    // Publishes the run as publishing.ini asks, with the broker and the database the command
    // line named (when not empty) in place of the saved ones until the user saves others.
    void startPublishing(const QString& sessionMqttUrl = {}, const QString& sessionInfluxUrl = {});
    const RunPublisher* publisher() const { return publisher_.get(); }
    // After the event loop has ended: see RunPublisher::deliverBeforeExit.
    void deliverPublished();
    void onActivated();
    // F1, F2 and F3, as Windows key codes (112, 113, 114), press Start, Stop and Off.
    void onFunctionKey(int key);
    // Returns true when the window may close.
    bool queryClose();
    void unload();
    void keepPrintHolderOutside();

    // Screen mode and captions.
    void applyThermocoupleMode();
    void updateCaptionsAndChecks();
    void redrawTemperaturePanel();

    // The run on screen: recorded, opened or taken back from its journal.
    const RunModel& run() const { return run_; }
    // The run chart's window; none until it was first opened.
    RunChartWindow* runChart() const { return runChart_; }
    // How long the logger may stay silent before "Not receiving data.".
    std::chrono::milliseconds silenceBudget() const { return silenceBudget_; }

    // Graph cursor: the reading nearest to x seconds into section box `section`.
    void moveGraphCursor(float x, int section);

public slots:
    // Virtual so that tests can see which command another command runs.
    // Off stops as Stop does.
    virtual void onRecordButton(int button);
    void onFindPorts();
    void onExportButton();
    // Every 100 ms while recording: takes the newest reading the logger sent, without waiting.
    void onSampleTick();

    void onNew();
    void onOpen();
    void onSave();
    virtual void onSaveAs();
    void onExportText();
    void onExportCsv();
    void onPrint();
    void onPrintSetup();
    void onExit();
    void onChartTime();
    void onThin();
    void onThick();
    void onThickest();
    void onExhaustGasScale();
    void onFluidScale();
    void onUserScale();
    void onDegreesF();
    void onDegreesC();
    void onLoggerPort();
    void onSecondLoggerPort();
    void onComments();
    void onHelp();
    void onAbout();
    void onWebSite();
    void onPublishing();
    void onAlarmOptions();
    // Quiets every active alarm (the Acknowledge button and F5).
    void onAcknowledgeAlarms();
    // The run chart of the whole run, in a window of its own (F4).
    void onRunChart();

public:
    // Menu commands by their object names ("mnuOpen", "mnuDegC" ...), as scripts and
    // accessibility tools know them.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    const AlarmMonitor& alarms() const { return *alarms_; }
    // The record buttons, in their order on screen.
    enum RecordButton { StartButton, StopButton, OffButton };

    // The printer of Print, Print Setup and the About box's Print (the default printer until
    // Print Setup changes it).
    QPrinter& printer();

    // The channel reading shown under bar i.
    QString channelReadingCaption(int i) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The settings and the chart's state, kept by whoever made the window.
    ProgramState& state;
    // The controls. Their object names ("List1", "Command1_0", "Picture3_2" ...) stay as
    // scripts and accessibility tools know them, and tests find them by those names.
    std::array<QPushButton*, 3> recordButtons{}; // indexed by RecordButton
    QPushButton* findPortsButton = nullptr;
    QPushButton* exportButton = nullptr;
    GaugePanel* temperaturePanel = nullptr;
    QFrame* chartFrame = nullptr;
    std::array<SectionBox*, 3> chartSections{};
    std::array<QLabel*, 6> sectionScaleLabels{};
    std::array<QLabel*, 3> chartLegends{};
    // Under section box k: the run time at its left edge (2k) and at its right edge (2k+1).
    std::array<QLabel*, 6> sectionTimeLabels{};
    ReadingListView* readingList = nullptr;
    QLabel* readingListHeading = nullptr;
    QLabel* readingListColumns = nullptr; // a heading over each column of the rows
    QLabel* timeReadout = nullptr;        // run time of the newest or the selected reading
    QLabel* statusLine = nullptr;
    QLabel* fuelLabel = nullptr;
    QComboBox* portList = nullptr;
    QTimer* sampleTimer = nullptr;
    QLabel* printHolder = nullptr;
    // The spread and the rates at the reading the panel shows; the active alarms in words.
    QLabel* derivedReadout = nullptr;
    AlarmLine* alarmLine = nullptr;
    QPushButton* acknowledgeButton = nullptr;

    void buildMenus();
    void buildControls();
    void layoutControls();
    void layoutChart();
    void showSectionTimes();
    void alignReadingListColumns();
    void placeOffRangeMarker(int channel);
    QString placementFilePath() const;
    void restoreWindowPlacement();
    void saveWindowPlacement();
    void setWindowCaptionForFile();
    void afterUnitOrScaleChange();
    void endProgram();
    QString dataFolderPath() const;
    // The run's channels, as far as the chart and the panel show them.
    int channelCount() const;
    void setSampleInterval(int milliseconds);
    void hideCursorMarkers();
    // The status line: idle or running, how many damaged lines this run ignored, and whether
    // the journal is being written.
    void showStatus();
    // What publishing adds to the status line: readings not delivered, a setting not usable.
    QString publishingStatus() const;
    // Asks `question` about an unsaved run; true when the command that asks may go on: the
    // answer was No, or Yes and the run was saved.
    bool maybeSaveRun(const MessageRequest& question);
    static MessageRequest openQuestion();
    static MessageRequest saveDataQuestion();
    // While recording, the unit commands are off: a run keeps the unit it was started in.
    void enableUnitCommands();
    void openDataFile(const QString& path);
    // Writes the run to `path`; false, after saying why, when it could not.
    bool saveRunTo(const QString& path);
    void switchToFileUnit(qint16 unit);
    // A run left unsaved by a crash is offered back at start-up.
    void offerJournaledRun();
    void openLoggerPort();
    void stopRecording();

    void onReadingListRowChanged();
    void onChartSectionPressed(int section, float x);
    void onChartSectionClicked(int section);

    // What the run model announces, drawn.
    void onSampleAdded(qsizetype row);
    void onRunReplaced();
    void onRunStateChanged();
    void onEventAdded(qsizetype index);
    // Where the logger is: the session's port, or the COM port the settings name.
    LoggerPort loggerPort();
    // "COM1", or the device the command line named.
    QString loggerName() const;
    // The device the logger's port names now: a ports/COMn link, a fixed device, or the one the
    // command line named.
    QString loggerDevicePath() const;
    // The panel and the read-outs show `sample`.
    void showSample(const RunSample& sample);
    // Draws the run again onto the chart and the list, in slices continued from a zero-time
    // timer so that the window stays alive during a long one.
    void startChartReplay();
    void replayNextSlice();
    // Marks the events that stand before sample `sample` (all of them for the run's size).
    void replayEventsBefore(qsizetype sample);
    void finishChartReplay();

    // The alarms (mainwindow_alarms.cpp).
    void buildAlarmControls(QWidget* client);
    void loadAlarmSettings();
    void showAlarms();
    // The status line, and while an alarm is active the alarm line, in the status row; the
    // Acknowledge button at its end.
    void placeStatusRow();
    // The derived values at row `row` of the run (none for -1) on the read-out.
    void showDerived(qsizetype row);
    // The rate window of the CSV export's derived columns; 0 for none.
    double csvRateWindow() const;

    class WindowChart;

    WindowServices s;
    RunModel run_;
    RecordingSession session_;
    RunListRows listRows_;
    SilenceBudgetMeasurement budgetMeasurement_;
    std::chrono::milliseconds silenceBudget_ = kDefaultSilenceBudget;
    std::unique_ptr<WindowChart> chart_;
    std::array<QLabel*, kRecorderChannels> offRangeMarkers_{};
    // The times sectionTimeLabels show (kNoSectionTime: none), compared before any text is made
    // because every plotted sample asks.
    std::array<double, 6> sectionTimes_{};
    QSize defaultClientSize_; // the client area's size when the window first opens
    QList<int> columnStarts_; // where the fields of the row readingListColumns follows start
    int exposeWaits_ = 0;
    std::unique_ptr<QPrinter> printer_;
    bool ending_ = false;
    float cursorX_ = 0; // seconds into the section box last pressed
    qint16 sessionComPort_ = 0;
    QString sessionPortDevice_;
    // The replay of an opened run: the next row to draw, and the progress shown for a long one.
    QTimer* replayTimer_ = nullptr;
    qsizetype replayNext_ = 0;
    qsizetype replayNextEvent_ = 0;
    std::optional<bool> unitCommandsIdle_; // what enableUnitCommands last set
    qsizetype replayFirstDrawn_ = 0;
    qint16 replaySectionSeconds_ = 0; // the section time the replay was planned with
    QElapsedTimer replayClock_;
    std::unique_ptr<QProgressDialog> replayProgress_;
    // After run_: it stops publishing before the run it follows goes.
    std::unique_ptr<RunPublisher> publisher_;
    QString sessionMqttUrl_;
    QString sessionInfluxUrl_;
    QString publishingProblem_; // a publishing setting that cannot be used, for the status line
    AlarmMonitor* alarms_ = nullptr;
    QTimer* alarmSound_ = nullptr;
    QRect statusRow_;
    QPointer<QDialog> alarmsDialog_;
    QStringList alarmProblems_; // what was wrong with alarms.ini, until the alarms are saved
    RunChartWindow* runChart_ = nullptr; // made at its first opening, then kept
};
