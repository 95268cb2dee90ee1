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
    invalidateChanges();
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
    describeReadings();
    dirty_ = true;
    update();
}

void GaugePanel::describeReadings()
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
}

namespace
{

// Where a bar that stood at `was` and stands at `now` looks different: between the two tops
// when only its height changed, else wherever either stands.
QRect ChangedBarArea(const QRect& was, const QRect& now, bool sameColor)
{
    if (sameColor && !was.isEmpty() && !now.isEmpty() && was.left() == now.left() &&
        was.width() == now.width() && was.bottom() == now.bottom()) {
        const int top = std::min(was.top(), now.top());
        return {now.left(), top, now.width(), std::max(was.top(), now.top()) - top};
    }
    return was | now;
}

} // namespace

QRect GaugePanel::changedBarArea(int ch) const
{
    const DrawnChannel& drawn = drawn_[ch];
    return ChangedBarArea(drawn.bar, barRect(ch), drawn.barColor == face_.bars[ch].fillColor);
}

bool GaugePanel::captionChanged(int ch) const
{
    const DrawnChannel& drawn = drawn_[ch];
    const ChannelLabel& label = face_.channelLabels[ch];
    return label.visible != drawn.captionVisible || label.foreColor != drawn.captionColor ||
           label.caption != drawn.caption;
}

QRect GaugePanel::captionStrip() const
{
    int top = height();
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        top = std::min(top, channelLabelRect(ch).top());
    return {0, top, width(), height() - top};
}

void GaugePanel::invalidateChanges()
{
    describeReadings();
    // An alarm's marks lie over bars and captions alike; those readings repaint it all.
    const bool marked = std::find(alarmed_.begin(), alarmed_.end(), true) != alarmed_.end();
    if (dirty_ || marked || image_.size() != imageSize() ||
        fitCaptionPixels(panelFont()) != captionPixels_) {
        invalidate();
        return;
    }
    // A reading mostly moves the bars' tops by a pixel or two and changes the captions: only
    // those areas are drawn and copied to the screen, each on its own.
    bool captionsChanged = false;
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        const QRect area = changedBarArea(ch);
        if (!area.isEmpty()) {
            changesPending_ = true;
            update(area);
        }
        captionsChanged = captionsChanged || captionChanged(ch);
    }
    if (captionsChanged) {
        changesPending_ = true;
        update(captionStrip());
    }
}

void GaugePanel::refreshImage()
{
    if (dirty_ || image_.size() != imageSize())
        render();
    else if (changesPending_)
        renderChanges();
}

QFont GaugePanel::panelFont() const
{
    QFont font = this->font();
    // Small panels still get legible labels; the text may then stand a little past its box.
    font.setPixelSize(std::max(10, labelPixels() - 1));
    return font;
}

int GaugePanel::labelPixels() const
{
    return std::max(1, rowForValue(face_.scaleTop - face_.labelHeight));
}

QRect GaugePanel::barRect(int ch) const
{
    const Bar& bar = face_.bars[ch];
    const int top = rowForValue(bar.top);
    const int bottom = rowForValue(bar.top - bar.height);
    return bottom > top ? QRect(columnForX(bar.left), top, kBarWidthPixels, bottom - top) : QRect();
}

int GaugePanel::fitCaptionPixels(const QFont& font)
{
    // Each channel label keeps to its own column, the distance to the next bar, centred under
    // its bar, in a strip under the bottom grid line high enough to read.
    int pixels =
        std::min(channelLabelPixels(), std::max(kMinChannelLabelPixels, font.pixelSize()));
    const int column = channelLabelRect(0).width();
    // Measuring means laying the text out; a new reading mostly changes digits, which are all
    // as wide as each other, so the size found for the same shape of captions is used again.
    QString shape = QString::number(pixels) + QLatin1Char('/') + QString::number(column);
    for (const ChannelLabel& label : face_.channelLabels) {
        shape += QLatin1Char('/');
        if (label.visible)
            for (const QChar c : label.caption)
                shape += c.isDigit() ? QLatin1Char('0') : c;
    }
    if (shape == fittedShape_)
        return fittedPixels_;
    QFont channelFont = font;
    for (; pixels > kMinChannelLabelPixels; --pixels) {
        channelFont.setPixelSize(pixels);
        const QFontMetrics metrics(channelFont);
        bool fits = true;
        for (const ChannelLabel& label : face_.channelLabels)
            fits = fits && (!label.visible || metrics.horizontalAdvance(label.caption) <= column);
        if (fits)
            break;
    }
    fittedShape_ = shape;
    fittedPixels_ = pixels;
    return pixels;
}

void GaugePanel::drawBar(QPainter& p, int ch, const QRect& clip)
{
    const QRect bar = barRect(ch);
    drawn_[ch].bar = bar;
    drawn_[ch].barColor = face_.bars[ch].fillColor;
    // The grid stays readable across the bars: it is drawn again over each.
    const QRect area = bar & clip;
    if (!area.isEmpty()) {
        p.fillRect(area, OpaqueColor(face_.bars[ch].fillColor));
        p.drawImage(area, gridLayer_, area);
    }
}

void GaugePanel::drawCaption(QPainter& p, int ch, const QFont& font)
{
    const ChannelLabel& label = face_.channelLabels[ch];
    DrawnChannel& drawn = drawn_[ch];
    drawn.caption = label.caption;
    drawn.captionColor = label.foreColor;
    drawn.captionVisible = label.visible;
    if (!label.visible)
        return;
    // Laid out once per text and size: temperatures change slowly, and the same values come
    // back reading after reading.
    if (captionPixels_ != font.pixelSize() || captionTexts_.size() > kMaxCachedCaptions) {
        captionTexts_.clear();
        captionPixels_ = font.pixelSize();
    }
    auto text = captionTexts_.find(label.caption);
    if (text == captionTexts_.end()) {
        text = captionTexts_.insert(label.caption, QStaticText(label.caption));
        text->setTextFormat(Qt::PlainText);
        text->prepare(QTransform(), font);
    }
    const QRect box = channelLabelRect(ch);
    p.setFont(font);
    p.setPen(OpaqueColor(label.foreColor));
    p.drawStaticText(box.left() + (box.width() - qRound(text->size().width())) / 2, box.top(),
                     *text);
}

void GaugePanel::render()
{
    dirty_ = false;
    changesPending_ = false;
    if (image_.size() != imageSize())
        image_ = QImage(imageSize(), QImage::Format_RGB32);
    const QFont font = panelFont();
    if (gridDirty_ || gridLayer_.size() != image_.size())
        renderGridLayer(font, labelPixels());
    QPainter p(&image_);
    p.drawImage(0, 0, gridBase_); // opaque onto opaque: a copy
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        drawBar(p, ch, image_.rect());
    QFont channelFont = font;
    channelFont.setPixelSize(fitCaptionPixels(font));
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        drawCaption(p, ch, channelFont);
    // A caption size not drawn before empties the cache; this is the size now drawn.
    captionPixels_ = channelFont.pixelSize();
    p.setFont(channelFont);
    renderAlarmMarks(p, channelFont.pixelSize());
    p.end();
}

void GaugePanel::renderChanges()
{
    changesPending_ = false;
    QPainter p(&image_);
    bool captionsChanged = false;
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        const QRect area = changedBarArea(ch);
        if (!area.isEmpty()) {
            p.drawImage(area, gridBase_, area); // what stands where no bar is
            drawBar(p, ch, area);
        }
        captionsChanged = captionsChanged || captionChanged(ch);
    }
    if (!captionsChanged)
        return;
    // The whole strip, as a caption may stand a little past its box.
    const QRect strip = captionStrip();
    p.drawImage(strip, gridBase_, strip);
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        drawBar(p, ch, strip);
    QFont channelFont = panelFont();
    channelFont.setPixelSize(captionPixels_);
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        drawCaption(p, ch, channelFont);
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
