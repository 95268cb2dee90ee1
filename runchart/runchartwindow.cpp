#include "runchartwindow.h"

#include "printwin.h"
#include "runmodel.h"
#include "seams.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <memory>

namespace
{

// The printed page is laid out as the screen shows it, at 96 dots per inch.
constexpr double kScreenDpi = 96.0;
constexpr int kPrintFontPixels = 13;

QString deviceName(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("the file \"%1\"").arg(printer.outputFileName());
    return QStringLiteral("the printer \"%1\"").arg(printer.printerName());
}

} // namespace

RunChartWindow::RunChartWindow(const RunModel& run, Prompts& prompts, QPrinter& printer,
                               Clock& clock, std::function<RunChartSettings()> settings,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), run_(run), prompts_(prompts), printer_(printer), clock_(clock),
      settings_(std::move(settings))
{
    setObjectName(QStringLiteral("runChartWindow"));
    chart = new RunChartWidget(run, this);

    auto button = [this](const QString& caption, const QString& name, const QString& spoken) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAccessibleName(spoken);
        return b;
    };
    lastMinuteButton = button(QStringLiteral("1 min"), QStringLiteral("lastMinute"),
                              QStringLiteral("Show the last minute"));
    lastTenMinutesButton = button(QStringLiteral("10 min"), QStringLiteral("lastTenMinutes"),
                                  QStringLiteral("Show the last 10 minutes"));
    lastHourButton = button(QStringLiteral("1 h"), QStringLiteral("lastHour"),
                            QStringLiteral("Show the last hour"));
    wholeRunButton = button(QStringLiteral("Whole run"), QStringLiteral("wholeRun"),
                            QStringLiteral("Show the whole run"));
    liveButton = button(QStringLiteral("Live"), QStringLiteral("live"),
                        QStringLiteral("Follow the newest reading"));
    printButton = button(QStringLiteral("Print"), QStringLiteral("printRunChart"),
                         QStringLiteral("Print the run chart"));
    fitBox = new QCheckBox(QStringLiteral("Fit temperatures to the readings shown"), this);
    fitBox->setObjectName(QStringLiteral("fitTemperatures"));
    fitBox->setAccessibleName(QStringLiteral("Fit the temperature axis to the readings shown; "
                                             "otherwise the graph range"));
    fitBox->setChecked(chart->fitTemperatures());
    scrollBar = new QScrollBar(Qt::Horizontal, this);
    scrollBar->setObjectName(QStringLiteral("runChartScroll"));
    scrollBar->setAccessibleName(QStringLiteral("Run time shown"));
    scrollBar->setFocusPolicy(Qt::StrongFocus);
    readout = new QLabel(this);
    readout->setObjectName(QStringLiteral("cursorReadout"));
    readout->setAccessibleName(QStringLiteral("Cursor read-out"));
    readout->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    readout->setFocusPolicy(Qt::StrongFocus);
    readout->setFont(QFont(QStringLiteral("Monospace")));

    auto* buttons = new QHBoxLayout;
    for (QWidget* w :
         {static_cast<QWidget*>(lastMinuteButton), static_cast<QWidget*>(lastTenMinutesButton),
          static_cast<QWidget*>(lastHourButton), static_cast<QWidget*>(wholeRunButton),
          static_cast<QWidget*>(liveButton)})
        buttons->addWidget(w);
    buttons->addSpacing(12);
    buttons->addWidget(fitBox);
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(chart, 1);
    layout->addWidget(scrollBar);
    layout->addWidget(readout);
    // Tab runs along the window from the top left, as it reads.
    QWidget* order[] = {
        lastMinuteButton, lastTenMinutesButton, lastHourButton, wholeRunButton, liveButton,
        fitBox,           printButton,          chart,          scrollBar,      readout};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    const auto showLast = [this](double seconds) {
        chart->changeRange([seconds](ChartRange& r) { r.showLast(seconds); });
    };
    connect(lastMinuteButton, &QPushButton::clicked, this, [showLast] { showLast(60); });
    connect(lastTenMinutesButton, &QPushButton::clicked, this, [showLast] { showLast(600); });
    connect(lastHourButton, &QPushButton::clicked, this, [showLast] { showLast(3600); });
    connect(wholeRunButton, &QPushButton::clicked, this,
            [this] { chart->changeRange([](ChartRange& r) { r.showWholeRun(); }); });
    connect(liveButton, &QPushButton::clicked, this,
            [this] { chart->changeRange([](ChartRange& r) { r.live(); }); });
    connect(fitBox, &QCheckBox::toggled, chart, &RunChartWidget::setFitTemperatures);
    connect(printButton, &QPushButton::clicked, this, &RunChartWindow::print);
    connect(scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        chart->changeRange([value](ChartRange& r) { r.scrollTo(value); });
    });
    connect(chart, &RunChartWidget::rangeChangedByView, this, &RunChartWindow::onRangeChanged);
    connect(chart, &RunChartWidget::cursorMovedByUser, this, &RunChartWindow::onCursorMoved);
    connect(chart, &RunChartWidget::cursorsRemovedByUser, this, [this] {
        cursorPlaced_ = false; // the list follows the newest reading again
        showReadout();
    });
    auto* printKey = new QShortcut(QKeySequence::Print, this);
    connect(printKey, &QShortcut::activated, this, &RunChartWindow::print);

    connect(&run_, &RunModel::eventAdded, this, &RunChartWindow::takeEvents);
    // A new reading costs the chart an append to its summary; drawing waits for its timer.
    connect(&run_, &RunModel::sampleAdded, chart, [this] { chart->runGrew(); });
    connect(&run_, &RunModel::runReplaced, this, [this] {
        cursorPlaced_ = false;
        chart->runReplaced();
        takeEvents();
        // A new recording is followed at the default span; an opened run is seen whole.
        if (!run_.isRecording())
            chart->changeRange([](ChartRange& r) { r.showWholeRun(); });
        refreshSettings();
    });

    takeEvents();
    if (!run_.isRecording())
        chart->changeRange([](ChartRange& r) { r.showWholeRun(); });
    refreshSettings();
    resize(960, 560);
}

void RunChartWindow::refreshSettings()
{
    const RunChartSettings settings = settings_();
    chart->setLook(settings.look);
    fileName_ = settings.fileName;
    const QString title = QStringLiteral("Run Chart - ") + fileName_;
    if (title != windowTitle())
        setWindowTitle(title);
    showReadout();
}

void RunChartWindow::takeEvents()
{
    // A run has a handful of events: taking them all again costs nothing worth keeping apart.
    std::vector<ChartMark> marks;
    marks.reserve(run_.events().size());
    for (const RunEvent& event : run_.events())
        marks.push_back({event.time, event.text});
    chart->setMarks(std::move(marks));
}

void RunChartWindow::onRangeChanged()
{
    refreshSettings(); // a new thickness or file name shows at the next drawing
    const ChartRange& range = chart->range();
    const QSignalBlocker quiet(scrollBar);
    scrollBar->setRange(0, range.scrollMaximum());
    scrollBar->setPageStep(range.scrollPage());
    scrollBar->setSingleStep(std::max(1, range.scrollPage() / 10));
    scrollBar->setValue(range.scrollValue());
    liveButton->setEnabled(!range.following());
    showReadout();
}

void RunChartWindow::onCursorMoved(int k)
{
    cursorPlaced_ = true;
    showReadout();
    if (k == 0)
        if (const auto row = chart->cursorRow(0))
            emit firstCursorMoved(*row);
}

void RunChartWindow::showFirstCursorAt(qsizetype row)
{
    // The read-out follows with the repaint.
    chart->setCursorRowSoon(0, row);
}

QStringList RunChartWindow::readoutLines() const
{
    const auto sampleOf = [this](int k) -> const RunSample* {
        const auto row = chart->cursorRow(k);
        return row && *row < run_.size() ? &run_.sample(*row) : nullptr;
    };
    return CursorReadout(sampleOf(0), sampleOf(1), chart->look().channels, chart->look().unit);
}

void RunChartWindow::showReadout()
{
    QString text = readoutLines().join(QLatin1Char('\n'));
    if (text.isEmpty())
        text = QStringLiteral(
            "Click the chart for cursor 1, right-click for cursor 2; Esc removes them.");
    if (text != readout->text())
        readout->setText(text);
}

void RunChartWindow::print()
{
    refreshSettings();
    std::unique_ptr<QPrinter> pdf;
    QPrinter* device = &printer_;
    if (HasPrinter(printer_)) {
        switch (prompts_.choosePrintOutput(printer_.printerName())) {
        case PrintOutput::Printer:
            break;
        case PrintOutput::Cancel:
            return;
        case PrintOutput::PdfFile:
            device = nullptr;
            break;
        }
    } else {
        device = nullptr;
    }
    if (!device) {
        const std::optional<QString> chosen =
            prompts_.saveFile(PdfDialogRequest(run_.dataFolder(), fileName_));
        if (!chosen || chosen->isEmpty())
            return;
        pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
        pdf->setOutputFormat(QPrinter::PdfFormat);
        pdf->setOutputFileName(*chosen);
        pdf->setPageLayout(printer_.pageLayout());
        pdf->setCreator(kAppTitle);
        pdf->setDocName(QFileInfo(*chosen).completeBaseName());
        device = pdf.get();
    }
    QString error;
    if (!printTo(*device, &error))
        prompts_.say(error);
}

bool RunChartWindow::printTo(QPrinter& device, QString* error)
{
    device.setPageOrientation(QPageLayout::Landscape);
    if (!HasPrinter(device)) {
        *error = QStringLiteral("No printer is installed.");
        return false;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        *error = QStringLiteral("Printing could not start on %1.").arg(deviceName(device));
        return false;
    }
    const double scale = device.logicalDpiX() / kScreenDpi;
    painter.scale(scale, scale);
    const QRect page(0, 0, int(painter.device()->width() / scale),
                     int(painter.device()->height() / scale));
    QFont font = chart->font();
    font.setPixelSize(kPrintFontPixels);
    painter.setFont(font);
    const int text = painter.fontMetrics().height();
    painter.setPen(Qt::black);
    painter.drawText(QRect(page.left(), page.top(), page.width(), text), Qt::AlignLeft,
                     QStringLiteral("Run chart of ") + fileName_);
    painter.drawText(QRect(page.left(), page.top(), page.width(), text), Qt::AlignRight,
                     clock_.now().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    QStringList lines = readoutLines();
    // The marks' texts, which the screen shows as tool tips, are written under the chart.
    QStringList shown;
    for (const ChartMark& mark : chart->marks())
        if (mark.time >= chart->range().start() && mark.time <= chart->range().end())
            shown << ClockText(mark.time, true) + QLatin1Char(' ') + mark.text;
    if (!shown.isEmpty())
        lines << QStringLiteral("Events: ") + shown.join(QStringLiteral("; "));
    const QRect chartArea =
        page.adjusted(0, text + 8, 0, -(int(lines.size()) * text + (lines.isEmpty() ? 0 : 8)));
    chart->paintChart(painter, chartArea);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(page.left(), chartArea.bottom() + 8 + i * text, page.width(), text),
                         Qt::AlignLeft, lines[i]);
    if (!painter.end() || device.printerState() == QPrinter::Error) {
        *error = QStringLiteral("Printing failed on %1.").arg(deviceName(device));
        return false;
    }
    return true;
}
