#include "memoryreservation.h"

#include "memoryledger.h"

MemoryReservation::MemoryReservation(std::shared_ptr<MemoryLedger> ledger, qint64 bytes)
    : ledger_(std::move(ledger))
{
    ledger_->hold(bytes, held_);
}

MemoryReservation::~MemoryReservation()
{
    ledger_->releaseHeld(held_);
}

bool MemoryReservation::take(qint64 bytes)
{
    return ledger_->take(bytes, held_);
}

std::optional<qint64> MemoryReservation::budget() const
{
    return ledger_->roomFor(held_);
}
