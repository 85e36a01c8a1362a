#pragma once

#include "platform/clock.h"

/// A clock that shows whatever time and date the test sets.
class FakeClock : public Clock
{
public:
    QTime currentTime() const override { return time; }
    QDate currentDate() const override { return date; }

    QTime time{12, 34, 56};
    QDate date{2026, 12, 7};
};
