#pragma once
// The temperature panel: shows a GaugeFace, rendered into the widget's image when the face or
// the widget size has changed since the last render.

#include "gaugeface.h"
#include "imagewidget.h"

#include <QHash>
#include <QStaticText>

// Under the bar of a channel whose probe sent no temperature.
inline const QString kNoReadingCaption = QStringLiteral("no reading");

class GaugePanel : public ImageWidget
{
public:
    explicit GaugePanel(QWidget* parent = nullptr);

    const GaugeFace& face() const { return face_; }
    // Replaces the face and re-renders.
    void setFace(const GaugeFace& face);

    // LayOutGaugeFace on this panel's width, then re-render.
    void redraw(const DerivedSettings& derived);
    // One recorded reading on the panel: every bar at its value and the value under it, in
    // place of the placeholder bars and the "Temp n" labels a redraw leaves. A channel without
    // a reading shows no bar and kNoReadingCaption.
    void showReading(const DerivedSettings& derived,
                     const std::array<float, kRecorderChannels>& values);

    // Channels with an active alarm: their bar is framed and flagged with "!", and their
    // value under it boxed, so the mark does not rest on colour alone.
    void setAlarmedChannels(const std::array<bool, kRecorderChannels>& alarmed);
    const std::array<bool, kRecorderChannels>& alarmedChannels() const { return alarmed_; }

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
    void refreshImage() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The whole face changes at the next paint.
    void invalidate();
    void describeReadings();
    void render();
    // Brings only the bars and captions that changed since the last render up to date.
    void renderChanges();
    // Repaints what a new reading changed, or the whole face when a change reaches beyond
    // bars and captions (a new caption size, an alarm's marks).
    void invalidateChanges();
    QRect barRect(int ch) const;
    // Where channel ch's bar differs from what the image shows; whether its caption does.
    QRect changedBarArea(int ch) const;
    bool captionChanged(int ch) const;
    // Under the bottom grid line, the whole width: where the captions stand.
    QRect captionStrip() const;
    QFont panelFont() const;
    int labelPixels() const;
    // The pixel size the captions share: the largest up to `pixels` at which each fits its
    // column.
    int fitCaptionPixels(const QFont& font);
    void drawBar(QPainter& p, int ch, const QRect& clip);
    void drawCaption(QPainter& p, int ch, const QFont& font);
    // Height the scale is drawn over: the panel less the room the channel labels need beyond
    // the scale's own strip under the bottom grid line.
    int scaleHeight() const;

    void renderAlarmMarks(QPainter& p, int channelPixels);

    GaugeFace face_;
    std::array<bool, kRecorderChannels> alarmed_{};
    bool dirty_ = true;
    bool changesPending_ = false;
    // What the image shows of each channel, so that a reading repaints only what it changed.
    struct DrawnChannel {
        QRect bar;
        quint32 barColor = 0;
        QString caption;
        quint32 captionColor = 0;
        bool captionVisible = false;
    };
    std::array<DrawnChannel, kRecorderChannels> drawn_;
    // The grid lines and their labels, which change only with the face's layout and the
    // panel's size, kept on a transparent layer so a reading repaints only bars and values.
    QImage gridLayer_;
    // The background with the grid on it: what the panel shows where no bar stands. Copied
    // rather than blending the whole grid layer again at every reading.
    QImage gridBase_;
    bool gridDirty_ = true;
    // The captions' shape (digits as 0, with the starting size and column) last fitted, and
    // the pixel size found for it.
    QString fittedShape_;
    int fittedPixels_ = 0;
    // The channel values laid out at captionPixels_, by their text.
    static constexpr int kMaxCachedCaptions = 256;
    QHash<QString, QStaticText> captionTexts_;
    int captionPixels_ = 0;
    void renderGridLayer(const QFont& font, int labelPx);
};
