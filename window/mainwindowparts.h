#pragma once
// What the main window's source files share: its layout units and fixed texts, and the strip
// chart's view of the window. Only the window's own files include this.

#include "gaugeface.h"
#include "mainwindow.h"
#include "sectionbox.h"
#include "stripchart.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <chrono>

namespace mainwindow_detail
{

// Positions and sizes are laid out in twips, 15 to a pixel at 96 dpi (kTwipsPerPixel).
inline constexpr int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

inline constexpr int kClientWidth = 10455;
inline constexpr int kClientHeight = 7815;
inline constexpr int kTickMilliseconds = 100;
// The widest row the reading list must show whole: "99999.9   9999   9999   9999   9999".
inline constexpr int kWidestRowCharacters = 35;
// A replay draws for this long, then lets the event loop run before it goes on.
inline constexpr qint64 kReplaySliceMs = 50;
// How often and how long start-up waits for the desktop to show the window.
inline constexpr std::chrono::milliseconds kExposeWait{10};
inline constexpr int kMaxExposeWaits = 100;
// A replay that lasts longer than this shows its progress.
inline constexpr qint64 kReplayProgressAfterMs = 500;
// How often a lost logger's port is opened again.
inline constexpr std::chrono::milliseconds kLoggerRetry{1000};
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF3 = 114;
inline const QString kModeWord = QStringLiteral("Thermocouple");
inline const QString kWindowPlacementFile = QStringLiteral("window-placement.ini");
inline const QString kTitleMiddle = QStringLiteral(" Data Logger - Veltrona Inc.   [ ");

} // namespace mainwindow_detail

// The strip chart's view of the window: its section boxes and labels, and the arrows of channels
// beyond the graph range.
class MainWindow::WindowChart final : public ChartSurface
{
public:
    explicit WindowChart(MainWindow& w) : w_(w) {}

    void clearSection(int k) override { w_.chartSections[k]->clear(); }
    void setSectionScale(int k, double scaleWidth) override
    {
        w_.chartSections[k]->setScaleWidth(scaleWidth);
    }
    void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int width,
                  bool dotted) override
    {
        if (skipTraces && !dotted)
            return;
        w_.chartSections[k]->drawLine(x1, y1, x2, y2, rgb, width, dotted);
    }
    void placeSections(const std::array<double, 3>& leftFraction, double widthFraction) override
    {
        lefts_ = leftFraction;
        width_ = widthFraction;
        w_.layoutChart();
    }
    // Where section box k stands in a chart frame `frame` pixels wide.
    int sectionLeft(int k, int frame) const { return qRound(lefts_[k] * frame); }
    int sectionWidth(int frame) const { return qRound(width_ * frame); }
    bool sectionAtLeft(int k) const override { return w_.chartSections[k]->x() == 0; }
    void setScaleLabels(int k, const QString& top, const QString& bottom) override
    {
        w_.sectionScaleLabels[2 * k]->setText(top);
        w_.sectionScaleLabels[2 * k + 1]->setText(bottom);
    }
    void showScaleLabels(int k, bool visible) override
    {
        w_.sectionScaleLabels[2 * k]->setVisible(visible);
        w_.sectionScaleLabels[2 * k + 1]->setVisible(visible);
    }
    void setLegend(const QString& text) override { w_.chartLegends[0]->setText(text); }
    void showChart() override { w_.chartFrame->setVisible(true); }
    void showStartButtons() override
    {
        for (QPushButton* button : w_.recordButtons)
            button->setVisible(true);
    }
    // While a replay draws a run again, trace segments of sections that a later wrap clears
    // again are not drawn at all, and the arrows are placed once at its end.
    bool replaying = false;
    bool skipTraces = false;

    void markOffRange(int k, int channel, int direction, double x) override
    {
        offRange_[channel] = {k, direction, x};
        if (!replaying)
            w_.placeOffRangeMarker(channel);
    }
    struct OffRange {
        int section = 0;
        int direction = 0; // 1 above the range, -1 below, 0 inside
        double x = 0;
    };
    const OffRange& offRange(int channel) const { return offRange_[channel]; }

private:
    MainWindow& w_;
    std::array<double, 3> lefts_{0.0, 0.333, 0.666};
    double width_ = 0.333;
    std::array<OffRange, kRecorderChannels> offRange_{};
};
