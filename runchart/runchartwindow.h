#pragma once
// The run chart's window: the chart, its range buttons ("1 min", "10 min", "1 h", "Whole run",
// "Live"), the temperature axis's choice, a scroll bar, the cursors' read-out and Print. It
// follows the run model's signals; the main window keeps the reading list in step with the
// first cursor through firstCursorMoved and showFirstCursorAt.

#include "runchartwidget.h"

#include <QWidget>
#include <functional>

class Clock;
class Prompts;
class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;
class RunModel;

// What the window needs to know about the program's settings, asked whenever it draws anew.
struct RunChartSettings {
    RunChartLook look;
    QString fileName; // as the main window's title names the run
};

class RunChartWindow : public QWidget
{
    Q_OBJECT
public:
    RunChartWindow(const RunModel& run, Prompts& prompts, QPrinter& printer, Clock& clock,
                   std::function<RunChartSettings()> settings, QWidget* parent = nullptr);

    RunChartWidget* chart = nullptr;
    QPushButton* lastMinuteButton = nullptr;
    QPushButton* lastTenMinutesButton = nullptr;
    QPushButton* lastHourButton = nullptr;
    QPushButton* wholeRunButton = nullptr;
    QPushButton* liveButton = nullptr;
    QCheckBox* fitBox = nullptr;
    QScrollBar* scrollBar = nullptr;
    QLabel* readout = nullptr;
    QPushButton* printButton = nullptr;

    // The settings changed (unit, graph range, colours, thickness, file name).
    void refreshSettings();
    // The reading list moved to `row`: the first cursor goes there too.
    void showFirstCursorAt(qsizetype row);
    // True once the user has put a cursor on the chart in this run, until Esc removes them: the
    // list then stays with the first cursor instead of jumping to each new reading.
    bool cursorPlaced() const { return cursorPlaced_; }
    // Print or PDF of the chart as it is shown, through the Prompts seam.
    void print();
    // The read-out's lines as shown.
    QStringList readoutLines() const;

signals:
    void firstCursorMoved(qsizetype row);

private:
    void onRangeChanged();
    void onCursorMoved(int k);
    void showReadout();
    void takeEvents();
    bool printTo(QPrinter& device, QString* error);

    const RunModel& run_;
    Prompts& prompts_;
    QPrinter& printer_;
    Clock& clock_;
    std::function<RunChartSettings()> settings_;
    QString fileName_;
    bool cursorPlaced_ = false;
};
