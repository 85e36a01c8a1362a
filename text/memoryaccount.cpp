#include "memoryaccount.h"

#include "memoryledger.h"

MemoryAccount::MemoryAccount(Reading reading, qint64 margin)
    : reading_(std::move(reading)), margin_(margin), ledger_(std::make_shared<MemoryLedger>())
{
    read();
}

MemoryAccount::~MemoryAccount() = default;

// Whatever is taken while the system is read counts as taken after it: it
// may then count twice until the next reading, never not at all.
void MemoryAccount::read() const
{
    const qint64 takenBefore = ledger_->taken();
    const std::optional<qint64> available = reading_();
    ledger_->rebase(available ? std::optional<qint64>(*available - margin_) : std::nullopt,
                    takenBefore);
}

std::optional<qint64> MemoryAccount::left() const
{
    read();
    return ledger_->room();
}

std::shared_ptr<MemoryReservation> MemoryAccount::reserve(qint64 bytes)
{
    return std::make_shared<MemoryReservation>(ledger_, bytes);
}

std::optional<MemoryCharge> MemoryAccount::charge(qint64 bytes)
{
    if (std::optional<MemoryCharge> charged = tryCharge(bytes))
        return charged;
    read();
    return tryCharge(bytes);
}

std::optional<MemoryCharge> MemoryAccount::tryCharge(qint64 bytes)
{
    qint64 none = 0;
    if (!ledger_->take(bytes, none))
        return std::nullopt;
    return MemoryCharge(ledger_, bytes);
}
