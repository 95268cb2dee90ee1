#include "mainwindowparts.h"

#include "readinglistview.h"
#include "runchartwindow.h"

// The run chart draws in the run's unit; the graph range belongs to the unit of the settings,
// which a run opened or recorded earlier need not share.
static RunChartSettings runChartSettings(const ProgramState& state, const RunModel& run)
{
    RunChartSettings settings;
    RunChartLook& look = settings.look;
    look.colors = state.derived.channelColors;
    look.channels = std::clamp<int>(state.derived.channelCount, 0, kRecorderChannels);
    const bool settingsInC = state.settings.degreesCelsius == 1;
    const bool runInC = run.isEmpty() ? settingsInC : run.header().degreesCelsius == 1;
    look.unit = runInC ? QStringLiteral("C") : QStringLiteral("F");
    look.graphMin = state.derived.graphMin;
    look.graphMax = state.derived.graphMax;
    if (runInC != settingsInC) {
        const auto convert = runInC ? ToCelsius : ToFahrenheit;
        look.graphMin = convert(look.graphMin);
        look.graphMax = convert(look.graphMax);
    }
    look.lineWidth = state.settings.lineThickness == 2   ? 3
                     : state.settings.lineThickness == 1 ? 2
                                                         : 1;
    settings.fileName = state.run.fileName;
    return settings;
}

void MainWindow::onRunChart()
{
    if (!runChart_) {
        runChart_ = new RunChartWindow(
            run_, *s.prompts, printer(), *s.clock, [this] { return runChartSettings(state, run_); },
            this);
        // The list, the graph cursor and the panel follow the chart's first cursor.
        connect(runChart_, &RunChartWindow::firstCursorMoved, this, [this](qsizetype sample) {
            const qsizetype row = listRows_.rowOfSample(sample);
            if (sample < run_.size() && readingList->currentRow() != row)
                readingList->setCurrentRow(int(row));
        });
        const qsizetype sample = listRows_.sampleAt(readingList->currentRow());
        if (sample >= 0)
            runChart_->showFirstCursorAt(sample);
    }
    runChart_->refreshSettings();
    runChart_->show();
    runChart_->raise();
    runChart_->activateWindow();
}
