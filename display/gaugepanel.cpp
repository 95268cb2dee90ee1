#include "gaugepanel.h"

#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QStaticText>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace
{

constexpr QRgb kPanelBackground = qRgb(0, 0, 0); // the window-text colour
constexpr QRgb kGridColor = qRgb(255, 255, 255);
constexpr int kGridLabelLeft = 2;
constexpr QRgb kAlarmMarkColor = qRgb(255, 220, 0);

} // namespace

GaugePanel::GaugePanel(QWidget* parent) : ImageWidget(parent)
{
    setObjectName(QStringLiteral("Picture5_1"));
    setAccessibleName(QStringLiteral("Temperature panel"));
    invalidate();
}

void GaugePanel::setFace(const GaugeFace& face)
{
    face_ = face;
    gridDirty_ = true;
    invalidate();
}

void GaugePanel::redraw(const DerivedSettings& derived)
{
    LayOutGaugeFace(face_, derived, width());
    gridDirty_ = true;
    invalidate();
}

void GaugePanel::showReading(const DerivedSettings& derived,
                             const std::array<float, kRecorderChannels>& values)
{
    SetGaugeBars(face_, derived, values);
    const int channels = std::clamp<int>(derived.channelCount, 0, kRecorderChannels);
    for (int ch = 0; ch < channels; ++ch)
        face_.channelLabels[ch].caption =
            HasReading(values[ch]) ? FormatReading(values[ch]) : kNoReadingCaption;
    invalidate();
}

void GaugePanel::setAlarmedChannels(const std::array<bool, kRecorderChannels>& alarmed)
{
    if (alarmed == alarmed_)
        return;
    alarmed_ = alarmed;
    invalidate();
}

int GaugePanel::scaleHeight() const
{
    // The strip under the bottom grid line is a fixed share of the scale: the part of the
    // scale below its lowest visible line.
    const double below =
        face_.scaleHeight != 0
            ? (face_.gridLines[0].y - (face_.scaleTop + face_.scaleHeight)) / -face_.scaleHeight
            : 0.0;
    const int need = kMinChannelLabelPixels + 2;
    const int h = height();
    if (!(below > 0) || below >= 1 || h * below >= need)
        return h;
    // Shrink the scale so that its strip plus the room left below it holds the labels.
    const int reserve = static_cast<int>(std::ceil((need - h * below) / (1.0 - below)));
    return std::max(1, h - reserve);
}

int GaugePanel::channelLabelPixels() const
{
    const int top = rowForValue(face_.channelLabels[0].top);
    return std::max(kMinChannelLabelPixels, height() - top - 2);
}

QRect GaugePanel::channelLabelRect(int ch) const
{
    const ChannelLabel& label = face_.channelLabels[std::clamp(ch, 0, kRecorderChannels - 1)];
    const int width = std::max(1, columnForX(0.2 * face_.panelWidth));
    const int centre = columnForX(label.left) + kBarWidthPixels / 2;
    const int left = std::clamp(centre - width / 2, 0, std::max(0, this->width() - width));
    const int top = rowForValue(label.top);
    return {left, top, width, std::max(1, height() - top)};
}

int GaugePanel::rowForValue(double value) const
{
    const double h = scaleHeight();
    double row = face_.scaleHeight != 0 ? (value - face_.scaleTop) / face_.scaleHeight * h : 0;
    if (std::isnan(row))
        row = 0;
    return static_cast<int>(std::floor(std::clamp(row, -2.0, h + 2.0)));
}

int GaugePanel::columnForX(double x) const
{
    const double w = width();
    double col = face_.panelWidth > 0 ? x / face_.panelWidth * w : 0;
    if (std::isnan(col))
        col = 0;
    return static_cast<int>(std::floor(std::clamp(col, -2.0, w + 2.0)));
}

void GaugePanel::invalidate()
{
    // The bars are only painted: a screen reader hears the values under them.
    QStringList readings;
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        if (!face_.channelLabels[ch].caption.isEmpty())
            readings << QStringLiteral("Ch %1: %2%3")
                            .arg(ch + 1)
                            .arg(face_.channelLabels[ch].caption,
                                 alarmed_[ch] ? QStringLiteral(" (alarm)") : QString());
    }
    const QString description = readings.join(QStringLiteral(", "));
    if (description != accessibleDescription())
        setAccessibleDescription(description);
    // Several changes come together (a reading sets four captions and the bars): the image is
    // rendered once, when it is next painted or read.
    dirty_ = true;
    update();
}

void GaugePanel::refreshImage()
{
    if (dirty_ || image_.size() != imageSize())
        render();
}

void GaugePanel::render()
{
    dirty_ = false;
    if (image_.size() != imageSize())
        image_ = QImage(imageSize(), QImage::Format_RGB32);
    const int labelPx = std::max(1, rowForValue(face_.scaleTop - face_.labelHeight));
    QPainter p(&image_);
    QFont font = p.font();
    // Small panels still get legible labels; the text may then stand a little past its box.
    font.setPixelSize(std::max(10, labelPx - 1));
    p.setFont(font);
    if (gridDirty_ || gridLayer_.size() != image_.size())
        renderGridLayer(font, labelPx);
    p.drawImage(0, 0, gridBase_); // opaque onto opaque: a copy
    // The grid stays readable across the bars: it is drawn again over each.
    for (const Bar& bar : face_.bars) {
        const int top = rowForValue(bar.top);
        const int bottom = rowForValue(bar.top - bar.height);
        if (bottom > top) {
            const QRect area(columnForX(bar.left), top, kBarWidthPixels, bottom - top);
            p.fillRect(area, OpaqueColor(bar.fillColor));
            p.drawImage(area, gridLayer_, area);
        }
    }
    // Each channel label keeps to its own column, the distance to the next bar, centred under
    // its bar, in a strip under the bottom grid line high enough to read.
    QFont channelFont = font;
    int channelPixels =
        std::min(channelLabelPixels(), std::max(kMinChannelLabelPixels, font.pixelSize()));
    // A tall panel would make the labels run into each other: each keeps to its column.
    const int column = channelLabelRect(0).width();
    // Measuring means laying the text out; a new reading mostly changes digits, which are all
    // as wide as each other, so the size found for the same shape of captions is used again.
    QString shape = QString::number(channelPixels) + QLatin1Char('/') + QString::number(column);
    for (const ChannelLabel& label : face_.channelLabels) {
        shape += QLatin1Char('/');
        if (label.visible)
            for (const QChar c : label.caption)
                shape += c.isDigit() ? QLatin1Char('0') : c;
    }
    if (shape == fittedShape_) {
        channelPixels = fittedPixels_;
    } else {
        for (; channelPixels > kMinChannelLabelPixels; --channelPixels) {
            channelFont.setPixelSize(channelPixels);
            const QFontMetrics metrics(channelFont);
            bool fits = true;
            for (const ChannelLabel& label : face_.channelLabels)
                fits =
                    fits && (!label.visible || metrics.horizontalAdvance(label.caption) <= column);
            if (fits)
                break;
        }
        fittedShape_ = shape;
        fittedPixels_ = channelPixels;
    }
    channelFont.setPixelSize(channelPixels);
    p.setFont(channelFont);
    // Laid out once per text and size: temperatures change slowly, and the same values come
    // back reading after reading.
    if (captionPixels_ != channelPixels || captionTexts_.size() > kMaxCachedCaptions) {
        captionTexts_.clear();
        captionPixels_ = channelPixels;
    }
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        const ChannelLabel& label = face_.channelLabels[ch];
        if (!label.visible)
            continue;
        auto text = captionTexts_.find(label.caption);
        if (text == captionTexts_.end()) {
            text = captionTexts_.insert(label.caption, QStaticText(label.caption));
            text->setTextFormat(Qt::PlainText);
            text->prepare(QTransform(), channelFont);
        }
        const QRect box = channelLabelRect(ch);
        p.setPen(OpaqueColor(label.foreColor));
        p.drawStaticText(box.left() + (box.width() - qRound(text->size().width())) / 2, box.top(),
                         *text);
    }
    renderAlarmMarks(p, channelPixels);
    p.end();
}

void GaugePanel::renderAlarmMarks(QPainter& p, int channelPixels)
{
    const QPen pen(QColor(kAlarmMarkColor), 2);
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        if (!alarmed_[ch] || !face_.channelLabels[ch].visible)
            continue;
        // The whole height of the bar's column is framed, so the mark shows also while the
        // bar is empty or beyond the scale.
        const int left = columnForX(face_.bars[ch].left);
        const QRect column(left - 2, 1, kBarWidthPixels + 4, channelLabelRect(ch).top() - 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(column);
        const QRect flag(column.left(), column.top(), column.width(), channelPixels + 2);
        p.fillRect(flag, QColor(kAlarmMarkColor));
        QFont bold = p.font();
        bold.setBold(true);
        p.setFont(bold);
        p.setPen(QColor(Qt::black));
        p.drawText(flag, Qt::AlignCenter, QStringLiteral("!"));
        p.setPen(pen);
        p.drawRect(channelLabelRect(ch).adjusted(1, 0, -1, -1));
    }
}

void GaugePanel::renderGridLayer(const QFont& font, int labelPx)
{
    gridDirty_ = false;
    gridLayer_ = QImage(image_.size(), QImage::Format_ARGB32_Premultiplied);
    gridLayer_.fill(Qt::transparent);
    QPainter p(&gridLayer_);
    p.setFont(font);
    p.setPen(QColor(kGridColor));
    for (const GridLine& line : face_.gridLines) {
        if (line.visible) {
            const int y = rowForValue(line.y);
            p.drawLine(0, y, width() - 1, y);
        }
    }
    for (const GridLabel& label : face_.gridLabels) {
        if (label.visible)
            p.drawText(QRect(kGridLabelLeft, rowForValue(label.top), width(), labelPx),
                       Qt::AlignLeft | Qt::AlignVCenter, label.caption);
    }
    p.end();
    gridBase_ = QImage(image_.size(), QImage::Format_RGB32);
    gridBase_.fill(kPanelBackground);
    QPainter base(&gridBase_);
    base.drawImage(0, 0, gridLayer_);
}

void GaugePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    gridDirty_ = true;
    invalidate();
}
