#include "memoryledger.h"

#include <algorithm>

void MemoryLedger::rebase(std::optional<qint64> available, qint64 takenBefore)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    base_ = available ? std::optional<qint64>(*available + takenBefore) : std::nullopt;
}

qint64 MemoryLedger::taken() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return taken_;
}

std::optional<qint64> MemoryLedger::roomLocked() const
{
    return base_ ? std::optional<qint64>(*base_ - taken_ - held_) : std::nullopt;
}

std::optional<qint64> MemoryLedger::room() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return roomLocked();
}

std::optional<qint64> MemoryLedger::roomFor(const qint64 &held) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::optional<qint64> room = roomLocked();
    return room ? std::optional<qint64>(*room + held) : std::nullopt;
}

bool MemoryLedger::take(qint64 bytes, qint64 &held)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::optional<qint64> room = roomLocked();
    if (room && bytes > *room + held)
        return false;
    const qint64 own = std::min(bytes, held);
    held -= own;
    held_ -= own;
    taken_ += bytes;
    return true;
}

void MemoryLedger::giveBack(qint64 bytes)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    taken_ -= bytes;
}

void MemoryLedger::hold(qint64 bytes, qint64 &held)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    held += bytes;
    held_ += bytes;
}

void MemoryLedger::releaseHeld(qint64 &held)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    held_ -= held;
    held = 0;
}
