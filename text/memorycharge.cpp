#include "memorycharge.h"

#include "memoryledger.h"

#include <utility>

MemoryCharge::MemoryCharge(std::shared_ptr<MemoryLedger> ledger, qint64 bytes)
    : ledger_(std::move(ledger)), bytes_(bytes)
{
}

MemoryCharge::~MemoryCharge()
{
    giveBack();
}

MemoryCharge::MemoryCharge(MemoryCharge &&other) noexcept
    : ledger_(std::move(other.ledger_)), bytes_(std::exchange(other.bytes_, 0))
{
}

MemoryCharge &MemoryCharge::operator=(MemoryCharge &&other) noexcept
{
    if (this != &other) {
        giveBack();
        ledger_ = std::move(other.ledger_);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

void MemoryCharge::giveBack()
{
    if (ledger_)
        ledger_->giveBack(bytes_);
    ledger_.reset();
    bytes_ = 0;
}
