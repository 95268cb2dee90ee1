#pragma once
// Program-wide state: the settings kept in AFConfig.zrb, the values derived from them for the
// thermocouple mode, the run and file state, and the strip chart's working variables. One
// instance lives for the whole run of the program; every subsystem reads and writes it
// directly, which is why the members carry the names the rest of the code uses.

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

constexpr int kMaxChannels = 13; // ChannelText, TCReading, ChannelColor: elements 0..12
constexpr int kTraceSlots = 7;   // strip-chart trace arrays: elements 0..6
constexpr int kComPortSlots = 5; // ComPort(0..4); element 4 is never stored
// Seconds of one strip-chart section: the dialog takes 5 up to the longest; a section time
// outside 1..longest (a damaged settings file) gives way to the default when the chart is set up.
constexpr int kShortestChartSection = 5;
constexpr int kLongestChartSection = 1500;
constexpr int kDefaultChartSection = 15;

struct Module1 {
    // Settings (AFConfig.zrb)
    qint16 StripChartTime = 0;
    qint16 LineThickness = 0;
    qint16 ScaleType = 0;
    QString UserGraphMax;
    QString UserGraphMin;
    qint16 DegCFlag = 0;
    std::array<qint16, kComPortSlots> ComPort{};

    // Derived by SwitchToTC
    qint16 TCMode = 0;
    qint16 NumChannels = 0;
    std::array<quint32, kMaxChannels> ChannelColor{}; // 0xRRGGBB
    QString TempUnitLetter;
    double GraphMax = 0; // Integer for the presets, Double for a user range: a double holds both
    double GraphMin = 0;
    double GraphFactor = 0;
    QString DataFolder;
    QString TextFolder;
    QString ProgramTitle;
    QString InstrumentName;

    // Run and file state
    qint16 ChartStarted = 0;
    float RecordStartTimer = 0;
    qint16 DoingStripChart = 0;
    QString LastLine;
    std::array<float, kMaxChannels> TCReading{};
    qint16 DataNotSaved = 0;
    qint16 CancelExit = 0;
    QString FileName;
    QString FilePath;
    QString TargetFilePath;
    QString CommentsText;
    qint16 FuelType = 0;
    QString RunningStatusText;
    QString IdleStatusText;

    // Strip chart working state
    qint16 CurrentSection = 0;
    qint16 ChartWrapped = 0;
    float ChartX = 0;
    float SectionStartTimer = 0;
    qint16 ChartTimeMode = 0;
    float RecordedTimeOffset = 0;
    std::vector<float> TraceLastX = std::vector<float>(kTraceSlots, 0.0f);
    std::vector<float> TraceLastY = std::vector<float>(kTraceSlots, 0.0f);
    std::vector<float> TraceNewY = std::vector<float>(kTraceSlots, 0.0f);
    std::array<float, 4> SectionStartTime{};
    std::array<QString, 4> SectionFirstLine;
    qint16 SectionFirstLinePending = 0;
};

// Fill colours of the four channel bars, which are also the trace colours.
constexpr std::array<quint32, 4> kChannelBarColors{0xFF0000, 0x8080FF, 0x00FF00, 0xFF00FF};

// The thermocouple-mode values that depend only on the settings: mode, channel count, folders,
// titles, unit letter, channel colours and the graph range with its factor.
// A user range that is empty or not increasing (a damaged settings file) would make the range
// empty and the factor a division by zero; the exhaust-gas preset of the unit is used instead.
void DeriveThermocoupleValues(Module1& m);
