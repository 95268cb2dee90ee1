#pragma once
// A clock that tests set by hand. Every reading of the date-time may advance it by a step, so
// loops that wait for the clock to pass a deadline end after a known number of passes.

#include "seams.h"

class FakeClock final : public Clock
{
public:
    float seconds = 36000.0f; // 10:00:00
    QDateTime dateTime{QDate(2026, 1, 15), QTime(10, 0, 0)};
    int secondsPerDateTimeRead = 0; // advance of dateTime on each now()

    float secondsSinceMidnight() override { return seconds; }
    QDateTime now() override
    {
        const QDateTime t = dateTime;
        dateTime = dateTime.addSecs(secondsPerDateTimeRead);
        return t;
    }
};
