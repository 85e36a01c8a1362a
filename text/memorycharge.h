#pragma once

#include <QtGlobal>

#include <memory>

class MemoryLedger;

/// Memory taken through an account for as long as the handle lives, such as
/// the pieces a cache keeps: going, it gives the memory back. An empty
/// handle holds nothing.
class MemoryCharge
{
public:
    MemoryCharge() = default;
    ~MemoryCharge();
    MemoryCharge(MemoryCharge &&other) noexcept;
    MemoryCharge &operator=(MemoryCharge &&other) noexcept;

    qint64 bytes() const { return bytes_; }

private:
    friend class MemoryAccount;
    /// For bytes already taken from ledger.
    MemoryCharge(std::shared_ptr<MemoryLedger> ledger, qint64 bytes);
    void giveBack();

    std::shared_ptr<MemoryLedger> ledger_;
    qint64 bytes_ = 0;
};
