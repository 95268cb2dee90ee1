#pragma once
// The temperature panel Picture5(1): shows a GaugeFace. The face is rendered into a backing
// image whenever it or the widget size changes; painting only copies that image, so an
// uncovered panel repaints at once and a window capture sees the same pixels.

#include "gaugeface.h"

#include <QImage>
#include <QWidget>

class GaugePanel : public QWidget
{
public:
    explicit GaugePanel(QWidget* parent = nullptr);

    const GaugeFace& face() const { return face_; }
    // Replaces the face and re-renders.
    void setFace(const GaugeFace& face);

    // RedrawGauge on this panel's width, then re-render.
    void redraw(const DerivedSettings& derived);
    // DrawGaugeNeedle on this panel's face, then re-render.
    void drawNeedle(const DerivedSettings& derived,
                    const std::array<QString, kMaxChannels>& ChannelText);
    // Label6(ch).Caption; out-of-range channels are ignored.
    void setChannelCaption(int ch, const QString& caption);

    // The rendered pixels, widget-sized.
    QImage image() const
    {
        renderIfDirty();
        return image_;
    }

    // Pixel row of a value in the panel's user scale, for the current height. Values far
    // outside the panel come back just outside it, so drawing stays within integer range.
    int rowForValue(double value) const;
    // Pixel column of a horizontal position in the face's width unit.
    int columnForX(double x) const;

    // Where the text of channel label ch stands, and its font's pixel size. The labels sit
    // under the bottom grid line; the scale leaves room below it for legible text (at least
    // kMinChannelLabelPixels), centred under each bar and inside the panel.
    QRect channelLabelRect(int ch) const;
    int channelLabelPixels() const;
    static constexpr int kMinChannelLabelPixels = 11;

    QSize sizeHint() const override { return {150, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void invalidate();
    void renderIfDirty() const;
    void render();
    // Height the scale is drawn over: the panel less the room the channel labels need beyond
    // the scale's own strip under the bottom grid line.
    int scaleHeight() const;

    GaugeFace face_;
    QImage image_;
    bool dirty_ = true;
};
