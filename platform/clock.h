#pragma once

#include <QDate>
#include <QTime>

/// The system clock, read as two separate values.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QTime currentTime() const = 0;
    virtual QDate currentDate() const = 0;
};

class SystemClock : public Clock
{
public:
    QTime currentTime() const override { return QTime::currentTime(); }
    QDate currentDate() const override { return QDate::currentDate(); }
};
