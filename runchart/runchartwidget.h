#pragma once
// The run chart: the whole run against run time, drawn from the run's samples with one lowest
// and highest reading per pixel column, so a day-long run redraws as fast as a minute. It zooms
// with the wheel and a dragged range, follows the newest reading while the run records, and
// carries two cursors. Painting goes through paintChart, which also draws the printed page.

#include "runchartmath.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

// How the chart draws a run: colours, unit and graph range as the window's settings give them,
// the range already in the run's unit.
struct RunChartLook {
    std::array<quint32, kRecorderChannels> colors{0xFF0000, 0x8080FF, 0x00FF00, 0xFF00FF};
    int channels = kRecorderChannels;
    QString unit = QStringLiteral("F"); // the run's: "F" or "C"
    double graphMin = 900;
    double graphMax = 1700;
    int lineWidth = 1;
};

// A mark at a run time with its text (a disconnected logger, an alarm).
struct ChartMark {
    double time = 0;
    QString text;
};

class RunChartWidget : public QWidget
{
    Q_OBJECT
public:
    // Repaints while following come at most this often: recording never waits for the chart.
    static constexpr int kFollowRepaintMs = 250;
    // A summary left stale by a clock set back is summarised afresh at most this often.
    static constexpr int kStaleRebuildMs = 1000;

    explicit RunChartWidget(const SampleSource& run, QWidget* parent = nullptr);

    void setLook(const RunChartLook& look);
    const RunChartLook& look() const { return look_; }
    // The run was replaced: summarised afresh, cursors gone, following its newest reading.
    void runReplaced();
    // The run gained rows at its end.
    void runGrew();
    void setMarks(std::vector<ChartMark> marks);
    const std::vector<ChartMark>& marks() const { return marks_; }

    const RunSummary& summary() const { return summary_; }
    const ChartRange& range() const { return range_; }
    // Changes the visible range (a range button, Live, the scroll bar) and repaints.
    template <typename Change> void changeRange(Change&& change)
    {
        change(range_);
        rangeChanged();
    }
    // True: the temperature axis fits the readings in view; false: the graph range.
    void setFitTemperatures(bool fit);
    bool fitTemperatures() const { return fit_; }

    // Cursor k (0 or 1) stands at run row `row`; nothing when it is not placed.
    std::optional<qsizetype> cursorRow(int k) const { return cursors_[size_t(k)]; }
    void setCursorRow(int k, std::optional<qsizetype> row);
    // The same, shown with the next repaint of a following chart: the reading list moves to
    // each new reading while the run records.
    void setCursorRowSoon(int k, std::optional<qsizetype> row);
    // The row nearest to run time `t`; nothing in an empty run.
    std::optional<qsizetype> rowNearest(double t) const;

    // Draws the chart as it is shown into `area`: axes, legend, traces, marks, cursors.
    void paintChart(QPainter& painter, const QRect& area) const;
    // The run time at x in the widget; the x of run time t.
    double timeAt(double x) const;
    double xOf(double t) const;
    // The mark nearest to widget x, within a few pixels.
    const ChartMark* markAt(double x) const;

signals:
    // The visible range changed (by the mouse, the keys or a following view's new reading).
    void rangeChangedByView();
    // The user put cursor k somewhere else.
    void cursorMovedByUser(int k);
    // Esc took both cursors away.
    void cursorsRemovedByUser();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Frame {
        QRect plot;
        double low = 0;
        double high = 1;
    };
    Frame frameFor(const QRect& area, const QFontMetrics& metrics,
                   const std::vector<ChartColumn>& columns) const;
    void rangeChanged();
    void rebuildStale();
    void takeRunSpan();
    void moveCursorBy(int k, int readings);
    void describe();

    const SampleSource& run_;
    RunSummary summary_;
    ChartRange range_;
    RunChartLook look_;
    std::vector<ChartMark> marks_;
    bool fit_ = true;
    std::array<std::optional<qsizetype>, 2> cursors_{};
    QTimer followRepaint_;
    QTimer staleRebuild_;
    std::optional<int> dragFrom_; // x where the left button went down
    int dragTo_ = 0;
    bool dragging_ = false;
};
