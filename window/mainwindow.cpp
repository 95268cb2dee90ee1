#include "mainwindowparts.h"

#include "aboutbox.h"
#include "alarmline.h"
#include "commentseditor.h"
#include "elidedlabel.h"
#include "readoutlabel.h"
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
#include "runpublisher.h"
#include "safewrite.h"
#include "sectionbox.h"
#include "seriallink.h"
#include "stripchart.h"
#include "textwindow.h"
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

// The window's client area, laid out again whenever its size changes.
class ClientArea final : public QWidget
{
public:
    using QWidget::QWidget;
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (onResize)
            onResize();
    }
};

// Calls `onPaint` before `watched` paints: the reading list's rows change in many places, and
// every change is painted.
class PaintWatcher final : public QObject
{
public:
    PaintWatcher(QWidget* watched, std::function<void()> onPaint)
        : QObject(watched), onPaint_(std::move(onPaint))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            onPaint_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onPaint_;
};

constexpr double kNoSectionTime = -1.0e30;

// Text positions of the blank-separated fields of a reading row.
QList<int> fieldStarts(const QString& row)
{
    QList<int> starts;
    for (int i = 0; i < row.size(); ++i) {
        if (row[i] != QLatin1Char(' ') && (i == 0 || row[i - 1] == QLatin1Char(' ')))
            starts << i;
    }
    return starts;
}

} // namespace

MainWindow::MainWindow(ProgramState& programState, WindowServices services, QWidget* parent)
    : QMainWindow(parent), state(programState), s(std::move(services)),
      run_(s.programFolder + DeriveSettings(state.settings).dataFolder), session_(run_, *s.port, *s.clock), listRows_(run_),
      budgetMeasurement_(*s.clock, s.elapsedMs)
{
    setObjectName(QStringLiteral("VoviRezoZA"));
    if (!s.comPortExists) {
        const QString folder = s.programFolder;
        s.comPortExists = [folder](int n) { return CanOpenComPort(folder, n); };
    }
    if (!s.printWait)
        s.printWait = kPrintWait;
    buildMenus();
    buildControls();
    chart_ = std::make_unique<WindowChart>(*this);
    layoutChart();
    replayTimer_ = new QTimer(this);
    replayTimer_->setSingleShot(true);
    connect(replayTimer_, &QTimer::timeout, this, &MainWindow::replayNextSlice);

    // The run is stored and journaled before the window hears of it.
    connect(&run_, &RunModel::sampleAdded, this, &MainWindow::onSampleAdded);
    connect(&run_, &RunModel::runReplaced, this, &MainWindow::onRunReplaced);
    connect(&run_, &RunModel::stateChanged, this, &MainWindow::onRunStateChanged);
    connect(&run_, &RunModel::eventAdded, this, &MainWindow::onEventAdded);
    connect(&session_, &RecordingSession::statusChanged, this, &MainWindow::showStatus);
    connect(&session_, &RecordingSession::neverStarted, this, [this] {
        stopRecording();
        s.prompts->say(QStringLiteral("Not receiving data."));
    });
    connect(&budgetMeasurement_, &SilenceBudgetMeasurement::measured, this,
            [this](std::chrono::milliseconds budget) { silenceBudget_ = budget; });

    // F1 and F2 work wherever the focus is inside the window, as keys of the window itself.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { onFunctionKey(kF1); });
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, [this] { onFunctionKey(kF2); });
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, [this] { onFunctionKey(kF3); });

    // Any other way out of the event loop still keeps the settings.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!ending_)
            unload();
    });

    // Export and Help end here when the desktop has no application for text files.
    if (s.launcher)
        s.launcher->showInProgram = [this](const QString& path) {
            QString error;
            if (!ShowTextWindow(path, this, &error))
                s.prompts->say(error);
        };
}

MainWindow::~MainWindow()
{
    // An opener that ends after this window must not show its file over a window gone.
    if (s.launcher)
        s.launcher->showInProgram = nullptr;
}

void MainWindow::buildMenus()
{
    auto addMenu = [this](QMenu* parentMenu, const QString& caption, const QString& name) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    // Check marks follow the settings only when the captions are refreshed, so a click must not
    // move them by itself.
    auto addItem = [this](QMenu* menu, const QString& caption, const QString& name,
                          void (MainWindow::*handler)(), bool checkable = false) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, [this, a, handler, checkable](bool checked) {
            if (checkable)
                a->setChecked(!checked);
            (this->*handler)();
        });
        return a;
    };

    QMenu* file = addMenu(nullptr, QStringLiteral("File"), QStringLiteral("mnuFile"));
    addItem(file, QStringLiteral("New"), QStringLiteral("mnuNew"), &MainWindow::onNew);
    addItem(file, QStringLiteral("Open"), QStringLiteral("mnuOpen"), &MainWindow::onOpen);
    addItem(file, QStringLiteral("Save"), QStringLiteral("mnuSave"), &MainWindow::onSave);
    addItem(file, QStringLiteral("Save As"), QStringLiteral("mnuSaveAs"), &MainWindow::onSaveAs);
    file->addSeparator();
    addItem(file, QStringLiteral("Export Data to Notepad"), QStringLiteral("mnuExport"),
            &MainWindow::onExportText);
    addItem(file, QStringLiteral("Export Data to CSV File"), QStringLiteral("mnuExportCsv"),
            &MainWindow::onExportCsv);
    file->addSeparator();
    addItem(file, QStringLiteral("Print"), QStringLiteral("mnuPrint"), &MainWindow::onPrint);
    addItem(file, QStringLiteral("Windows Printer Setup"), QStringLiteral("mnuPrintSetup"),
            &MainWindow::onPrintSetup);
    file->addSeparator();
    addItem(file, QStringLiteral("Exit"), QStringLiteral("mnuExit"), &MainWindow::onExit);

    QMenu* options = addMenu(nullptr, QStringLiteral("Options"), QStringLiteral("mnuOptions"));
    addItem(options, QStringLiteral("Strip Chart Recording Time"),
            QStringLiteral("mnuStripChartTime"), &MainWindow::onChartTime);
    QMenu* thickness =
        addMenu(options, QStringLiteral("Graph Line Thickness"), QStringLiteral("mnuThickness"));
    addItem(thickness, QStringLiteral("Thin"), QStringLiteral("mnuThin"), &MainWindow::onThin,
            true);
    addItem(thickness, QStringLiteral("Thick"), QStringLiteral("mnuThick"), &MainWindow::onThick,
            true);
    addItem(thickness, QStringLiteral("Thickest"), QStringLiteral("mnuThickest"),
            &MainWindow::onThickest, true);
    options->addSeparator();
    QMenu* scales =
        addMenu(options, QStringLiteral("Thermocouple Graph Scales"), QStringLiteral("mnuScales"));
    addItem(scales, QStringLiteral("Typical Exhaust Gas Temps (900-1700)"),
            QStringLiteral("mnuScalesEGT"), &MainWindow::onExhaustGasScale, true);
    addItem(scales, QStringLiteral("Typical Fluid/Air Temps (50-300)"),
            QStringLiteral("mnuScalesFluid"), &MainWindow::onFluidScale, true);
    addItem(scales, QStringLiteral("User Specified"), QStringLiteral("mnuScalesUser"),
            &MainWindow::onUserScale, true);
    QMenu* units =
        addMenu(options, QStringLiteral("Temperature Units"), QStringLiteral("mnuTempUnits"));
    addItem(units, QStringLiteral("Degrees F"), QStringLiteral("mnuDegF"), &MainWindow::onDegreesF,
            true);
    addItem(units, QStringLiteral("Degrees C"), QStringLiteral("mnuDegC"), &MainWindow::onDegreesC,
            true);
    QMenu* ports = addMenu(options, QStringLiteral("Com Port(s)"), QStringLiteral("mnuComPorts"));
    addItem(options, QStringLiteral("Publishing..."), QStringLiteral("mnuPublishing"),
            &MainWindow::onPublishing);
    addItem(ports, QStringLiteral("Com Port for 1st Logger"), QStringLiteral("mnuComPort1"),
            &MainWindow::onLoggerPort);
    addItem(ports, QStringLiteral("Com Port for 2nd Logger"), QStringLiteral("mnuComPort2"),
            &MainWindow::onSecondLoggerPort);
    options->addSeparator();
    addItem(options, QStringLiteral("Alarms"), QStringLiteral("mnuAlarms"),
            &MainWindow::onAlarmOptions);

    QMenu* view = addMenu(nullptr, QStringLiteral("View"), QStringLiteral("mnuView"));
    addItem(view, QStringLiteral("Run Chart"), QStringLiteral("mnuRunChart"),
            &MainWindow::onRunChart);

    QAction* comments = menuBar()->addAction(QStringLiteral("Record Comments"));
    comments->setObjectName(QStringLiteral("mnuComments"));
    connect(comments, &QAction::triggered, this, &MainWindow::onComments);

    QMenu* help = addMenu(nullptr, QStringLiteral("Help"), QStringLiteral("mnuHelp"));
    addItem(help, QStringLiteral("Help"), QStringLiteral("mnuHelpHelp"), &MainWindow::onHelp);
    addItem(help, QStringLiteral("About Thermocouple Recorder"), QStringLiteral("mnuAbout"),
            &MainWindow::onAbout);
    addItem(help, QStringLiteral("Veltrona on the Web"), QStringLiteral("mnuWeb"),
            &MainWindow::onWebSite);

    // The keyboard reaches every menu the way desktop programs do, without an underlined
    // letter in the captions (their texts stay exactly as they are).
    const struct {
        Qt::Key key;
        const char* name;
    } menuKeys[] = {{Qt::Key_F, "mnuFile"}, {Qt::Key_O, "mnuOptions"}, {Qt::Key_V, "mnuView"},
                       {Qt::Key_H, "mnuHelp"}};
    for (const auto& entry : menuKeys) {
        QMenu* target = menu(QString::fromLatin1(entry.name));
        auto* key = new QShortcut(QKeySequence(Qt::ALT | entry.key), this);
        connect(key, &QShortcut::activated, this,
                [this, target] { menuBar()->setActiveAction(target->menuAction()); });
    }
    auto* commentsKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_R), this);
    connect(commentsKey, &QShortcut::activated, comments, &QAction::trigger);
    action(QStringLiteral("mnuOpen"))->setShortcut(QKeySequence::Open);
    action(QStringLiteral("mnuSave"))->setShortcut(QKeySequence::Save);
    action(QStringLiteral("mnuSaveAs"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    action(QStringLiteral("mnuPrint"))->setShortcut(QKeySequence::Print);
    action(QStringLiteral("mnuExit"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    action(QStringLiteral("mnuRunChart"))->setShortcut(QKeySequence(Qt::Key_F4));
    for (QAction* a : {action(QStringLiteral("mnuOpen")), action(QStringLiteral("mnuSave")),
                       action(QStringLiteral("mnuSaveAs")), action(QStringLiteral("mnuPrint")),
                       action(QStringLiteral("mnuExit")), action(QStringLiteral("mnuRunChart"))})
        addAction(a); // the shortcut works while the menu is closed
}

void MainWindow::buildControls()
{
    auto* central = new ClientArea(this);
    central->setObjectName(QStringLiteral("client"));
    setCentralWidget(central);

    auto label = [](QWidget* parent, const QString& name, const QString& caption = {}) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(name);
        return l;
    };

    temperaturePanel = new GaugePanel(central);

    // Off has a key of its own like Start and Stop, shown the same way. The buttons take the
    // focus, so the keyboard reaches them with Tab and shows where it is.
    const QStringList captions{QStringLiteral("Start <F1>"), QStringLiteral("Stop <F2>"),
                               QStringLiteral("Off <F3>")};
    for (int i = 0; i < 3; ++i) {
        recordButtons[i] = new QPushButton(captions[i], central);
        recordButtons[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(recordButtons[i], &QPushButton::clicked, this, [this, i] { onRecordButton(i); });
    }

    timeReadout = new ReadoutLabel(central); // a new time with every reading
    timeReadout->setObjectName(QStringLiteral("Label1_0"));
    timeReadout->setAlignment(Qt::AlignCenter);
    timeReadout->setFrameShape(QFrame::Panel);
    timeReadout->setFrameShadow(QFrame::Sunken);

    findPortsButton = new QPushButton(QStringLiteral("FindCom"), central);
    findPortsButton->setObjectName(QStringLiteral("Command2"));
    connect(findPortsButton, &QPushButton::clicked, this, &MainWindow::onFindPorts);
    portList = new QComboBox(central);
    portList->setObjectName(QStringLiteral("Combo1"));
    portList->setAccessibleName(QStringLiteral("Ports found"));
    // Port numbers have one or two digits; the box needs no more room than that.
    portList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    portList->setMinimumContentsLength(2);

    exportButton = new QPushButton(QStringLiteral("Export Data To Notepad"), central);
    exportButton->setObjectName(QStringLiteral("Command3"));
    connect(exportButton, &QPushButton::clicked, this, &MainWindow::onExportButton);
    exportButton->hide(); // thermocouple mode never shows it; the layout leaves it no room

    fuelLabel = label(central, QStringLiteral("Label1_4"));
    // Beside an alarm the status line may not have room for all its words.
    statusLine = new ElidedLabel(central);
    statusLine->setObjectName(QStringLiteral("Label1_3"));

    readingListHeading = label(central, QStringLiteral("Label3"));
    readingList = new ReadingListView(listRows_, central);
    readingList->setObjectName(QStringLiteral("List1"));
    readingList->setFont(QFont(QStringLiteral("Monospace")));
    readingListColumns = label(central, QStringLiteral("readingListColumns"));
    readingListColumns->setFont(readingList->font());
    new PaintWatcher(readingList->viewport(), [this] { alignReadingListColumns(); });
    // A change of the current row, by the user or by code, is the list's click.
    connect(readingList, &ReadingListView::currentRowChanged, this,
            [this] { onReadingListRowChanged(); });

    chartFrame = new QFrame(central);
    chartFrame->setObjectName(QStringLiteral("Picture6"));
    chartFrame->setAccessibleName(QStringLiteral("Strip chart"));
    chartLegends[0] = label(chartFrame, QStringLiteral("Label15_0"));
    chartLegends[0]->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    chartLegends[1] = label(chartFrame, QStringLiteral("Label15_1"));
    chartLegends[2] = label(chartFrame, QStringLiteral("Label15_2"),
                            QStringLiteral("Time Divisions are 5 seconds"));
    for (int k = 0; k < 3; ++k) {
        auto* box = new SectionBox(chartFrame);
        box->setObjectName(QStringLiteral("Picture3_%1").arg(k));
        box->setAccessibleName(QStringLiteral("Chart section %1").arg(k + 1));
        box->setAccessibleDescription(QStringLiteral("Not yet begun"));
        box->setGeometry(twipsRect(k * 3360, 240, 3375, 3135));
        chartSections[k] = box;
        box->installEventFilter(this);
        sectionScaleLabels[2 * k] = label(box, QStringLiteral("Label14_%1").arg(2 * k));
        sectionScaleLabels[2 * k + 1] = label(box, QStringLiteral("Label14_%1").arg(2 * k + 1));
        sectionTimeLabels[2 * k] = label(chartFrame, QStringLiteral("sectionStart_%1").arg(k));
        sectionTimeLabels[2 * k + 1] = label(chartFrame, QStringLiteral("sectionEnd_%1").arg(k));
        sectionTimeLabels[2 * k + 1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    sectionTimes_.fill(kNoSectionTime);
    // A trace beyond the graph range runs along the chart's edge; an arrow in its colour says
    // which way it left, so a cold or overheated channel is still seen to be alive.
    for (int i = 0; i < kRecorderChannels; ++i) {
        offRangeMarkers_[i] = label(chartFrame, QStringLiteral("offRange_%1").arg(i));
        offRangeMarkers_[i]->setAlignment(Qt::AlignCenter);
        offRangeMarkers_[i]->hide();
    }

    sampleTimer = new QTimer(this);
    sampleTimer->setObjectName(QStringLiteral("Timer1"));
    connect(sampleTimer, &QTimer::timeout, this, &MainWindow::onSampleTick);

    // Holder of the captured image while the window prints; it stays outside the visible area.
    printHolder = new QLabel(central);
    printHolder->setObjectName(QStringLiteral("Picture1"));
    printHolder->hide();

    buildAlarmControls(central);

    central->onResize = [this] { layoutControls(); };
    layoutControls();
    resize(defaultClientSize_ + QSize(0, menuBar()->sizeHint().height()));
}

// At the default size the controls stand where the original twips layout put them; a larger
// font makes a control as large as its text needs, never clipped. Larger, the extra width goes
// to the panel (the chart spans the window anyway) and the extra height to the chart and to
// the panel and list above it; the list stays as wide as its rows. Smaller, down to about
// 560 x 420 so that the window fits a 1080-line screen at twice the scale, the gaps close and
// the panel and the chart give up what they can spare.
void MainWindow::layoutControls()
{
    QWidget* client = centralWidget();
    if (client == nullptr || chartFrame == nullptr)
        return;
    const int margin = px(120);
    const int tightGap = 4;
    const int textHeight = fontMetrics().height();
    const int labelHeight = std::max(px(255), textHeight + 2);

    int buttonWidth = px(1455);
    for (QPushButton* b : recordButtons)
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    const int buttonHeight = std::max(px(420), recordButtons[StartButton]->sizeHint().height());
    const int readoutHeight = std::max(px(300), textHeight + 6);
    const int findWidth = std::max(px(800), findPortsButton->sizeHint().width() + px(120));
    const int findHeight =
        std::max({px(375), findPortsButton->sizeHint().height(), portList->sizeHint().height()});
    const int portWidth = std::max(px(700), portList->sizeHint().width());
    const int exportWidth = std::max(px(1900), exportButton->sizeHint().width());
    // Narrower than the default, the port box goes under FindCom instead of beside it.
    const auto columnWidthFor = [&](bool stacked) {
        return std::max(
            {buttonWidth, stacked ? std::max(findWidth, portWidth) : findWidth + px(60) + portWidth,
             fuelLabel->sizeHint().width(), exportButton->isHidden() ? 0 : exportWidth});
    };

    // The column of buttons, from the top margin; `roomy` 1 spaces it as the twips layout did,
    // 0 as tightly as reads well. Returns its bottom.
    const auto placeColumn = [&](int left, double roomy, bool stacked, bool place) {
        const int columnWidth = columnWidthFor(stacked);
        const auto gap = [roomy](int roomyGap) {
            return static_cast<int>(tightGap + roomy * std::max(0, roomyGap - tightGap));
        };
        const auto put = [place](QWidget* w, int x, int y, int width, int height) {
            if (place)
                w->setGeometry(x, y, width, height);
        };
        int y = margin;
        for (QPushButton* b : recordButtons) {
            put(b, left, y, buttonWidth, buttonHeight);
            y += buttonHeight + gap(std::max(px(540), buttonHeight + px(120)) - buttonHeight);
        }
        put(timeReadout, left, y, buttonWidth, readoutHeight);
        y += readoutHeight + gap(px(160));
        put(findPortsButton, left, y, findWidth, findHeight);
        if (stacked) {
            y += findHeight + gap(px(60));
            put(portList, left, y, portWidth, findHeight);
        } else {
            put(portList, left + findWidth + px(60), y, portWidth, findHeight);
        }
        y += findHeight + gap(px(125));
        if (!exportButton->isHidden()) {
            put(exportButton, left, y, exportWidth, buttonHeight);
            y += buttonHeight + gap(px(120));
        }
        put(fuelLabel, left, y, columnWidth, labelHeight);
        return y + labelHeight;
    };

    // The list shows a whole row of four-digit readings at times up to 99999.9 s, and no more.
    const int listWidth = std::max(px(3500), readingList->widthForRow(kWidestRowCharacters));
    const int headingHeight = std::max(px(240), textHeight + 2);
    const int panelWidth = px(3600);
    // Narrower than this, the channel names under the bars no longer fit their columns.
    QFont channelFont = temperaturePanel->font();
    channelFont.setPixelSize(GaugePanel::kMinChannelLabelPixels);
    const int narrowestPanel = std::max(
        px(2400), 5 * (QFontMetrics(channelFont).horizontalAdvance(QStringLiteral("Temp 4")) + 1));
    const int listLeft = std::max(px(6835), px(3840) + columnWidthFor(false) + margin);
    const int statusGap = px(120);
    const int chartGap = px(105);
    const int chartHeight = px(3375);
    const int legendHeight = std::max(px(240), textHeight + 2);
    const int timeRowHeight = legendHeight;
    const int lowestBoxes = px(2100);
    const int roomyTop = std::max(px(3720), placeColumn(0, 1.0, false, false) - margin);
    const int tightTop =
        std::max(5 * headingHeight + 4 * textHeight, placeColumn(0, 0.0, true, false) - margin);
    const int below = statusGap + labelHeight + chartGap + margin;

    defaultClientSize_ = QSize(std::max(px(kClientWidth), listLeft + listWidth + margin),
                               margin + roomyTop + below + chartHeight);
    const QSize smallest(margin + narrowestPanel + margin + columnWidthFor(true) + margin +
                             listWidth + margin,
                         margin + tightTop + below + legendHeight + lowestBoxes + timeRowHeight);
    client->setMinimumSize(smallest);

    // Width: beyond the default the panel takes it all; below it, the slack to the right of
    // the buttons goes first, then the panel narrows.
    const int width = std::max(client->width(), smallest.width());
    const int wider = width - defaultClientSize_.width();
    const bool stacked = wider < 0;
    const int columnWidth = columnWidthFor(stacked);
    const int rightOfPanel = margin + columnWidth + margin + listWidth + margin;
    const int panel = wider >= 0
                          ? panelWidth + wider
                          : std::clamp(width - margin - rightOfPanel, narrowestPanel, panelWidth);
    const int columnLeft = margin + panel + margin;
    const int list = wider >= 0 ? listLeft + wider
                                : std::clamp(width - margin - listWidth,
                                             columnLeft + columnWidth + margin, listLeft);

    // Height: beyond the default, two fifths to the panel and list, the rest to the chart;
    // below it, the column closes up as the window shrinks towards its smallest.
    const int height = std::max(client->height(), smallest.height());
    const int taller = height - defaultClientSize_.height();
    int top = 0;
    double roomy = 1.0;
    if (taller >= 0) {
        top = roomyTop + taller * 2 / 5;
    } else {
        const int range = std::max(1, defaultClientSize_.height() - smallest.height());
        roomy = std::clamp(1.0 - double(-taller) / range, 0.0, 1.0);
        top = tightTop + static_cast<int>(roomy * (roomyTop - tightTop));
    }
    top = std::max(top, placeColumn(columnLeft, roomy, stacked, true) - margin);
    temperaturePanel->setGeometry(margin, margin, panel, top);
    readingListHeading->setGeometry(list, margin, listWidth, headingHeight);
    readingListColumns->setGeometry(list, margin + headingHeight, listWidth, headingHeight);
    // Under the list, two lines of the spread and the rates at the reading shown.
    readingList->setGeometry(list, margin + 2 * headingHeight, listWidth, top - 4 * headingHeight);
    derivedReadout->setGeometry(list, margin + top - 2 * headingHeight, listWidth,
                                2 * headingHeight);
    const int statusTop = margin + top + statusGap;
    statusRow_ = QRect(margin, statusTop, width - 2 * margin, labelHeight);
    placeStatusRow();
    const int chartTop = statusTop + labelHeight + chartGap;
    chartFrame->setGeometry(margin, chartTop, width - 2 * margin, height - margin - chartTop);
    layoutChart();
    keepPrintHolderOutside();
}

void MainWindow::layoutChart()
{
    if (!chart_)
        return; // the window is still being built
    const int textHeight = fontMetrics().height();
    const int legendHeight = std::max(px(240), textHeight + 2);
    const int timeRowHeight = legendHeight;
    const int scaleLabelHeight = std::max(px(255), textHeight + 2);
    const int frame = chartFrame->width();
    chartLegends[0]->setGeometry(px(30), 0, std::max(px(2175), chartLegends[0]->sizeHint().width()),
                                 legendHeight);
    chartLegends[1]->setGeometry(px(2400), 0, px(2175), legendHeight);
    chartLegends[2]->setGeometry(std::max(px(4920), chartLegends[0]->geometry().right() + px(120)),
                                 0, std::max(px(2655), chartLegends[2]->sizeHint().width()),
                                 legendHeight);
    const int boxHeight = std::max(1, chartFrame->height() - legendHeight - timeRowHeight);
    for (int k = 0; k < 3; ++k) {
        SectionBox* box = chartSections[k];
        const QSize before = box->size();
        box->setGeometry(chart_->sectionLeft(k, frame), legendHeight, chart_->sectionWidth(frame),
                         boxHeight);
        sectionScaleLabels[2 * k]->setGeometry(
            px(30), 0, std::max(px(975), sectionScaleLabels[2 * k]->sizeHint().width()),
            scaleLabelHeight);
        sectionScaleLabels[2 * k + 1]->setGeometry(
            px(30), boxHeight - scaleLabelHeight,
            std::max(px(975), sectionScaleLabels[2 * k + 1]->sizeHint().width()), scaleLabelHeight);
        if (box->size() != before)
            box->showCursor(std::nullopt); // its place was worked out for the old size
        // The times stand under the box's two edges, each in its half.
        const QRect under(box->x() + px(30), legendHeight + boxHeight, box->width() - px(60),
                          timeRowHeight);
        sectionTimeLabels[2 * k]->setGeometry(under.adjusted(0, 0, -under.width() / 2, 0));
        sectionTimeLabels[2 * k + 1]->setGeometry(under.adjusted(under.width() / 2, 0, 0, 0));
    }
    for (int i = 0; i < kRecorderChannels; ++i)
        placeOffRangeMarker(i);
}

// Each section shows the run time at its edges from the moment it begins; a section not yet
// begun shows none, so no time is ever guessed.
void MainWindow::showSectionTimes()
{
    for (int k = 0; k < 3; ++k) {
        const double start = state.chart.sectionStartTimes[k];
        const bool begun = state.chart.laidOut && (k == 0 || start != 0);
        const double times[2] = {begun ? start : kNoSectionTime,
                                 begun ? start + chartSections[k]->scaleWidth() : kNoSectionTime};
        if (sectionTimes_[2 * k] == times[0] && sectionTimes_[2 * k + 1] == times[1])
            continue;
        for (int edge = 0; edge < 2; ++edge) {
            sectionTimes_[2 * k + edge] = times[edge];
            sectionTimeLabels[2 * k + edge]->setText(
                begun ? QString::number(times[edge], 'f', 1) + QStringLiteral(" s") : QString());
        }
        chartSections[k]->setAccessibleDescription(begun ? QStringLiteral("Run time %1 s to %2 s")
                                                               .arg(times[0], 0, 'f', 1)
                                                               .arg(times[1], 0, 'f', 1)
                                                         : QStringLiteral("Not yet begun"));
    }
    // Where the next section begins at a section's end, the boundary is labelled once.
    for (int k = 0; k < 3; ++k) {
        bool continued = false;
        for (int j = 0; j < 3; ++j)
            continued = continued || (j != k && sectionTimes_[2 * k + 1] != kNoSectionTime &&
                                      sectionTimes_[2 * j] == sectionTimes_[2 * k + 1]);
        sectionTimeLabels[2 * k + 1]->setVisible(!continued);
    }
}

// The column headings stand over the newest row's fields, each at least one blank from the
// one before: the rows are not padded, so where a column starts depends on the numbers in it.
void MainWindow::alignReadingListColumns()
{
    const qsizetype last = listRows_.lastSampleRow();
    const QList<int> starts = fieldStarts(last >= 0 ? listRows_.line(last) : QString());
    if (starts == columnStarts_ && !readingListColumns->text().isEmpty())
        return;
    columnStarts_ = starts;
    QString heading = QStringLiteral("Time");
    for (int ch = 0; ch < channelCount(); ++ch) {
        const int wanted = ch + 1 < starts.size() ? starts[ch + 1] : heading.size() + 3;
        heading += QString(std::max(1, wanted - int(heading.size())), QLatin1Char(' '));
        heading += QStringLiteral("Ch %1").arg(ch + 1);
    }
    readingListColumns->setText(heading);
    // The rows' first character stands one blank in from the list's frame.
    const int indent =
        readingList->frameWidth() + readingList->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    if (readingListColumns->indent() != indent)
        readingListColumns->setIndent(indent);
}

void MainWindow::placeOffRangeMarker(int channel)
{
    QLabel* marker = offRangeMarkers_[channel];
    const auto& offRange = chart_->offRange(channel);
    if (offRange.direction == 0 || channel >= channelCount()) {
        marker->hide();
        return;
    }
    const int size = std::max(px(180), fontMetrics().height());
    SectionBox* box = chartSections[offRange.section];
    const QPointF at = box->toPixel(offRange.x, offRange.direction > 0 ? 1.0 : 0.0);
    // Side by side, channel 1 nearest the trace's newest point; inside the box's edge.
    const int x = box->x() + std::clamp(MarkerPixel(at).x() - (channel + 1) * size / 2, 0,
                                        std::max(0, box->width() - size));
    const int y = box->y() + (offRange.direction > 0 ? 0 : box->height() - size);
    // The arrow follows the trace in steps of half its size: moved at every reading, it would
    // make the section box under it repaint in pieces ten times a second.
    if (marker->isVisible() && marker->y() == y && std::abs(marker->x() - x) < size / 2)
        return;
    const QString arrow =
        offRange.direction > 0 ? QStringLiteral("\u25B2") : QStringLiteral("\u25BC");
    if (marker->text() != arrow)
        marker->setText(arrow);
    const QString colour =
        QStringLiteral("color: #%1;")
            .arg(state.derived.channelColors[channel] & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
    if (marker->styleSheet() != colour) // a style sheet change restyles the whole label
        marker->setStyleSheet(colour);
    marker->setGeometry(x, y, size, size);
    if (!marker->isVisible()) {
        marker->show();
        marker->raise();
    }
}

QAction* MainWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* MainWindow::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

QString MainWindow::channelReadingCaption(int i) const
{
    return temperaturePanel->face().channelLabels[i].caption;
}

// ---------------------------------------------------------------- start-up and shutdown

void MainWindow::load()
{
    // A missing or unreadable settings file leaves every setting at its initial value.
    LoadSettingsFile(state.settings, s.programFolder);
    loadAlarmSettings();
    applyThermocoupleMode();
    redrawTemperaturePanel();
    restoreWindowPlacement();
    QDir().mkpath(dataFolderPath()); // the file dialogs start there and Save may write there
    onRunStateChanged();
    chartLegends[1]->hide();
    LayOutChart(state.chart, state.settings, state.derived, *chart_);
    showSectionTimes();
}

void MainWindow::afterShown(const QString& dataFile)
{
    // The desktop shows a window a little after show(): the work below may ask questions, so
    // it waits until the window is on screen and painted.
    QWindow* shown = windowHandle();
    if (shown != nullptr && !shown->isExposed() && exposeWaits_++ < kMaxExposeWaits) {
        QTimer::singleShot(kExposeWait, this, [this, dataFile] { afterShown(dataFile); });
        return;
    }
    if (isVisible())
        repaint();
    offerJournaledRun();
    if (!dataFile.isEmpty()) {
        if (const QString problem = DataFileToOpenProblem(dataFile); !problem.isEmpty())
            s.prompts->say(problem);
        else if (maybeSaveRun(openQuestion())) // a run just taken back is not dropped unasked
            openDataFile(dataFile);
    }
    // Until the measurement ends, a Start allows the logger kDefaultSilenceBudget.
    budgetMeasurement_.start();
}

void MainWindow::setWindowCaptionForFile()
{
    setWindowTitle(kModeWord);
    setWindowTitle(windowTitle() + kTitleMiddle + state.run.fileName + QStringLiteral(" ]"));
}

void MainWindow::onActivated()
{
    applyThermocoupleMode();
}

void MainWindow::onFunctionKey(int key)
{
    if (key == kF1)
        onRecordButton(StartButton);
    else if (key == kF2)
        onRecordButton(StopButton);
    else if (key == kF3)
        onRecordButton(OffButton);
}

bool MainWindow::queryClose()
{
    onExit();
    return ending_;
}

void MainWindow::unload()
{
    saveWindowPlacement();
    SaveSettingsFile(state.settings, s.programFolder);
}

QString MainWindow::placementFilePath() const
{
    return s.programFolder + QLatin1Char('/') + kWindowPlacementFile;
}

// The window's size and place live in a file of their own: the settings file's layout is
// fixed, and a damaged placement file only costs the default size.
void MainWindow::restoreWindowPlacement()
{
    const QSettings placement(placementFilePath(), QSettings::IniFormat);
    restoreGeometry(placement.value(QStringLiteral("window/geometry")).toByteArray());
}

void MainWindow::saveWindowPlacement()
{
    QSettings placement(placementFilePath(), QSettings::IniFormat);
    placement.setValue(QStringLiteral("window/geometry"), saveGeometry());
    placement.sync();
}

void MainWindow::keepPrintHolderOutside()
{
    printHolder->move(px(width() * kTwipsPerPixel + 500), printHolder->y());
}

void MainWindow::onExit()
{
    const bool unsaved = run_.isUnsaved();
    if (!maybeSaveRun(saveDataQuestion()))
        return;
    // Given up or saved: either way the run needs no journal any more. Without an unsaved run
    // a journal left there is a recovered run still waiting to be kept, so it stays.
    if (unsaved)
        run_.discardJournal();
    if (const int error = SaveSettingsFile(state.settings, s.programFolder))
        s.prompts->say(QStringLiteral("Exit Err = ") + QString::number(error) + QLatin1Char('\n') +
                       FileErrorReason(error));
    endProgram();
}

void MainWindow::endProgram()
{
    saveWindowPlacement();
    ending_ = true;
    session_.stop();
    sampleTimer->stop();
    replayTimer_->stop();
    hide();
    if (s.endProgram)
        s.endProgram();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ending_ || queryClose())
        event->accept();
    else
        event->ignore();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        layoutControls();
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !ending_)
        onActivated();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    keepPrintHolderOutside();
}

// ---------------------------------------------------------------- screen mode and captions

void MainWindow::applyThermocoupleMode()
{
    state.derived = DeriveSettings(state.settings);
    menu(QStringLiteral("mnuTempUnits"))->menuAction()->setVisible(true);
    menu(QStringLiteral("mnuScales"))->menuAction()->setVisible(true);
    readingListHeading->setText(QStringLiteral("Time     Temperatures Deg ") +
                                state.derived.unitLetter);
    action(QStringLiteral("mnuAbout"))
        ->setText(QStringLiteral("About ") + state.derived.programTitle);
    temperaturePanel->setVisible(true);
    exportButton->setVisible(false);
    updateCaptionsAndChecks();
}

void MainWindow::updateCaptionsAndChecks()
{
    state.run.recordingStatusText =
        QStringLiteral("Click on 'Stop' or press <F2> to stop recording.");
    state.run.idleStatusText = QStringLiteral("Click on 'Start' or press <F1> to ") +
                               QStringLiteral("start recording data.");
    showStatus();

    action(QStringLiteral("mnuThin"))
        ->setChecked(state.settings.lineThickness != 1 && state.settings.lineThickness != 2);
    action(QStringLiteral("mnuThick"))->setChecked(state.settings.lineThickness == 1);
    action(QStringLiteral("mnuThickest"))->setChecked(state.settings.lineThickness == 2);

    fuelLabel->setText(QStringLiteral("Fuel: Gasoline"));

    action(QStringLiteral("mnuScalesEGT"))->setChecked(state.settings.scaleType == 0);
    action(QStringLiteral("mnuScalesFluid"))->setChecked(state.settings.scaleType == 1);
    action(QStringLiteral("mnuScalesUser"))
        ->setChecked(state.settings.scaleType != 0 && state.settings.scaleType != 1);

    const bool degC = state.settings.degreesCelsius == 1;
    action(QStringLiteral("mnuDegC"))->setChecked(degC);
    action(QStringLiteral("mnuDegF"))->setChecked(!degC);
    action(QStringLiteral("mnuScalesEGT"))
        ->setText(degC ? QStringLiteral("Typical Exhaust Gas Temps (500-950)")
                       : QStringLiteral("Typical Exhaust Gas Temps (900-1700)"));
    action(QStringLiteral("mnuScalesFluid"))
        ->setText(QStringLiteral("Typical Fluid/Air Temps (50-300)"));

    redrawTemperaturePanel();
}

void MainWindow::redrawTemperaturePanel()
{
    temperaturePanel->redraw(state.derived);
    // The placeholder bars only mean "nothing measured yet". A window holding a run keeps
    // showing a reading of it: the row under the cursor, or the newest.
    if (run_.isEmpty()) {
        showDerived(-1);
        return;
    }
    const qsizetype row = listRows_.sampleAt(readingList->currentRow());
    const qsizetype shown = row >= 0 ? row : run_.size() - 1;
    showSample(run_.sample(shown));
    showDerived(shown);
}
