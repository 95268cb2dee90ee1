#include "sectionbox.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{

constexpr double kScaleTop = 1.05;
constexpr double kScaleHeight = -1.1;
constexpr QRgb kBackground = qRgb(255, 255, 255);

// Liang-Barsky: the part of the line inside `r`, or false when none is. Keeps coordinates
// of samples far outside the section (long gaps in a replayed file) within what the raster
// engine handles.
bool clipToRect(QLineF& line, const QRectF& r)
{
    const double dx = line.dx();
    const double dy = line.dy();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1() - r.left(), r.right() - line.x1(), line.y1() - r.top(),
                         r.bottom() - line.y1()};
    double t0 = 0;
    double t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = line.p1();
    line = QLineF(start + QPointF(dx, dy) * t0, start + QPointF(dx, dy) * t1);
    return true;
}

// `image` scaled to `size`, or a white image when there is nothing yet. Pixels are repeated,
// not blended, so trace colours stay exact.
QImage fitted(const QImage& image, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(kBackground);
    if (!image.isNull()) {
        QPainter painter(&out);
        painter.drawImage(out.rect(), image);
    }
    return out;
}

} // namespace

SectionBox::SectionBox(QWidget* parent) : ImageWidget(parent)
{
    refreshImage();
}

namespace
{

// The cursor's box: 12 x 25 pixels at 96 dpi, the "+" in a 13-point font at its left, centred
// from top to bottom.
constexpr QSize kCursorSize{12, 25};
constexpr int kCursorPoints = 13;

} // namespace

void SectionBox::showCursor(std::optional<QPoint> topLeft)
{
    if (topLeft == cursor_)
        return;
    if (cursor_)
        update(cursorRect());
    cursor_ = topLeft;
    if (cursor_)
        update(cursorRect());
}

QRect SectionBox::cursorRect() const
{
    // Some room around the glyph, which may stand a little past its box.
    return cursor_ ? QRect(*cursor_, kCursorSize).adjusted(-2, -2, 4, 2) : QRect();
}

void SectionBox::paintEvent(QPaintEvent* event)
{
    ImageWidget::paintEvent(event);
    if (!cursor_ || !event->rect().intersects(cursorRect()))
        return;
    QPainter painter(this);
    QFont font(QStringLiteral("Sans Serif"), kCursorPoints);
    painter.setFont(font);
    if (cursorText_.text().isEmpty()) {
        cursorText_.setText(QStringLiteral("+"));
        cursorText_.setTextFormat(Qt::PlainText);
        cursorText_.prepare(QTransform(), font);
    }
    const int top = cursor_->y() + (kCursorSize.height() - qRound(cursorText_.size().height())) / 2;
    painter.setPen(Qt::black);
    painter.drawStaticText(cursor_->x(), top, cursorText_);
}

void SectionBox::clear()
{
    pending_.clear();
    grid_.clear();
    pendingArea_ = {};
    refreshImage();
    image_.fill(kBackground);
    update();
}

void SectionBox::setScaleWidth(double scaleWidth)
{
    if (std::isfinite(scaleWidth) && scaleWidth > 0)
        scaleWidth_ = scaleWidth;
}

void SectionBox::drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width,
                          bool dotted)
{
    if (image_.size() != imageSize()) // lines wait to be painted together, at the box's size
        refreshImage();
    if (dotted)
        grid_.push_back({x1, y1, x2, y2, rgb, width});
    QLineF line(toPixel(x1, y1), toPixel(x2, y2));
    if (!std::isfinite(line.x1()) || !std::isfinite(line.y1()) || !std::isfinite(line.x2()) ||
        !std::isfinite(line.y2()))
        return;
    const int penWidth = std::max(1, width);
    const double margin = penWidth + 2.0;
    const QRectF area = QRectF(image_.rect()).adjusted(-margin, -margin, margin, margin);
    if (!clipToRect(line, area))
        return;

    if (pending_.empty()) // one repaint for everything drawn until the event loop runs
        QMetaObject::invokeMethod(
            this, [this] { flushLines(); }, Qt::QueuedConnection);
    pending_.push_back({line, rgb, penWidth, dotted});
    pendingArea_ |= QRectF(line.p1(), line.p2())
                        .normalized()
                        .adjusted(-margin, -margin, margin, margin)
                        .toAlignedRect();
}

void SectionBox::flushLines()
{
    if (pending_.empty())
        return;
    {
        QPainter painter(&image_);
        QPen pen;
        bool havePen = false;
        for (const PendingLine& p : pending_) {
            const QColor colour = OpaqueColor(p.rgb);
            const Qt::PenStyle style = p.dotted ? Qt::DotLine : Qt::SolidLine;
            if (!havePen || pen.color() != colour || pen.width() != p.width ||
                pen.style() != style) {
                pen = QPen(colour, p.width, style, Qt::RoundCap, Qt::RoundJoin);
                painter.setPen(pen);
                havePen = true;
            }
            if (p.line.p1() == p.line.p2())
                painter.drawPoint(p.line.p1());
            else
                painter.drawLine(p.line);
        }
    }
    pending_.clear();
    update(pendingArea_);
    pendingArea_ = {};
}

QPointF SectionBox::toPixel(double x, double y) const
{
    return {x / scaleWidth_ * width(), (y - kScaleTop) / kScaleHeight * height()};
}

QPointF SectionBox::toUser(const QPointF& pixel) const
{
    const double w = std::max(1, width());
    const double h = std::max(1, height());
    return {pixel.x() / w * scaleWidth_, kScaleTop + pixel.y() / h * kScaleHeight};
}

void SectionBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refreshImage();
}

void SectionBox::refreshImage()
{
    flushLines();
    if (image_.size() != imageSize())
        refit();
}

void SectionBox::refit()
{
    const QImage traces = fitted(image_, imageSize());
    image_ = fitted(QImage(), imageSize());
    std::vector<QRgb> gridColours;
    {
        QPainter painter(&image_);
        for (const GridLine& g : grid_) {
            const QColor colour = OpaqueColor(g.rgb);
            gridColours.push_back(colour.rgb());
            painter.setPen(QPen(colour, std::max(1, g.width), Qt::DotLine, Qt::RoundCap));
            painter.drawLine(QLineF(toPixel(g.x1, g.y1), toPixel(g.x2, g.y2)));
        }
    }
    // What is neither background nor a division line is a trace, and goes on top.
    for (int y = 0; y < traces.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(traces.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < traces.width(); ++x) {
            const QRgb c = from[x];
            if (c != kBackground &&
                std::find(gridColours.begin(), gridColours.end(), c) == gridColours.end())
                to[x] = c;
        }
    }
}
