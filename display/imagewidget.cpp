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
    painter.drawImage(event->rect(), image_, event->rect());
}

QColor OpaqueColor(quint32 rgb)
{
    return QColor(QRgb(0xFF000000u | (rgb & 0xFFFFFFu)));
}
