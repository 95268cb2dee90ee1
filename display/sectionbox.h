#pragma once
// One strip-chart section box. Lines are drawn into the widget's retained image in a user scale
// (x 0..scaleWidth left to right, y 1.05 at the top edge down to -0.05 at the bottom), because
// the chart is never redrawn from data. Child labels and the graph cursor paint over it.

#include "imagewidget.h"

#include <QLineF>
#include <QPoint>
#include <QStaticText>
#include <optional>
#include <QPointF>
#include <vector>

class SectionBox : public ImageWidget
{
public:
    explicit SectionBox(QWidget* parent = nullptr);

    // All white again.
    void clear();
    // Seconds across the box. A width that is not positive and finite is ignored, so the scale
    // stays usable.
    void setScaleWidth(double scaleWidth);
    double scaleWidth() const { return scaleWidth_; }

    // A line in user units, `width` pixels wide, solid or dotted; equal ends draw a dot of
    // that width. Ends that are not finite draw nothing; far-away ends are clipped first.
    // Lines are collected and painted together when the box next paints, is read or changes
    // size: a replayed run draws hundreds of thousands of them. Dotted lines are the section's
    // division lines: they are kept and drawn afresh at every new size, under the traces.
    void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, bool dotted);

    // Pixel coordinates of a point in user units, and back; (0, 0) is the top-left pixel, and
    // drawing lights the pixel nearest to the coordinates.
    QPointF toPixel(double x, double y) const;
    QPointF toUser(const QPointF& pixel) const;

    QSize sizeHint() const override { return {225, 209}; }

    // The graph cursor's "+" with its box's top-left corner at `topLeft` (pixels), or none. It is
    // painted over the image, never into it.
    void showCursor(std::optional<QPoint> topLeft);
    std::optional<QPoint> cursor() const { return cursor_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Paints the collected lines, at the size they were meant for, then fits the image to the
    // box, scaling what is drawn rather than losing it.
    void refreshImage() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect cursorRect() const;

    std::optional<QPoint> cursor_;
    QStaticText cursorText_;

    struct PendingLine {
        QLineF line;
        quint32 rgb;
        int width;
        bool dotted;
    };

    struct GridLine {
        double x1, y1, x2, y2;
        quint32 rgb;
        int width;
    };

    // Paints the collected lines into the image.
    void flushLines();
    // The image at the box's new size: division lines drawn afresh at that size, the traces
    // scaled over them. A scaled 1-pixel dotted line loses rows or columns, or all of it.
    void refit();

    std::vector<PendingLine> pending_;
    std::vector<GridLine> grid_;
    QRect pendingArea_;
    double scaleWidth_ = 1;
};
