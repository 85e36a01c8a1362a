#pragma once

#include <QtGlobal>

#include <limits>
#include <optional>

/// Numbers the document windows: 1, 2, 3, ... A number is never given twice
/// and the count never wraps; past the largest 32-bit number it refuses.
class DocumentCounter
{
public:
    static constexpr qint32 Maximum = std::numeric_limits<qint32>::max();

    explicit DocumentCounter(qint32 start = 0) : value_(start) {}

    /// The next number, or nothing when the count is at its maximum.
    std::optional<qint32> next()
    {
        if (value_ == Maximum)
            return std::nullopt;
        return ++value_;
    }
    qint32 value() const { return value_; }

private:
    qint32 value_;
};
