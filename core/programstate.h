#pragma once
// The program's state in four parts, each handed only to the code that needs it: what the
// settings file keeps, what follows from those settings, how the window names the run, and
// the strip chart's working values. The run itself belongs to the run model. The main window
// owns one ProgramState for the whole session.

#include "runsample.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

constexpr int kComPortSlots = 5; // the last port slot is never stored
// Seconds of one strip-chart section: the dialog takes 5 up to the longest; a section time
// outside 1..longest (a damaged settings file) gives way to the default when the chart is set up.
constexpr int kShortestChartSection = 5;
constexpr int kLongestChartSection = 1500;
constexpr int kDefaultChartSection = 15;

// What the settings file (AFConfig.zrb) keeps between sessions.
struct StoredSettings {
    qint16 chartSectionSeconds = 0;
    qint16 lineThickness = 0; // 0 thin, 1 thick, 2 thickest
    qint16 scaleType = 0;     // 0 exhaust gas, 1 fluid, 2 the user's range below
    QString userGraphMax;
    QString userGraphMin;
    qint16 degreesCelsius = 0; // 1: new runs are recorded in degrees C, otherwise F
    std::array<qint16, kComPortSlots> comPorts{};
};

// Values that follow from the settings for the thermocouple recorder.
struct DerivedSettings {
    qint16 thermocoupleMode = 0;
    qint16 channelCount = 0;
    std::array<quint32, kRecorderChannels> channelColors{}; // 0xRRGGBB
    QString unitLetter;
    double graphMax = 0; // whole degrees for the presets, any number for a user range
    double graphMin = 0;
    double graphFactor = 0; // 1 / (graphMax - graphMin): a reading's height on the chart
    QString dataFolder;     // below the program folder, with a leading '/'
    QString textFolder;
    QString programTitle;
    QString instrumentName;
};

// How the window names the run on screen, and its status line's captions.
struct RunState {
    QString fileName; // as shown in the title: "Untitled" or the path below the data folder
    QString recordingStatusText;
    QString idleStatusText;
};

// The strip chart's working values: where the next segment goes and what it joins.
struct ChartState {
    bool laidOut = false; // false: the chart is laid out afresh at the next plot
    qint16 currentSection = 0;
    bool wrapped = false;          // the third section has filled and the oldest box is reused
    float sampleX = 0;             // seconds from the current section's left edge
    float currentSectionStart = 0; // run time at the current section's left edge
    // Each channel's last point in the current section; NaN where its trace is broken.
    std::array<float, kRecorderChannels> traceLastX{};
    std::array<float, kRecorderChannels> traceLastY{};
    std::array<float, 4> sectionStartTimes{}; // run time at each section's left edge
    // Run times of events that lie past the current section, marked once it gets there.
    std::vector<float> pendingMarks;
};

struct ProgramState {
    StoredSettings settings;
    DerivedSettings derived;
    RunState run;
    ChartState chart;
};

// Fill colours of the four channel bars, which are also the trace colours.
constexpr std::array<quint32, 4> kChannelBarColors{0xFF0000, 0x8080FF, 0x00FF00, 0xFF00FF};

// The thermocouple-mode values that depend only on the settings: mode, channel count, folders,
// titles, unit letter, channel colours and the graph range with its factor.
// A user range that is empty or not increasing (a damaged settings file) would make the range
// empty and the factor a division by zero; the exhaust-gas preset of the unit is used instead.
DerivedSettings DeriveSettings(const StoredSettings& settings);
