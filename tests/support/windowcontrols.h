#pragma once
// The main window's controls as a test reads them: found by the names that scripts and
// accessibility tools know them by, never through the window's own fields.

#include "alarmline.h"
#include "gaugepanel.h"
#include "mainwindow.h"
#include "readinglistview.h"
#include "sectionbox.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <memory>

struct WindowControls {
    explicit WindowControls(const MainWindow& w)
    {
        const auto find = [&w](auto*& control, const QString& name) {
            control = w.findChild<std::remove_reference_t<decltype(*control)>*>(name);
        };
        for (int i = 0; i < 3; ++i)
            find(recordButtons[i], QStringLiteral("Command1_%1").arg(i));
        find(findPortsButton, QStringLiteral("Command2"));
        find(portList, QStringLiteral("Combo1"));
        find(temperaturePanel, QStringLiteral("Picture5_1"));
        find(timeReadout, QStringLiteral("Label1_0"));
        find(statusLine, QStringLiteral("Label1_3"));
        find(fuelLabel, QStringLiteral("Label1_4"));
        find(readingListHeading, QStringLiteral("Label3"));
        find(readingList, QStringLiteral("List1"));
        find(readingListColumns, QStringLiteral("readingListColumns"));
        find(chartFrame, QStringLiteral("Picture6"));
        for (int k = 0; k < 3; ++k) {
            find(chartSections[k], QStringLiteral("Picture3_%1").arg(k));
            find(sectionTimeLabels[2 * k], QStringLiteral("sectionStart_%1").arg(k));
            find(sectionTimeLabels[2 * k + 1], QStringLiteral("sectionEnd_%1").arg(k));
        }
        find(sampleTimer, QStringLiteral("Timer1"));
        find(printHolder, QStringLiteral("Picture1"));
        find(derivedReadout, QStringLiteral("derivedReadout"));
        find(alarmLine, QStringLiteral("alarmLine"));
        find(acknowledgeButton, QStringLiteral("acknowledgeAlarms"));
    }

    std::array<QPushButton*, 3> recordButtons{}; // Start, Stop, Off
    QPushButton* findPortsButton = nullptr;
    QComboBox* portList = nullptr;
    GaugePanel* temperaturePanel = nullptr;
    QLabel* timeReadout = nullptr;
    QLabel* statusLine = nullptr;
    QLabel* fuelLabel = nullptr;
    QLabel* readingListHeading = nullptr;
    ReadingListView* readingList = nullptr;
    QLabel* readingListColumns = nullptr;
    QFrame* chartFrame = nullptr;
    std::array<SectionBox*, 3> chartSections{};
    std::array<QLabel*, 6> sectionTimeLabels{}; // start and end of each section
    QTimer* sampleTimer = nullptr;
    QLabel* printHolder = nullptr;
    QLabel* derivedReadout = nullptr;
    AlarmLine* alarmLine = nullptr;
    QPushButton* acknowledgeButton = nullptr;
};

inline WindowControls controls(const MainWindow& w)
{
    return WindowControls(w);
}
inline WindowControls controls(const MainWindow* w)
{
    return WindowControls(*w);
}
template <typename Window> WindowControls controls(const std::unique_ptr<Window>& w)
{
    return WindowControls(*w);
}
