#include "vovirezoza.h"

#include "configfile.h"
#include "csvexport.h"
#include "datafile.h"
#include "decoder.h"
#include "export.h"
#include "filecommands.h"
#include "framereader.h"
#include "frmabout.h"
#include "frmcomments.h"
#include "frmseek.h"
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

namespace
{

// Positions and sizes are laid out in twips, 15 to a pixel at 96 dpi (kTwipsPerPixel).
constexpr int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

constexpr int kClientWidth = 10455;
constexpr int kClientHeight = 7815;
constexpr int kTickMilliseconds = 100;
// The widest row the reading list must show whole: "99999.9   9999   9999   9999   9999".
constexpr int kWidestRowCharacters = 35;
// While a long run is replayed, the window repaints and shows progress this often.
constexpr qint64 kReplaySliceMs = 50;
// How often and how long start-up waits for the desktop to show the window.
constexpr std::chrono::milliseconds kExposeWait{10};
constexpr int kMaxExposeWaits = 100;
// A replay that lasts longer than this shows its progress.
constexpr qint64 kReplayProgressAfterMs = 500;
constexpr int kF1 = 112;
constexpr int kF2 = 113;
const QString kModeWord = QStringLiteral("Thermocouple");
const QString kWindowPlacementFile = QStringLiteral("window-placement.ini");
const QString kTitleMiddle = QStringLiteral(" Data Logger - Veltrona Inc.   [ ");

} // namespace

// The strip chart's view of the window: its section boxes and labels, the run it trims at a
// wrap, the gauges it moves and the clock it reads.
class VoviRezoZA::WindowChart final : public ChartSurface
{
public:
    explicit WindowChart(VoviRezoZA& w) : w_(w) {}

    void clearSection(int k) override { w_.Picture3[k]->clear(); }
    void setSectionScale(int k, double scaleWidth) override
    {
        w_.Picture3[k]->setScaleWidth(scaleWidth);
    }
    void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int width,
                  bool dotted) override
    {
        if (skipTraces && !dotted)
            return;
        w_.Picture3[k]->drawLine(x1, y1, x2, y2, rgb, width, dotted);
    }
    void placeSections(const std::array<double, 3>& leftFraction, double widthFraction) override
    {
        lefts_ = leftFraction;
        width_ = widthFraction;
        w_.layoutChart();
    }
    // Where section box k stands in a chart frame `frame` pixels wide.
    int sectionLeft(int k, int frame) const { return qRound(lefts_[k] * frame); }
    int sectionWidth(int frame) const { return qRound(width_ * frame); }
    bool sectionAtLeft(int k) const override { return w_.Picture3[k]->x() == 0; }
    void setScaleLabels(int k, const QString& top, const QString& bottom) override
    {
        w_.Label14[2 * k]->setText(top);
        w_.Label14[2 * k + 1]->setText(bottom);
    }
    void showScaleLabels(int k, bool visible) override
    {
        w_.Label14[2 * k]->setVisible(visible);
        w_.Label14[2 * k + 1]->setVisible(visible);
    }
    void setLegend(const QString& text) override { w_.Label15[0]->setText(text); }
    void showChart() override { w_.Picture6->setVisible(true); }
    void showStartButtons() override
    {
        for (QPushButton* button : w_.Command1)
            button->setVisible(true);
    }
    void letEventsRun() override
    {
        if (!replaying) // the replay lets them run in slices of its own
            w_.s.yieldNow();
    }
    float clock() override { return w_.s.clock->secondsSinceMidnight(); }
    void drawGaugeNeedle() override
    {
        if (replaying) {
            gaugeDue = true;
            return;
        }
        float scratch = 0;
        w_.DrawGaugeNeedle(0, scratch);
    }

    // During a replay the panel shows only where the replay has got to, and trace segments of
    // sections that a later wrap clears again are not drawn at all.
    bool replaying = false;
    bool gaugeDue = false;
    bool skipTraces = false;

    void markOffRange(int k, int channel, int direction, double x) override
    {
        offRange_[channel] = {k, direction, x};
        if (!replaying)
            w_.placeOffRangeMarker(channel);
    }
    struct OffRange {
        int section = 0;
        int direction = 0; // 1 above the range, -1 below, 0 inside
        double x = 0;
    };
    const OffRange& offRange(int channel) const { return offRange_[channel]; }

private:
    VoviRezoZA& w_;
    std::array<double, 3> lefts_{0.0, 0.333, 0.666};
    double width_ = 0.333;
    std::array<OffRange, kTraceSlots> offRange_{};
};

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

VoviRezoZA::VoviRezoZA(Module1& shared, WindowServices services, QWidget* parent)
    : QMainWindow(parent), m(shared), s(std::move(services))
{
    setObjectName(QStringLiteral("VoviRezoZA"));
    if (!s.comPortExists) {
        const QString folder = s.programFolder;
        s.comPortExists = [folder](int n) { return ComPortExists(folder, n); };
    }
    if (!s.yieldWaiting)
        s.yieldWaiting = YieldWaiting;
    if (!s.yieldNow)
        s.yieldNow = YieldNow;
    if (!s.printWait)
        s.printWait = [] { WaitWithEvents(kPrintWait); };
    buildMenus();
    buildControls();
    chart_ = std::make_unique<WindowChart>(*this);
    layoutChart();
    journal_ = std::make_unique<RecordingJournal>();

    // F1 and F2 work wherever the focus is inside the window, as keys of the window itself.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { Form_KeyDown(kF1); });
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, [this] { Form_KeyDown(kF2); });

    // Any other way out of the event loop still keeps the settings.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!ending_)
            Form_Unload();
    });
}

VoviRezoZA::~VoviRezoZA() = default;

void VoviRezoZA::buildMenus()
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
                          void (VoviRezoZA::*handler)(), bool checkable = false) {
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
    addItem(file, QStringLiteral("New"), QStringLiteral("mnuNew"), &VoviRezoZA::mnuNew_Click);
    addItem(file, QStringLiteral("Open"), QStringLiteral("mnuOpen"), &VoviRezoZA::mnuOpen_Click);
    addItem(file, QStringLiteral("Save"), QStringLiteral("mnuSave"), &VoviRezoZA::mnuSave_Click);
    addItem(file, QStringLiteral("Save As"), QStringLiteral("mnuSaveAs"),
            &VoviRezoZA::mnuSaveAs_Click);
    file->addSeparator();
    addItem(file, QStringLiteral("Export Data to Notepad"), QStringLiteral("mnuExport"),
            &VoviRezoZA::mnuExport_Click);
    addItem(file, QStringLiteral("Export Data to CSV File"), QStringLiteral("mnuExportCsv"),
            &VoviRezoZA::mnuExportCsv_Click);
    file->addSeparator();
    addItem(file, QStringLiteral("Print"), QStringLiteral("mnuPrint"), &VoviRezoZA::mnuPrint_Click);
    addItem(file, QStringLiteral("Windows Printer Setup"), QStringLiteral("mnuPrintSetup"),
            &VoviRezoZA::mnuPrintSetup_Click);
    file->addSeparator();
    addItem(file, QStringLiteral("Exit"), QStringLiteral("mnuExit"), &VoviRezoZA::mnuExit_Click);

    QMenu* options = addMenu(nullptr, QStringLiteral("Options"), QStringLiteral("mnuOptions"));
    addItem(options, QStringLiteral("Strip Chart Recording Time"),
            QStringLiteral("mnuStripChartTime"), &VoviRezoZA::mnuStripChartTime_Click);
    QMenu* thickness =
        addMenu(options, QStringLiteral("Graph Line Thickness"), QStringLiteral("mnuThickness"));
    addItem(thickness, QStringLiteral("Thin"), QStringLiteral("mnuThin"),
            &VoviRezoZA::mnuThin_Click, true);
    addItem(thickness, QStringLiteral("Thick"), QStringLiteral("mnuThick"),
            &VoviRezoZA::mnuThick_Click, true);
    addItem(thickness, QStringLiteral("Thickest"), QStringLiteral("mnuThickest"),
            &VoviRezoZA::mnuThickest_Click, true);
    options->addSeparator();
    QMenu* scales =
        addMenu(options, QStringLiteral("Thermocouple Graph Scales"), QStringLiteral("mnuScales"));
    addItem(scales, QStringLiteral("Typical Exhaust Gas Temps (900-1700)"),
            QStringLiteral("mnuScalesEGT"), &VoviRezoZA::mnuScalesEGT_Click, true);
    addItem(scales, QStringLiteral("Typical Fluid/Air Temps (50-300)"),
            QStringLiteral("mnuScalesFluid"), &VoviRezoZA::mnuScalesFluid_Click, true);
    addItem(scales, QStringLiteral("User Specified"), QStringLiteral("mnuScalesUser"),
            &VoviRezoZA::mnuScalesUser_Click, true);
    QMenu* units =
        addMenu(options, QStringLiteral("Temperature Units"), QStringLiteral("mnuTempUnits"));
    addItem(units, QStringLiteral("Degrees F"), QStringLiteral("mnuDegF"),
            &VoviRezoZA::mnuDegF_Click, true);
    addItem(units, QStringLiteral("Degrees C"), QStringLiteral("mnuDegC"),
            &VoviRezoZA::mnuDegC_Click, true);
    QMenu* ports = addMenu(options, QStringLiteral("Com Port(s)"), QStringLiteral("mnuComPorts"));
    addItem(ports, QStringLiteral("Com Port for 1st Logger"), QStringLiteral("mnuComPort1"),
            &VoviRezoZA::mnuComPort1_Click);
    addItem(ports, QStringLiteral("Com Port for 2nd Logger"), QStringLiteral("mnuComPort2"),
            &VoviRezoZA::mnuComPort2_Click);

    QAction* comments = menuBar()->addAction(QStringLiteral("Record Comments"));
    comments->setObjectName(QStringLiteral("mnuComments"));
    connect(comments, &QAction::triggered, this, &VoviRezoZA::mnuComments_Click);

    QMenu* help = addMenu(nullptr, QStringLiteral("Help"), QStringLiteral("mnuHelp"));
    addItem(help, QStringLiteral("Help"), QStringLiteral("mnuHelpHelp"),
            &VoviRezoZA::mnuHelpHelp_Click);
    addItem(help, QStringLiteral("About Thermocouple Recorder"), QStringLiteral("mnuAbout"),
            &VoviRezoZA::mnuAbout_Click);
    addItem(help, QStringLiteral("Veltrona on the Web"), QStringLiteral("mnuWeb"),
            &VoviRezoZA::mnuWeb_Click);

    // The keyboard reaches every menu the way desktop programs do, without an underlined
    // letter in the captions (their texts stay exactly as they are).
    const struct {
        Qt::Key key;
        const char* name;
    } menuKeys[] = {{Qt::Key_F, "mnuFile"}, {Qt::Key_O, "mnuOptions"}, {Qt::Key_H, "mnuHelp"}};
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
    for (QAction* a : {action(QStringLiteral("mnuOpen")), action(QStringLiteral("mnuSave")),
                       action(QStringLiteral("mnuSaveAs")), action(QStringLiteral("mnuPrint")),
                       action(QStringLiteral("mnuExit"))})
        addAction(a); // the shortcut works while the menu is closed
}

void VoviRezoZA::buildControls()
{
    auto* central = new ClientArea(this);
    central->setObjectName(QStringLiteral("client"));
    setCentralWidget(central);

    auto label = [](QWidget* parent, const QString& name, const QString& caption = {}) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(name);
        return l;
    };

    Picture5_1 = new GaugePanel(central);

    const QStringList captions{QStringLiteral("Start <F1>"), QStringLiteral("Stop <F2>"),
                               QStringLiteral("Off")};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(captions[i], central);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setFocusPolicy(Qt::NoFocus);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    Label1[0] = label(central, QStringLiteral("Label1_0"));
    Label1[0]->setAlignment(Qt::AlignCenter);
    Label1[0]->setFrameShape(QFrame::Panel);
    Label1[0]->setFrameShadow(QFrame::Sunken);

    Command2 = new QPushButton(QStringLiteral("FindCom"), central);
    Command2->setObjectName(QStringLiteral("Command2"));
    connect(Command2, &QPushButton::clicked, this, &VoviRezoZA::Command2_Click);
    Combo1 = new QComboBox(central);
    Combo1->setObjectName(QStringLiteral("Combo1"));

    Command3 = new QPushButton(QStringLiteral("Export Data To Notepad"), central);
    Command3->setObjectName(QStringLiteral("Command3"));
    connect(Command3, &QPushButton::clicked, this, &VoviRezoZA::Command3_Click);

    Label1[4] = label(central, QStringLiteral("Label1_4"));
    Label1[3] = label(central, QStringLiteral("Label1_3"));

    Label3 = label(central, QStringLiteral("Label3"));
    List1 = new ReadingListView(run_, central);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(QFont(QStringLiteral("Monospace")));
    // A change of the current row, by the user or by code, is the list's click.
    connect(List1, &ReadingListView::currentRowChanged, this, [this] { List1_Click(); });

    Picture6 = new QFrame(central);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    Label15[0] = label(Picture6, QStringLiteral("Label15_0"));
    Label15[0]->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    Label15[1] = label(Picture6, QStringLiteral("Label15_1"));
    Label15[2] = label(Picture6, QStringLiteral("Label15_2"),
                       QStringLiteral("Time Divisions are 5 seconds"));
    for (int k = 0; k < 3; ++k) {
        auto* box = new SectionBox(Picture6);
        box->setObjectName(QStringLiteral("Picture3_%1").arg(k));
        box->setGeometry(twipsRect(k * 3360, 240, 3375, 3135));
        Picture3[k] = box;
        box->installEventFilter(this);
        Label14[2 * k] = label(box, QStringLiteral("Label14_%1").arg(2 * k));
        Label14[2 * k + 1] = label(box, QStringLiteral("Label14_%1").arg(2 * k + 1));
        Label2[k] = label(box, QStringLiteral("Label2_%1").arg(k), QStringLiteral("+"));
        Label2[k]->setFont(QFont(QStringLiteral("Sans Serif"), 13));
        Label2[k]->setGeometry(twipsRect(0, 0, 180, 375));
        Label2[k]->hide();
    }
    // A trace beyond the graph range runs along the chart's edge; an arrow in its colour says
    // which way it left, so a cold or overheated channel is still seen to be alive.
    for (int i = 0; i < kTraceSlots; ++i) {
        offRangeMarkers_[i] = label(Picture6, QStringLiteral("offRange_%1").arg(i));
        offRangeMarkers_[i]->setAlignment(Qt::AlignCenter);
        offRangeMarkers_[i]->hide();
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &VoviRezoZA::Timer1_Timer);

    // Holder of the captured image while the window prints; it stays outside the visible area.
    Picture1 = new QLabel(central);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->hide();

    central->onResize = [this] { layoutControls(); };
    layoutControls();
    resize(centralWidget()->minimumSize() + QSize(0, menuBar()->sizeHint().height()));
}

// At the smallest size the controls stand where the original twips layout put them; a larger
// font makes a control as large as its text needs, never clipped. Extra width goes to the
// strip chart and the reading list, extra height to the chart and to the panel and list above
// it; the buttons keep their places.
void VoviRezoZA::layoutControls()
{
    QWidget* client = centralWidget();
    if (client == nullptr || Picture6 == nullptr)
        return;
    const int margin = px(120);
    const int textHeight = fontMetrics().height();
    const int labelHeight = std::max(px(255), textHeight + 2);

    int buttonWidth = px(1455);
    for (QPushButton* b : Command1)
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    const int buttonHeight = std::max(px(420), Command1[0]->sizeHint().height());
    const int buttonLeft = px(3840);
    int y = margin;
    for (QPushButton* b : Command1) {
        b->setGeometry(buttonLeft, y, buttonWidth, buttonHeight);
        y += std::max(px(540), buttonHeight + px(120));
    }
    Label1[0]->setGeometry(buttonLeft, y, buttonWidth, std::max(px(300), textHeight + 6));
    y = Label1[0]->geometry().bottom() + 1 + px(160);
    const int findWidth = std::max(px(800), Command2->sizeHint().width() + px(120));
    const int findHeight =
        std::max({px(375), Command2->sizeHint().height(), Combo1->sizeHint().height()});
    Command2->setGeometry(buttonLeft, y, findWidth, findHeight);
    Combo1->setGeometry(buttonLeft + findWidth + px(60), y,
                        std::max(px(700), Combo1->sizeHint().width()), findHeight);
    y += findHeight + px(125);
    Command3->setGeometry(buttonLeft, y, std::max(px(1900), Command3->sizeHint().width()),
                          buttonHeight);
    y += buttonHeight + px(120);
    const int fuelWidth = std::max(px(2800), Label1[4]->sizeHint().width());
    Label1[4]->setGeometry(buttonLeft, y, fuelWidth, labelHeight);
    const int buttonsBottom = y + labelHeight;
    const int columnRight = std::max({buttonLeft + buttonWidth, Combo1->geometry().right() + 1,
                                      buttonLeft + Label1[4]->sizeHint().width()});

    // The list shows a whole row of four-digit readings at times up to 99999.9 s.
    const int listLeft = std::max(px(6835), columnRight + margin);
    const int listWidth = std::max(px(3500), List1->widthForRow(kWidestRowCharacters));
    const int headingHeight = std::max(px(240), textHeight + 2);
    const int topHeight = std::max(px(3720), buttonsBottom - margin);
    const int chartHeight = px(3375);
    const int statusGap = px(120);
    const int chartGap = px(105);
    const QSize smallest(std::max(px(kClientWidth), listLeft + listWidth + margin),
                         margin + topHeight + statusGap + labelHeight + chartGap + chartHeight +
                             margin);
    client->setMinimumSize(smallest);

    const int extraWidth = std::max(0, client->width() - smallest.width());
    const int extraHeight = std::max(0, client->height() - smallest.height());
    const int topExtra = extraHeight * 2 / 5;
    const int top = topHeight + topExtra;
    Picture5_1->setGeometry(margin, margin, px(3600), top);
    Label3->setGeometry(listLeft, margin, listWidth + extraWidth, headingHeight);
    List1->setGeometry(listLeft, margin + headingHeight, listWidth + extraWidth,
                       top - headingHeight);
    const int statusTop = margin + top + statusGap;
    Label1[3]->setGeometry(margin, statusTop, client->width() - 2 * margin, labelHeight);
    Picture6->setGeometry(margin, statusTop + labelHeight + chartGap, client->width() - 2 * margin,
                          chartHeight + extraHeight - topExtra);
    layoutChart();
    Form_Resize();
}

void VoviRezoZA::layoutChart()
{
    if (!chart_)
        return; // the window is still being built
    const int textHeight = fontMetrics().height();
    const int legendHeight = std::max(px(240), textHeight + 2);
    const int scaleLabelHeight = std::max(px(255), textHeight + 2);
    const int frame = Picture6->width();
    Label15[0]->setGeometry(px(30), 0, std::max(px(2175), Label15[0]->sizeHint().width()),
                            legendHeight);
    Label15[1]->setGeometry(px(2400), 0, px(2175), legendHeight);
    Label15[2]->setGeometry(std::max(px(4920), Label15[0]->geometry().right() + px(120)), 0,
                            std::max(px(2655), Label15[2]->sizeHint().width()), legendHeight);
    const int boxHeight = std::max(1, Picture6->height() - legendHeight);
    for (int k = 0; k < 3; ++k) {
        SectionBox* box = Picture3[k];
        const QSize before = box->size();
        box->setGeometry(chart_->sectionLeft(k, frame), legendHeight, chart_->sectionWidth(frame),
                         boxHeight);
        Label14[2 * k]->setGeometry(
            px(30), 0, std::max(px(975), Label14[2 * k]->sizeHint().width()), scaleLabelHeight);
        Label14[2 * k + 1]->setGeometry(px(30), boxHeight - scaleLabelHeight,
                                        std::max(px(975), Label14[2 * k + 1]->sizeHint().width()),
                                        scaleLabelHeight);
        if (box->size() != before)
            Label2[k]->hide(); // its place was worked out for the old size
    }
    for (int i = 0; i < kTraceSlots; ++i)
        placeOffRangeMarker(i);
}

void VoviRezoZA::placeOffRangeMarker(int channel)
{
    QLabel* marker = offRangeMarkers_[channel];
    const auto& state = chart_->offRange(channel);
    if (state.direction == 0 || channel >= channelCount()) {
        marker->hide();
        return;
    }
    const int size = std::max(px(180), fontMetrics().height());
    SectionBox* box = Picture3[state.section];
    const QPointF at = box->toPixel(state.x, state.direction > 0 ? 1.0 : 0.0);
    // Side by side, channel 1 nearest the trace's newest point; inside the box's edge.
    const int x = box->x() + std::clamp(MarkerPixel(at).x() - (channel + 1) * size / 2, 0,
                                        std::max(0, box->width() - size));
    const int y = box->y() + (state.direction > 0 ? 0 : box->height() - size);
    marker->setText(state.direction > 0 ? QStringLiteral("\u25B2") : QStringLiteral("\u25BC"));
    const QString colour = QStringLiteral("color: #%1;")
                               .arg(m.ChannelColor[channel] & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
    if (marker->styleSheet() != colour) // a style sheet change restyles the whole label
        marker->setStyleSheet(colour);
    marker->setGeometry(x, y, size, size);
    if (!marker->isVisible()) {
        marker->show();
        marker->raise();
    }
}

QAction* VoviRezoZA::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* VoviRezoZA::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

QString VoviRezoZA::label6Caption(int i) const
{
    return Picture5_1->face().Label6[i].caption;
}

// ---------------------------------------------------------------- start-up and shutdown

void VoviRezoZA::Form_Load()
{
    // A missing or unreadable settings file leaves every setting at its initial value.
    ConfigFile(0, m, s.programFolder);
    SwitchToTC();
    RedrawGauge(0);
    runDegCFlag = m.DegCFlag;
    restoreWindowPlacement();
    m.FileName = QStringLiteral("Untitled");
    QDir().mkpath(dataFolderPath()); // the file dialogs start there and Save may write there
    m.FilePath = s.programFolder + m.DataFolder + QLatin1Char('/') + m.FileName;
    setWindowCaptionForFile();
    m.DoingStripChart = 2;
    Label15[1]->hide();
    qint16 StartOverFlag = 0;
    UpdateScreen(StartOverFlag, m.DoingStripChart, RecordTime, m.LastLine, 0);
    StopFlag = 1;
    CommBuffer.clear();
}

void VoviRezoZA::afterShown(const QString& dataFile)
{
    // The desktop shows a window a little after show(): the measurement below keeps the event
    // queue busy, so it waits until the window is on screen and painted.
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
        else
            openDataFile(dataFile);
    }
    // Until the measurement ends, a Start waits for its frame with the smallest budget.
    measurePollBudget();
    CommBuffer.clear();
}

void VoviRezoZA::setWindowCaptionForFile()
{
    setWindowTitle(kModeWord);
    setWindowTitle(windowTitle() + kTitleMiddle + m.FileName + QStringLiteral(" ]"));
}

void VoviRezoZA::measurePollBudget()
{
    const PollBudget budget = MeasurePollBudget(*s.clock, *s.port, CommBuffer, CommText, LineBreak,
                                                s.yieldWaiting, s.elapsedMs);
    PollLimit = budget.PollLimit;
    readBudget = budget.timeBudget;
}

void VoviRezoZA::Form_Activate()
{
    SwitchToTC();
}

void VoviRezoZA::Form_KeyDown(int KeyCode)
{
    if (KeyCode == kF1)
        Command1_Click(0);
    else if (KeyCode == kF2)
        Command1_Click(1);
}

bool VoviRezoZA::Form_QueryUnload()
{
    m.CancelExit = 0;
    mnuExit_Click();
    return m.CancelExit != 1;
}

void VoviRezoZA::Form_Unload()
{
    saveWindowPlacement();
    ConfigFile(1, m, s.programFolder);
}

QString VoviRezoZA::placementFilePath() const
{
    return s.programFolder + QLatin1Char('/') + kWindowPlacementFile;
}

// The window's size and place live in a file of their own: the settings file's layout is
// fixed, and a damaged placement file only costs the default size.
void VoviRezoZA::restoreWindowPlacement()
{
    const QSettings placement(placementFilePath(), QSettings::IniFormat);
    restoreGeometry(placement.value(QStringLiteral("window/geometry")).toByteArray());
}

void VoviRezoZA::saveWindowPlacement()
{
    QSettings placement(placementFilePath(), QSettings::IniFormat);
    placement.setValue(QStringLiteral("window/geometry"), saveGeometry());
    placement.sync();
}

void VoviRezoZA::Form_Resize()
{
    Picture1->move(px(width() * kTwipsPerPixel + 500), Picture1->y());
}

void VoviRezoZA::mnuExit_Click()
{
    if (m.DataNotSaved == 1) {
        MessageRequest ask{QStringLiteral("Save this recorded data?"), QStringLiteral("Save Data?"),
                           MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Yes};
        const MsgAnswer answer = s.prompts->message(ask);
        if (answer == MsgAnswer::Cancel) {
            m.CancelExit = 1;
            return;
        }
        if (answer == MsgAnswer::No)
            discardJournal();
        if (answer == MsgAnswer::Yes)
            mnuSaveAs_Click();
    }
    if (const int error = ConfigFile(1, m, s.programFolder))
        s.prompts->say(QStringLiteral("Exit Err = ") + QString::number(error));
    endProgram();
}

void VoviRezoZA::endProgram()
{
    saveWindowPlacement();
    ending_ = true;
    StopFlag = 1;
    s.port->interruptWait(); // a tick waiting for its frame returns at once
    journal_->close();
    Timer1->stop();
    hide();
    if (s.endProgram)
        s.endProgram();
}

void VoviRezoZA::closeEvent(QCloseEvent* event)
{
    if (ending_ || Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

void VoviRezoZA::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        layoutControls();
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !ending_)
        Form_Activate();
}

void VoviRezoZA::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// ---------------------------------------------------------------- screen mode and captions

void VoviRezoZA::SwitchToTC()
{
    DeriveThermocoupleValues(m);
    menu(QStringLiteral("mnuTempUnits"))->menuAction()->setVisible(true);
    menu(QStringLiteral("mnuScales"))->menuAction()->setVisible(true);
    Label3->setText(QStringLiteral("Time     Temperatures Deg ") + m.TempUnitLetter);
    action(QStringLiteral("mnuAbout"))->setText(QStringLiteral("About ") + m.ProgramTitle);
    Picture5_1->setVisible(true);
    Command3->setVisible(false);
    UpdateForm();
}

void VoviRezoZA::UpdateForm()
{
    m.RunningStatusText = QStringLiteral("Click on 'Stop' or press <F2> to stop recording.");
    m.IdleStatusText = QStringLiteral("Click on 'Start' or press <F1> to ") +
                       QStringLiteral("start recording data.");
    showStatus();

    action(QStringLiteral("mnuThin"))->setChecked(m.LineThickness != 1 && m.LineThickness != 2);
    action(QStringLiteral("mnuThick"))->setChecked(m.LineThickness == 1);
    action(QStringLiteral("mnuThickest"))->setChecked(m.LineThickness == 2);

    Label1[4]->setText(QStringLiteral("Fuel: Gasoline"));

    action(QStringLiteral("mnuScalesEGT"))->setChecked(m.ScaleType == 0);
    action(QStringLiteral("mnuScalesFluid"))->setChecked(m.ScaleType == 1);
    action(QStringLiteral("mnuScalesUser"))->setChecked(m.ScaleType != 0 && m.ScaleType != 1);

    const bool degC = m.DegCFlag == 1;
    action(QStringLiteral("mnuDegC"))->setChecked(degC);
    action(QStringLiteral("mnuDegF"))->setChecked(!degC);
    action(QStringLiteral("mnuScalesEGT"))
        ->setText(degC ? QStringLiteral("Typical Exhaust Gas Temps (500-950)")
                       : QStringLiteral("Typical Exhaust Gas Temps (900-1700)"));
    action(QStringLiteral("mnuScalesFluid"))
        ->setText(QStringLiteral("Typical Fluid/Air Temps (50-300)"));

    RedrawGauge(0);
}

void VoviRezoZA::RedrawGauge(int)
{
    Picture5_1->redraw(m);
}

void VoviRezoZA::DrawGaugeNeedle(int, float&)
{
    Picture5_1->drawNeedle(m, ChannelText);
}

void VoviRezoZA::UpdateScreen(qint16& StartOverFlag, qint16& DoingStripChart, double& RecordTime,
                              QString& LastText1, qint16 UseRecordedTime)
{
    ::UpdateScreen(m, *chart_, ChannelText, StartOverFlag, DoingStripChart, RecordTime, LastText1,
                   UseRecordedTime);
}

// ---------------------------------------------------------------- graph cursor

void VoviRezoZA::DrawGraphCursor(float& MousX, int& Index)
{
    hideCursorMarkers();
    const int section = std::clamp(Index, 0, 2);
    const float target = m.SectionStartTime[section] + MousX;
    const int best = static_cast<int>(run_.nearestRow(target, kNoRowDistance));
    if (best < 0)
        return; // an empty list has no row to show
    if (List1->currentRow() != best)
        List1->setCurrentRow(best); // runs List1_Click first, as a user's click would
    const QString row = run_.line(best);
    const float t = RowTime(row);
    Label1[0]->setText(CursorTimeText(t));
    const double v = FirstChannelValue(row);
    const QPointF at =
        CursorMarkerPosition(t, m.SectionStartTime[section], v, m.GraphMin, m.GraphFactor);
    QLabel* marker = Label2[section];
    marker->move(MarkerPixel(Picture3[section]->toPixel(at.x(), at.y())));
    marker->show();
    QString copy = row;
    BreakoutTempData(copy);
    float reading = static_cast<float>(v);
    DrawGaugeNeedle(0, reading);
}

void VoviRezoZA::List1_Click()
{
    const int r = List1->currentRow();
    if (r < 0)
        return;
    const float t = run_.time(r);
    int k = SectionOfTime(t, m.SectionStartTime);
    ChartMouseX = t - m.SectionStartTime[k];
    DrawGraphCursor(ChartMouseX, k);
}

void VoviRezoZA::Picture3_MouseDown(int, Qt::MouseButton, Qt::KeyboardModifiers, float X, float)
{
    ChartMouseX = X;
}

void VoviRezoZA::Picture3_Click(int Index)
{
    DrawGraphCursor(ChartMouseX, Index);
}

bool VoviRezoZA::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QMainWindow::eventFilter(watched, event);
    for (int k = 0; k < 3; ++k) {
        if (watched != Picture3[k])
            continue;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            const QPointF user = Picture3[k]->toUser(mouse->position());
            Picture3_MouseDown(k, mouse->button(), mouse->modifiers(), float(user.x()),
                               float(user.y()));
        } else if (Picture3[k]->rect().contains(mouse->position().toPoint())) {
            Picture3_Click(k);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- acquisition

void VoviRezoZA::StartComm()
{
    // The port is opened afresh, so the text it holds begins somewhere inside a line.
    if (!sessionPortDevice_.isEmpty())
        ::StartCommOnDevice(*s.port, sessionPortDevice_);
    else
        ::StartComm(*s.port, sessionComPort_ != 0 ? sessionComPort_ : m.ComPort[0]);
    frames.reset();
}

void VoviRezoZA::useSessionPort(qint16 comPort, const QString& device)
{
    sessionComPort_ = comPort;
    sessionPortDevice_ = device;
}

bool VoviRezoZA::ReadComm()
{
    const qint64 rejectedBefore = rejectedFrames;
    const ReadCommResult result = ::ReadComm(*s.port, frames, readBudget, StopFlag, CommText,
                                             channelCount(), rejectedFrames, &ending_, s.elapsedMs);
    if (rejectedFrames != rejectedBefore)
        showStatus();
    if (result == ReadCommResult::GaveUp)
        s.prompts->say(QStringLiteral("Not receiving data."));
    return result == ReadCommResult::Frame;
}

void VoviRezoZA::showStatus()
{
    QString text = StopFlag == 1 ? m.IdleStatusText : m.RunningStatusText;
    // The list keeps the unit its readings were taken in, whatever the unit setting says now.
    if (!run_.isEmpty())
        text += QStringLiteral("   Readings in Deg ") +
                (runDegCFlag == 1 ? QLatin1Char('C') : QLatin1Char('F')) + QLatin1Char('.');
    if (rejectedFrames > 0)
        text += QStringLiteral("   (%1 damaged line%2 from the instrument ignored)")
                    .arg(rejectedFrames)
                    .arg(rejectedFrames == 1 ? QString() : QStringLiteral("s"));
    if (!journalProblem_.isEmpty())
        text += QStringLiteral("   ") + journalProblem_;
    Label1[3]->setText(text);
}

void VoviRezoZA::BreakoutTempData(QString& Kxx)
{
    if (!::BreakoutTempData(Kxx, m.TCReading, m.NumChannels, m.DegCFlag, ChannelText))
        return;
    for (int i = 0; i < channelCount(); ++i)
        Picture5_1->setChannelCaption(i, ChannelText[i]);
}

int VoviRezoZA::channelCount() const
{
    return std::clamp<int>(m.NumChannels, 0, kMaxChannels);
}

void VoviRezoZA::Command2_Click()
{
    Combo1->clear();
    Combo1->addItems(FindComPorts(s.comPortExists));
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
}

void VoviRezoZA::mnuComPort1_Click()
{
    // The dialog offers the port this session uses; a number accepted there replaces a port
    // given on the command line and is saved like any other choice.
    const bool session = sessionComPort_ != 0 || !sessionPortDevice_.isEmpty();
    qint16 offered = sessionComPort_ != 0 ? sessionComPort_ : m.ComPort[0];
    qint16& target = session ? offered : m.ComPort[0];
    const bool chosen = ChooseLoggerPort(*s.prompts, *s.port, target, s.yieldNow, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    if (chosen && session) {
        m.ComPort[0] = offered;
        useSessionPort(0, QString());
    }
}

void VoviRezoZA::mnuComPort2_Click()
{
    s.prompts->say(QStringLiteral("Option not yet activated."));
}

// ---------------------------------------------------------------- recording

void VoviRezoZA::Command1_Click(int Index)
{
    if (Index != 0) {
        StopFlag = 1;
        hideCursorMarkers();
        if (journal_->isActive())
            noteJournalProblem(journal_->sync());
        return;
    }
    if (m.DataNotSaved == 1) {
        const MsgAnswer answer = s.prompts->message(
            {QStringLiteral("Save this recorded data?"), QStringLiteral("Save Data?"),
             MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Yes});
        if (answer == MsgAnswer::Cancel)
            return;
        if (answer == MsgAnswer::Yes) {
            // The user presses Start again once the run is safe.
            mnuSaveAs_Click();
            StopFlag = 1;
            return;
        }
    }
    m.DataNotSaved = 1;
    StopFlag = 0;
    RecordTime = 0;
    rejectedFrames = 0;
    clearRun();
    noteJournalProblem(
        journal_->begin(dataFolderPath(), m.DegCFlag, m.NumChannels, m.FuelType, m.CommentsText));
    runDegCFlag = m.DegCFlag;
    setTimer1Interval(kTickMilliseconds);
    LineBreak = kLineBreak;
    ResetChartForRecording(m);
    StartComm();
    ReadComm();
    hideCursorMarkers();
}

void VoviRezoZA::Timer1_Timer()
{
    // A tick waits for its frame with the event queue running; a tick due meanwhile is dropped
    // rather than started inside the waiting one.
    if (inTick_ || chart_->replaying)
        return;
    inTick_ = true;
    m.DoingStripChart = 1;
    if (StopFlag == 1) {
        showStatus();
        inTick_ = false;
        return;
    }
    showStatus();
    // The first tick after Start sets the chart up; later ticks plot only what they stored.
    if (m.ChartStarted != 1 || takeSample()) {
        qint16 StartOverFlag = 0;
        UpdateScreen(StartOverFlag, m.DoingStripChart, RecordTime, m.LastLine, 0);
    }
    inTick_ = false;
}

bool VoviRezoZA::takeSample()
{
    // A tick without a frame stores nothing: the last readings again under a new time would
    // be temperatures the instrument never sent.
    if (!ReadComm())
        return false;
    RecordTime = RunTimeOfSample(s.clock->secondsSinceMidnight(), m.RecordStartTimer);
    if (RecordTime < 0)
        s.prompts->say(QStringLiteral("Fix. Negative time."));
    Label1[0]->setText(num::Format(RecordTime, QStringLiteral("#########.0")));
    BreakoutTempData(CommText);
    for (int i = 0; i < channelCount(); ++i)
        Picture5_1->setChannelCaption(i, ChannelText[i]);
    m.LastLine = SampleLine(Label1[0]->text(), ChannelText, m.NumChannels);
    appendRunLine(m.LastLine);
    noteJournalProblem(journal_->append(m.LastLine));
    // Also after a save during the run: what came since is not in the file.
    m.DataNotSaved = 1;
    List1->setCurrentRow(List1->count() - 1);
    return true;
}

void VoviRezoZA::setTimer1Interval(int milliseconds)
{
    // An interval of 0 means no ticks at all.
    if (milliseconds <= 0) {
        Timer1->stop();
        return;
    }
    Timer1->setInterval(milliseconds);
    if (!Timer1->isActive())
        Timer1->start();
}

void VoviRezoZA::hideCursorMarkers()
{
    for (QLabel* marker : Label2)
        marker->hide();
}

// ---------------------------------------------------------------- options

// New settings apply to data recorded from now on; the screen follows them at once.
void VoviRezoZA::afterUnitOrScaleChange()
{
    SwitchToTC();
    RedrawGauge(0);
}

void VoviRezoZA::mnuDegC_Click()
{
    m.DegCFlag = 1;
    afterUnitOrScaleChange();
    s.prompts->say(options::UnitChangedMessage(m));
}

void VoviRezoZA::mnuDegF_Click()
{
    m.DegCFlag = 0;
    afterUnitOrScaleChange();
    s.prompts->say(options::UnitChangedMessage(m));
}

void VoviRezoZA::mnuScalesEGT_Click()
{
    m.ScaleType = 0;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void VoviRezoZA::mnuScalesFluid_Click()
{
    m.ScaleType = 1;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void VoviRezoZA::mnuScalesUser_Click()
{
    if (!AskUserGraphRange(*s.prompts, m))
        return;
    afterUnitOrScaleChange();
    s.prompts->say(options::kNewScalesMessage);
}

void VoviRezoZA::mnuStripChartTime_Click()
{
    AskStripChartTime(*s.prompts, m);
}

// The thickness takes effect at the next chart pass; its check mark at the next refresh.
void VoviRezoZA::mnuThin_Click()
{
    m.LineThickness = 0;
}

void VoviRezoZA::mnuThick_Click()
{
    m.LineThickness = 1;
}

void VoviRezoZA::mnuThickest_Click()
{
    m.LineThickness = 2;
}

// ---------------------------------------------------------------- output and auxiliary

// Without a printer, or when the user prefers, the page goes into a PDF file.
void VoviRezoZA::mnuPrint_Click()
{
    PrintFormToPrinterOrPdf(this, printer(), *s.prompts, s.printWait, Picture1,
                            PdfDialogRequest(dataFolderPath(), m.FileName));
}

void VoviRezoZA::mnuPrintSetup_Click()
{
    s.prompts->printerSetup(printer()); // Cancel keeps the printer as it was
}

QPrinter& VoviRezoZA::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void VoviRezoZA::mnuComments_Click()
{
    auto* editor = new frmComments(m, this);
    editor->show();
    editor->activateWindow();
}

void VoviRezoZA::mnuAbout_Click()
{
    auto* about = new frmAbout(m, printer(), *s.prompts, this);
    about->show();
}

void VoviRezoZA::mnuHelpHelp_Click()
{
    s.yieldNow(); // files are open only inside single calls, so there is nothing to close
    QString error;
    if (!CopyHelpText(s.programFolder, m.TextFolder, &error)) {
        s.prompts->say(error);
        return;
    }
    ShowDocument(*s.prompts, *s.launcher, HelpCopyPath(s.programFolder, m.TextFolder), QString());
}

void VoviRezoZA::mnuWeb_Click()
{
    OpenWebSite(*s.prompts, *s.launcher, kMakerWebAddress, kMakerWebAddress,
                [this](const QString& name) { return RunFileSeek(this, *s.prompts, name); });
}

// ---------------------------------------------------------------- data files

QString VoviRezoZA::dataFolderPath() const
{
    return s.programFolder + m.DataFolder;
}

void VoviRezoZA::SaveAFFile(qint16 ReadFlag)
{
    if (ReadFlag == 0) {
        const int error = WriteDataFile(
            m.TargetFilePath,
            WriteDataFileText(m.CommentsText, runText(), runDegCFlag, m.NumChannels, m.FuelType));
        if (error != 0) {
            s.prompts->say(SaveAFFileErrorText(error));
            return;
        }
        finishFileUse();
        // The run is safe in the file; while it still grows, the journal goes on with it.
        if (StopFlag == 1)
            discardJournal();
        return;
    }

    const DataFileRead file = ReadDataFile(m.TargetFilePath, kDataFileTypeLine);
    if (file.outcome == DataFileRead::Outcome::WrongType) {
        s.prompts->message(BadFileMessage(m.ProgramTitle));
        return;
    }
    takeLoadedRun(file);
    // The run the journal kept is replaced now; the user chose not to save it.
    if (file.samplesStarted && StopFlag == 1)
        discardJournal();
    if (file.outcome == DataFileRead::Outcome::Error) {
        s.prompts->say(SaveAFFileErrorText(file.errorNumber));
        return;
    }
    finishFileUse();
    switchToFileUnit(file.unit);
}

// What was read before a failure stays, as it would have been read in place.
void VoviRezoZA::takeLoadedRun(const DataFileRead& file)
{
    if (file.channelsRead)
        m.NumChannels = file.channels;
    if (file.commentsStarted)
        m.CommentsText = file.comments;
    if (file.samplesStarted) {
        loadedSamples_ = file.samples;
        clearRun();
    }
}

void VoviRezoZA::switchToFileUnit(qint16 unit)
{
    runDegCFlag = unit;
    showStatus();
    if (unit == m.DegCFlag)
        return;
    s.prompts->say(UnitSwitchMessage(unit));
    m.DegCFlag = unit;
    SwitchToTC();
    RedrawGauge(0);
}

// ---------------------------------------------------------------- recording journal

void VoviRezoZA::discardJournal()
{
    journal_->close();
    RecordingJournal::discard(dataFolderPath());
    journalProblem_.clear();
}

void VoviRezoZA::noteJournalProblem(bool ok)
{
    // Never a message box: one would hold up the recording until it is answered.
    const QString problem =
        ok ? QString() : QStringLiteral("The run is not being journaled: ") + journal_->lastError();
    if (problem != journalProblem_) {
        journalProblem_ = problem;
        showStatus();
    }
}

void VoviRezoZA::offerJournaledRun()
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
    AnalyzeData();
    m.DataNotSaved = 1;
    switchToFileUnit(file->unit);
}

// After a save or a load: the file becomes the current one and the run counts as saved.
void VoviRezoZA::finishFileUse()
{
    m.FilePath = m.TargetFilePath;
    m.FileName = DataFileName(m.FilePath, dataFolderPath());
    setWindowCaptionForFile();
    m.DataNotSaved = 0;
    update();
    s.yieldNow();
}

void VoviRezoZA::mnuOpen_Click()
{
    askToSaveNewData();
    const std::optional<QString> chosen = s.prompts->openFile(OpenDialogRequest(dataFolderPath()));
    if (!chosen || chosen->isEmpty())
        return;
    m.TargetFilePath = *chosen;
    SaveAFFile(1);
    AnalyzeData();
}

void VoviRezoZA::askToSaveNewData()
{
    if (m.DataNotSaved != 1)
        return;
    const MsgAnswer answer = s.prompts->message(
        {QStringLiteral("Save any new data recorded?"), QStringLiteral("Save New Data?"),
         MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes});
    if (answer == MsgAnswer::Yes)
        mnuSaveAs_Click();
}

// A file named on the command line, opened as Open opens the one chosen in its dialog.
void VoviRezoZA::openDataFile(const QString& path)
{
    askToSaveNewData();
    m.TargetFilePath = path;
    SaveAFFile(1);
    AnalyzeData();
}

void VoviRezoZA::mnuSave_Click()
{
    if (m.FileName == QLatin1String("Untitled"))
        mnuSaveAs_Click();
    // After a cancelled Save As the run still goes to the data folder's "Untitled", so a
    // Save never ends with the run unsaved.
    m.TargetFilePath = m.FilePath;
    SaveAFFile(0);
}

void VoviRezoZA::mnuSaveAs_Click()
{
    const std::optional<QString> chosen =
        s.prompts->saveFile(SaveAsDialogRequest(dataFolderPath(), m.FilePath));
    if (!chosen || chosen->isEmpty())
        return;
    m.TargetFilePath = ShortenToFortyCharacters(*s.prompts, *chosen);
    SaveAFFile(0);
}

void VoviRezoZA::appendRunLine(const QString& line)
{
    run_.append(line);
    if (!chart_->replaying) // the replay shows its rows in slices
        List1->linesChanged();
}

void VoviRezoZA::clearRun()
{
    run_.clear();
    List1->linesChanged();
    showStatus();
}

void VoviRezoZA::AnalyzeData()
{
    // Without a load that read sample lines, the run itself is replayed again.
    QString source = loadedSamples_ ? *std::exchange(loadedSamples_, std::nullopt) : runText();
    AnalyzeData(source);
}

void VoviRezoZA::AnalyzeData(const QString& source)
{
    QElapsedTimer elapsed;
    elapsed.start();
    m.DoingStripChart = 1;
    LineBreak = kLineBreak;
    const std::vector<std::pair<qsizetype, qsizetype>> lines = ReplayLineSpans(source);
    clearRun();
    ResetChartForReplay(m);

    // A first pass through the chart's bookkeeping alone tells which lines fall into sections
    // that later wraps clear again: their traces are never seen, so they are not drawn.
    std::vector<double> times(lines.size());
    size_t firstDrawn = 0;
    {
        Module1 plan = m;
        CountingSurface counting;
        const std::array<QString, kMaxChannels> noReadings{};
        std::vector<int> changesBefore(lines.size());
        int changes = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            times[i] = ReplayLineTime(source.mid(lines[i].first, lines[i].second));
            changesBefore[i] = changes;
            const qint16 section = i == 0 ? 0 : plan.CurrentSection;
            qint16 startOver = 0;
            qint16 doing = 1;
            ::UpdateScreen(plan, counting, noReadings, startOver, doing, times[i], QString(), 1);
            if (plan.CurrentSection != section)
                ++changes;
        }
        while (firstDrawn < lines.size() && changesBefore[firstDrawn] < changes - 2)
            ++firstDrawn;
    }
    const qint16 plannedSectionTime = m.StripChartTime;

    std::unique_ptr<QProgressDialog> progress;
    qint64 nextSlice = kReplaySliceMs;
    // The panel, the read-outs and the list show where the replay has got to.
    const auto showReplayState = [this] {
        List1->linesChanged();
        for (int i = 0; i < channelCount(); ++i)
            Picture5_1->setChannelCaption(i, ChannelText[i]);
        if (std::exchange(chart_->gaugeDue, false)) {
            float scratch = 0;
            DrawGaugeNeedle(0, scratch);
        }
        for (int i = 0; i < kTraceSlots; ++i)
            placeOffRangeMarker(i);
    };

    chart_->replaying = true;
    QString timeText;
    for (size_t i = 0; i < lines.size(); ++i) {
        RecordTime = times[i];
        timeText = num::Format(RecordTime, QStringLiteral("#########.0"));
        QString copy = source.mid(lines[i].first, lines[i].second);
        ::BreakoutTempData(copy, m.TCReading, m.NumChannels, m.DegCFlag, ChannelText);
        for (int c = 0; c < channelCount(); ++c)
            ChannelText[c] = FormatChannelReading(m.TCReading[c]);
        m.LastLine = SampleLine(timeText, ChannelText, m.NumChannels);
        appendRunLine(m.LastLine);
        // Should the section time change while the replay lets events run, every line is drawn.
        chart_->skipTraces = i < firstDrawn && m.StripChartTime == plannedSectionTime;
        qint16 StartOverFlag = 0;
        UpdateScreen(StartOverFlag, m.DoingStripChart, RecordTime, m.LastLine, 1);
        if (StartOverFlag == 1)
            s.prompts->say(QStringLiteral("Should not happen #44"));

        if (elapsed.elapsed() < nextSlice)
            continue;
        nextSlice = elapsed.elapsed() + kReplaySliceMs;
        if (!progress && elapsed.elapsed() >= kReplayProgressAfterMs) {
            progress = std::make_unique<QProgressDialog>(
                QStringLiteral("Reading the run's samples..."), QString(), 0,
                static_cast<int>(lines.size()), this);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        if (progress)
            progress->setValue(static_cast<int>(i));
        Label1[0]->setText(timeText);
        showReplayState();
        // Repaints and timers only: a command given now waits until the run is complete.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    chart_->replaying = false;
    chart_->skipTraces = false;
    if (!lines.empty())
        Label1[0]->setText(timeText);
    showReplayState();
    showStatus();
}

// ---------------------------------------------------------------- export

void VoviRezoZA::mnuExport_Click()
{
    Command3_Click();
}

void VoviRezoZA::Command3_Click()
{
    if (StopFlag != 1) {
        Command1_Click(1);
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
void VoviRezoZA::mnuExportCsv_Click()
{
    const std::optional<QString> chosen =
        s.prompts->saveFile(CsvDialogRequest(dataFolderPath(), m.FileName));
    if (!chosen || chosen->isEmpty())
        return;
    if (const int error = WriteCsvFile(*chosen, run_, channelCount(), runDegCFlag))
        s.prompts->say(CsvErrorText(*chosen, error));
}

// "New" has no handler of its own: choosing it does nothing.
void VoviRezoZA::mnuNew_Click() {}
