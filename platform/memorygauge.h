#pragma once

#include <QtGlobal>

#include <optional>

/// How much more memory the program may take before the system refuses it
/// or ends the program for it.
class MemoryGauge
{
public:
    virtual ~MemoryGauge() = default;

    /// In bytes; nothing where the system does not tell.
    virtual std::optional<qint64> available() const = 0;
};
