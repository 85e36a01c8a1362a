#pragma once

#include "platform/memorygauge.h"

/// Memory the program may still take, as a test sets it: by default the
/// system does not tell.
class FakeMemoryGauge : public MemoryGauge
{
public:
    std::optional<qint64> available() const override { return bytes; }

    std::optional<qint64> bytes;
};
