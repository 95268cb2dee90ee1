#include "imagewidget.h"

#include <QPaintEvent>
#include <QPainter>

ImageWidget::ImageWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage ImageWidget::image() const
{
    // Reading the pixels is not a change to the widget: the image is only brought up to date.
    const_cast<ImageWidget*>(this)->refreshImage();
    return image_;
}

QSize ImageWidget::imageSize() const
{
    return size().expandedTo(QSize(1, 1));
}

void ImageWidget::paintEvent(QPaintEvent* event)
{
    refreshImage();
    QPainter painter(this);
    // One rectangle at a time, each its own clip: under a clip of several rectangles Qt copies
    // the image span by span on its GUI thread pool, waking its threads at every reading.
    for (const QRect& area : event->region()) {
        painter.setClipRect(area);
        painter.drawImage(area, image_, area);
    }
}

QColor OpaqueColor(quint32 rgb)
{
    return QColor(QRgb(0xFF000000u | (rgb & 0xFFFFFFu)));
}
