#pragma once
// One strip-chart section box Picture3(k). Lines are drawn into a retained backing image in a
// user scale (x 0..scaleWidth left to right, y 1.05 at the top edge down to -0.05 at the
// bottom), because the chart is never redrawn from data: a covered box repaints from the
// image and a window capture prints the same pixels. Child labels paint over it as usual.

#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QWidget>
#include <vector>

class SectionBox : public QWidget
{
public:
    explicit SectionBox(QWidget* parent = nullptr);

    // Picture3(k).Cls: all white again.
    void clear();
    // ScaleWidth. A width that is not positive and finite is ignored, so the scale stays usable.
    void setScaleWidth(double scaleWidth);
    double scaleWidth() const { return scaleWidth_; }

    // A line in user units, `width` pixels wide, solid or dotted; equal ends draw a dot of
    // that width. Ends that are not finite draw nothing; far-away ends are clipped first.
    // Lines are collected and painted together when the box next paints, is read or changes
    // size: a replayed run draws hundreds of thousands of them.
    void drawLine(double x1, double y1, double x2, double y2, quint32 rgb, int width, bool dotted);

    // The drawing, box-sized, without child labels.
    QImage image() const;

    // Pixel coordinates of a point in user units, and back; (0, 0) is the top-left pixel, and
    // drawing lights the pixel nearest to the coordinates.
    QPointF toPixel(double x, double y) const;
    QPointF toUser(const QPointF& pixel) const;

    QSize sizeHint() const override { return {225, 209}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct PendingLine {
        QLineF line;
        quint32 rgb;
        int width;
        bool dotted;
    };

    // Keeps the image at the widget's size, scaling what is drawn rather than losing it.
    void fitImage();
    QSize imageSize() const;
    // Paints the collected lines into the image.
    void flushLines() const;

    mutable QImage image_;
    mutable std::vector<PendingLine> pending_;
    mutable QRect pendingArea_;
    double scaleWidth_ = 1;
};
