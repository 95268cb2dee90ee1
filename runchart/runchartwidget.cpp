#include "runchartwidget.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace
{

// A drag shorter than this is a click: it places a cursor.
constexpr int kDragPixels = 4;
// One notch of the wheel shows this much of the span before it.
constexpr double kWheelZoom = 0.8;
// How near to a mark the pointer must be for its text.
constexpr int kMarkPixels = 4;
// Lines far beyond the plot are drawn to here: the clip cuts them, and no coordinate overflows.
constexpr double kFarOff = 1.0e5;

const QColor kGrid(0xD0, 0xD0, 0xD0);
const QColor kAxis(0x40, 0x40, 0x40);
const QColor kMark(0xC0, 0x60, 0x00);
const std::array<QColor, 2> kCursorColors{QColor(0, 0, 0), QColor(0, 0, 0xA0)};

QColor channelColor(quint32 rgb)
{
    return QColor::fromRgb(QRgb(0xFF000000u | rgb));
}

QRect plotRect(const QRect& area, const QFontMetrics& metrics)
{
    const int text = metrics.height();
    const int left = metrics.horizontalAdvance(QStringLiteral("-00000.0")) + 8;
    // Room on the right for half of the last time label, which stands centred on its tick.
    const int right = metrics.horizontalAdvance(QStringLiteral("00:00:00.0")) / 2 + 4;
    return area.adjusted(left, text + 8, -right, -(2 * text + 10));
}

} // namespace

RunChartWidget::RunChartWidget(const SampleSource& run, QWidget* parent)
    : QWidget(parent), run_(run)
{
    setObjectName(QStringLiteral("runChart"));
    setAccessibleName(QStringLiteral("Run chart"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    followRepaint_.setSingleShot(true);
    followRepaint_.setInterval(kFollowRepaintMs);
    connect(&followRepaint_, &QTimer::timeout, this, [this] { rangeChanged(); });
    staleRebuild_.setSingleShot(true);
    staleRebuild_.setInterval(kStaleRebuildMs);
    connect(&staleRebuild_, &QTimer::timeout, this, &RunChartWidget::rebuildStale);
    runReplaced();
}

void RunChartWidget::setLook(const RunChartLook& look)
{
    look_ = look;
    update();
}

void RunChartWidget::runReplaced()
{
    summary_.rebuild(run_);
    cursors_ = {};
    takeRunSpan();
    range_.live();
    rangeChanged();
}

void RunChartWidget::runGrew()
{
    const bool inView = summary_.size() == 0 || summary_.lastTime() <= range_.end();
    summary_.append(run_);
    if (summary_.stale() && isVisible() && !staleRebuild_.isActive())
        staleRebuild_.start();
    takeRunSpan();
    // A closed chart is brought up to date when it shows again. A browsing view away from the
    // newest readings needs only its scroll bar moved, which waits for the next repaint.
    if (isVisible() && (range_.following() || inView) && !followRepaint_.isActive())
        followRepaint_.start();
}

void RunChartWidget::takeRunSpan()
{
    // A run's time begins at 0 with Start, before its first reading.
    range_.setRun(std::min(0.0, summary_.firstTime()), summary_.lastTime());
}

void RunChartWidget::rebuildStale()
{
    if (!summary_.stale())
        return;
    summary_.rebuild(run_);
    takeRunSpan();
    rangeChanged();
}

void RunChartWidget::setMarks(std::vector<ChartMark> marks)
{
    marks_ = std::move(marks);
    describe();
    update();
}

void RunChartWidget::setFitTemperatures(bool fit)
{
    fit_ = fit;
    update();
}

void RunChartWidget::rangeChanged()
{
    followRepaint_.stop();
    update();
    describe();
    emit rangeChangedByView();
}

void RunChartWidget::describe()
{
    QString text =
        QStringLiteral("Run time %1 to %2%3")
            .arg(ClockText(range_.start(), true), ClockText(range_.end(), true),
                 range_.following() ? QStringLiteral(", following the newest reading") : QString());
    for (const ChartMark& mark : marks_)
        if (mark.time >= range_.start() && mark.time <= range_.end())
            text += QStringLiteral("; %1 at %2").arg(mark.text, ClockText(mark.time, true));
    if (text != accessibleDescription())
        setAccessibleDescription(text);
}

void RunChartWidget::setCursorRow(int k, std::optional<qsizetype> row)
{
    if (row && (*row < 0 || *row >= run_.size()))
        row.reset();
    if (cursors_[size_t(k)] == row)
        return;
    cursors_[size_t(k)] = row;
    update();
}

void RunChartWidget::setCursorRowSoon(int k, std::optional<qsizetype> row)
{
    if (row && (*row < 0 || *row >= run_.size()))
        row.reset();
    if (cursors_[size_t(k)] == row)
        return;
    cursors_[size_t(k)] = row;
    if (isVisible() && !followRepaint_.isActive())
        followRepaint_.start();
}

std::optional<qsizetype> RunChartWidget::rowNearest(double t) const
{
    const qsizetype n = summary_.size();
    if (n == 0)
        return std::nullopt;
    qsizetype pos = std::min(summary_.lowerBound(t), n - 1);
    // Of two rows at the same distance the earlier wins, as in the reading list.
    if (pos > 0 && std::fabs(summary_.at(pos - 1).time - t) <= std::fabs(summary_.at(pos).time - t))
        --pos;
    while (pos > 0 && summary_.at(pos - 1).time == summary_.at(pos).time)
        --pos;
    return summary_.row(pos);
}

double RunChartWidget::timeAt(double x) const
{
    const QRect plot = plotRect(rect(), fontMetrics());
    return range_.start() + (x - plot.left()) * range_.span() / std::max(1, plot.width());
}

double RunChartWidget::xOf(double t) const
{
    const QRect plot = plotRect(rect(), fontMetrics());
    return plot.left() + (t - range_.start()) * plot.width() / range_.span();
}

const ChartMark* RunChartWidget::markAt(double x) const
{
    const ChartMark* nearest = nullptr;
    double best = kMarkPixels + 0.5;
    for (const ChartMark& mark : marks_) {
        const double d = std::fabs(xOf(mark.time) - x);
        if (d < best) {
            best = d;
            nearest = &mark;
        }
    }
    return nearest;
}

RunChartWidget::Frame RunChartWidget::frameFor(const QRect& area, const QFontMetrics& metrics,
                                               const std::vector<ChartColumn>& columns) const
{
    Frame frame;
    frame.plot = plotRect(area, metrics);
    double low = look_.graphMin;
    double high = look_.graphMax;
    if (fit_) {
        double lowest = kNoReading;
        double highest = kNoReading;
        for (const ChartColumn& column : columns) {
            for (int ch = 0; ch < look_.channels; ++ch) {
                lowest = std::fmin(lowest, column.lowest[ch]);
                highest = std::fmax(highest, column.highest[ch]);
            }
        }
        const auto fitted = FitTemperatureRange(lowest, highest);
        if (HasReading(float(fitted.first)) && std::isfinite(fitted.second - fitted.first)) {
            low = fitted.first;
            high = fitted.second;
        }
    }
    if (!(high > low))
        high = low + 1;
    frame.low = low;
    frame.high = high;
    return frame;
}

void RunChartWidget::paintChart(QPainter& painter, const QRect& area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, Qt::white);
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect plotArea = plotRect(area, metrics);
    const int columnCount = std::max(1, plotArea.width());
    const std::vector<ChartColumn> columns =
        DecimateRun(summary_, range_.start(), range_.end(), columnCount);
    const Frame frame = frameFor(area, metrics, columns);
    const QRect& plot = frame.plot;
    const double xScale = plot.width() / range_.span();
    const double yScale = plot.height() / (frame.high - frame.low);
    const auto x = [&](double t) { return plot.left() + (t - range_.start()) * xScale; };
    const auto y = [&](double v) {
        return std::clamp(plot.bottom() + 1 - (v - frame.low) * yScale, -kFarOff, kFarOff);
    };
    const int text = metrics.height();

    // Grid and axes.
    painter.setPen(kGrid);
    const auto temperatureTicks =
        TemperatureTicks(frame.low, frame.high, std::max(2, plot.height() / (3 * text)));
    for (const AxisTick& tick : temperatureTicks) {
        const double ty = y(tick.value);
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot.left(), ty), QPointF(plot.right(), ty));
        painter.setPen(kAxis);
        painter.drawText(QRectF(area.left(), ty - text / 2.0, plot.left() - area.left() - 4, text),
                         Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00.0")) + 12;
    const auto timeTicks =
        TimeTicks(range_.start(), range_.end(), std::max(2, plot.width() / labelWidth));
    for (const AxisTick& tick : timeTicks) {
        const double tx = x(tick.value);
        painter.setPen(kGrid);
        painter.drawLine(QPointF(tx, plot.top()), QPointF(tx, plot.bottom()));
        painter.setPen(kAxis);
        painter.drawText(QRectF(tx - labelWidth / 2.0, plot.bottom() + 4, labelWidth, text),
                         Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }
    painter.setPen(kAxis);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    painter.drawText(QRect(plot.left(), plot.bottom() + text + 6, plot.width(), text),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Run time (h:mm:ss)"));

    // Legend: the axis's unit, then each channel in its colour.
    int legendX = area.left() + 4;
    const int legendY = area.top() + 4;
    const QString unitText = QStringLiteral("Temperature Deg ") + look_.unit;
    painter.drawText(QRect(legendX, legendY, metrics.horizontalAdvance(unitText) + 4, text),
                     Qt::AlignLeft | Qt::AlignVCenter, unitText);
    legendX += metrics.horizontalAdvance(unitText) + 3 * text;
    for (int ch = 0; ch < look_.channels; ++ch) {
        painter.fillRect(QRect(legendX, legendY + text / 2 - 2, 2 * text, 4),
                         channelColor(look_.colors[size_t(ch)]));
        legendX += 2 * text + 4;
        const QString name = QStringLiteral("Ch %1").arg(ch + 1);
        painter.setPen(kAxis);
        painter.drawText(QRect(legendX, legendY, metrics.horizontalAdvance(name) + 4, text),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        legendX += metrics.horizontalAdvance(name) + 2 * text;
    }

    painter.setClipRect(plot);
    // Marks under the traces, so a trace is never hidden by one.
    QPen markPen(kMark, 1, Qt::DashLine);
    painter.setPen(markPen);
    for (const ChartMark& mark : marks_) {
        if (mark.time < range_.start() || mark.time > range_.end())
            continue;
        const double mx = x(mark.time);
        painter.drawLine(QPointF(mx, plot.top()), QPointF(mx, plot.bottom()));
        // Its text beside it at the foot of the plot, where the traces seldom run.
        painter.drawText(QRectF(mx + 3, plot.bottom() - text - 2,
                                metrics.horizontalAdvance(mark.text) + 4, text),
                         Qt::AlignLeft | Qt::AlignVCenter, mark.text);
    }

    // Traces: a line through each column's first and last reading, joined to the column before
    // where the readings on either side are joined, and a bar from the column's lowest to its
    // highest reading.
    const qsizetype n = summary_.size();
    const qsizetype firstPos = columns.empty() ? 0 : columns.front().from;
    const qsizetype endPos = columns.empty() ? 0 : columns.back().to;
    std::vector<QPolygonF> runs;
    std::vector<QLineF> bars;
    std::vector<QPointF> points;
    QPolygonF current;
    const auto endRun = [&] {
        if (current.size() > 1)
            runs.push_back(current);
        else if (current.size() == 1)
            points.push_back(current.front());
        current.clear();
    };
    for (int ch = 0; ch < look_.channels; ++ch) {
        runs.clear();
        bars.clear();
        points.clear();
        current.clear();
        // The reading before the view joins the first one in it.
        qsizetype lastPos = firstPos > 0 ? firstPos - 1 : -1;
        if (lastPos >= 0 && HasReading(summary_.at(lastPos).values[ch]))
            current << QPointF(x(summary_.at(lastPos).time), y(summary_.at(lastPos).values[ch]));
        for (size_t c = 0; c < columns.size(); ++c) {
            const ChartColumn& column = columns[c];
            if (column.from == column.to)
                continue;
            const double cx = plot.left() + c + 0.5;
            const RunSample& first = summary_.at(column.from);
            const RunSample& last = summary_.at(column.to - 1);
            if (lastPos < 0 || !JoinedReadings(summary_.at(lastPos), first, ch))
                endRun();
            if (HasReading(first.values[ch]))
                current << QPointF(cx, y(first.values[ch]));
            if (column.lowest[ch] < column.highest[ch])
                bars.emplace_back(cx, y(column.lowest[ch]), cx, y(column.highest[ch]));
            else if (HasReading(column.lowest[ch]))
                points.emplace_back(cx, y(column.lowest[ch]));
            if (column.to - 1 != column.from) {
                if (!HasReading(last.values[ch]))
                    endRun();
                else
                    current << QPointF(cx, y(last.values[ch]));
            }
            lastPos = column.to - 1;
        }
        if (endPos < n && lastPos >= 0 &&
            JoinedReadings(summary_.at(lastPos), summary_.at(endPos), ch))
            current << QPointF(x(summary_.at(endPos).time), y(summary_.at(endPos).values[ch]));
        endRun();
        QPen pen(channelColor(look_.colors[size_t(ch)]), std::max(1, look_.lineWidth));
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        for (const QPolygonF& run : runs)
            painter.drawPolyline(run);
        painter.drawLines(bars.data(), int(bars.size()));
        painter.drawPoints(points.data(), int(points.size()));
    }

    // Cursors over the traces.
    for (int k = 0; k < 2; ++k) {
        if (!cursors_[size_t(k)] || *cursors_[size_t(k)] >= run_.size())
            continue;
        const double cx = x(run_.sample(*cursors_[size_t(k)]).time);
        painter.setPen(QPen(kCursorColors[size_t(k)], 1, k == 0 ? Qt::SolidLine : Qt::DashLine));
        painter.drawLine(QPointF(cx, plot.top()), QPointF(cx, plot.bottom()));
        painter.drawText(QRectF(cx + 3, plot.top() + 2, text * 2, text),
                         Qt::AlignLeft | Qt::AlignTop, QString::number(k + 1));
    }
    if (dragging_ && dragFrom_) {
        const QRect band = QRect(QPoint(std::min(*dragFrom_, dragTo_), plot.top()),
                                 QPoint(std::max(*dragFrom_, dragTo_), plot.bottom()));
        painter.fillRect(band, QColor(0x30, 0x60, 0xC0, 0x40));
    }
    painter.restore();
}

void RunChartWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintChart(painter, rect());
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void RunChartWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (summary_.stale())
        staleRebuild_.start();
    rangeChanged();
}

void RunChartWidget::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const bool sideways = angle.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    const double notches = (angle.y() != 0 ? angle.y() : angle.x()) / 120.0;
    if (sideways)
        range_.pan(-notches * range_.span() / 10);
    else
        range_.zoom(std::pow(kWheelZoom, notches), timeAt(event->position().x()));
    rangeChanged();
    event->accept();
}

void RunChartWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = int(event->position().x());
        dragTo_ = *dragFrom_;
        dragging_ = false;
    }
    event->accept();
}

void RunChartWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragFrom_)
        return;
    dragTo_ = int(event->position().x());
    dragging_ = dragging_ || std::abs(dragTo_ - *dragFrom_) > kDragPixels;
    if (dragging_)
        update();
}

void RunChartWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const double atX = event->position().x();
    if (event->button() == Qt::LeftButton && dragFrom_ && dragging_) {
        range_.setRange(timeAt(*dragFrom_), timeAt(atX));
        dragFrom_.reset();
        dragging_ = false;
        rangeChanged();
        return;
    }
    dragFrom_.reset();
    dragging_ = false;
    const int k = event->button() == Qt::LeftButton    ? 0
                  : event->button() == Qt::RightButton ? 1
                                                       : -1;
    if (k < 0)
        return;
    const std::optional<qsizetype> row = rowNearest(timeAt(atX));
    if (!row)
        return;
    setCursorRow(k, row);
    emit cursorMovedByUser(k);
}

void RunChartWidget::moveCursorBy(int k, int readings)
{
    const qsizetype n = summary_.size();
    if (n == 0)
        return;
    qsizetype pos = n - 1;
    if (const auto row = cursors_[size_t(k)]) {
        if (summary_.timesOrdered()) {
            pos = *row;
        } else {
            for (qsizetype p = 0; p < n; ++p)
                if (summary_.row(p) == *row)
                    pos = p;
        }
        pos = std::clamp<qsizetype>(pos + readings, 0, n - 1);
    }
    setCursorRow(k, summary_.row(pos));
    emit cursorMovedByUser(k);
}

void RunChartWidget::keyPressEvent(QKeyEvent* event)
{
    const int k = (event->modifiers() & Qt::ShiftModifier) ? 1 : 0;
    switch (event->key()) {
    case Qt::Key_Left:
        moveCursorBy(k, -1);
        break;
    case Qt::Key_Right:
        moveCursorBy(k, 1);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        range_.zoom(kWheelZoom, range_.start() + range_.span() / 2);
        rangeChanged();
        break;
    case Qt::Key_Minus:
        range_.zoom(1 / kWheelZoom, range_.start() + range_.span() / 2);
        rangeChanged();
        break;
    case Qt::Key_Escape:
        if (!cursors_[0] && !cursors_[1])
            return QWidget::keyPressEvent(event);
        setCursorRow(0, std::nullopt);
        setCursorRow(1, std::nullopt);
        emit cursorsRemovedByUser();
        break;
    case Qt::Key_PageUp:
        range_.pan(-range_.span());
        rangeChanged();
        break;
    case Qt::Key_PageDown:
        range_.pan(range_.span());
        rangeChanged();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool RunChartWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const ChartMark* mark = markAt(help->pos().x()))
            QToolTip::showText(
                help->globalPos(),
                QStringLiteral("%1  %2").arg(ClockText(mark->time, true), mark->text), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
