#pragma once
// A widget that shows a retained image. Subclasses keep the image up to date with what they
// show and with the widget's size; painting only copies the image, so an uncovered widget
// repaints at once and a window capture sees the same pixels as the image() a test reads.

#include <QImage>
#include <QWidget>

class ImageWidget : public QWidget
{
public:
    explicit ImageWidget(QWidget* parent = nullptr);

    // The shown pixels, widget-sized.
    QImage image() const;

protected:
    // Brings image_ up to date: rendered or drawn into, at imageSize().
    virtual void refreshImage() = 0;
    // The widget's size, at least one pixel each way.
    QSize imageSize() const;
    void paintEvent(QPaintEvent* event) override;

    QImage image_;
};

// A colour given as 0xRRGGBB, opaque.
QColor OpaqueColor(quint32 rgb);
