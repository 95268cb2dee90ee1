#pragma once
// The strip chart: three sections of StripChartTime seconds each, drawn one segment per
// channel per sample and never redrawn from data. The arithmetic and the order of the drawing
// calls live here, widget-free; the main window implements ChartSurface over its section
// boxes, labels, run text and reading list.

#include "module1.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

constexpr int kChartSections = 3;

// What the chart draws on and asks of its window.
class ChartSurface
{
public:
    virtual ~ChartSurface() = default;
    // Picture3(k).Cls
    virtual void clearSection(int k) = 0;
    // ScaleWidth of section k; ScaleTop 1.05 and ScaleHeight -1.1 are fixed.
    virtual void setSectionScale(int k, double scaleWidth) = 0;
    // A line in section k's user units; equal ends draw a dot of the line width.
    virtual void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int width,
                          bool dotted) = 0;
    // Lefts of the three boxes and their common width, as fractions of Picture6's width.
    virtual void placeSections(const std::array<double, 3>& leftFraction, double widthFraction) = 0;
    // Picture3(k).Left == 0, after the latest placeSections.
    virtual bool sectionAtLeft(int k) const = 0;
    // Captions of Label14(2k) and Label14(2k+1).
    virtual void setScaleLabels(int k, const QString& top, const QString& bottom) = 0;
    virtual void showScaleLabels(int k, bool visible) = 0;
    // Label15(0)
    virtual void setLegend(const QString& text) = 0;
    // Picture6 visible
    virtual void showChart() = 0;
    // Command1(0..2) visible
    virtual void showStartButtons() = 0;
    virtual void letEventsRun() = 0;
    // Seconds since midnight.
    virtual float clock() = 0;
    // DrawGaugeNeedle(0, scratch, TCReading)
    virtual void drawGaugeNeedle() = 0;
    // Channel `channel`'s newest reading at x in section k lies above (1), below (-1) or
    // within (0) the graph range.
    virtual void markOffRange(int k, int channel, int direction, double x) = 0;
};

// Plots one sample (DoingStripChart 1) or lays out the empty chart at start-up
// (DoingStripChart 2: returns with DoingStripChart 1 and StartOverFlag 1, drawing no trace).
// Sets the chart up first whenever m.ChartStarted is 0. UseRecordedTime 1 takes x from
// RecordTime (replay), anything else from the clock, which may pass midnight during a run.
// At most kTraceSlots channels are drawn.
void UpdateScreen(Module1& m, ChartSurface& surface,
                  const std::array<QString, kMaxChannels>& ChannelText, qint16& StartOverFlag,
                  qint16& DoingStripChart, double RecordTime, const QString& LastText1,
                  qint16 UseRecordedTime);

// Start's reset of the chart's run state: fresh trace arrays, section start times 0,
// ChartStarted 0, ChartX 0 and the time base re-based at the next plot.
void ResetChartForRecording(Module1& m);
// The replay's reset: fresh trace arrays, section start times 0, ChartStarted 0 and the
// recorded-time offset 0.
void ResetChartForReplay(Module1& m);
