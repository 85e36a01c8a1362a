#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>

class MemoryLedger;

/// Memory held through an account for a taker that takes it a piece at a
/// time, such as a file being loaded: what it holds and has not yet taken
/// counts against everything else, and it may take more than it holds
/// while the account has room. Several threads may take at once.
///
/// When it goes, what it held and did not take is free for others again;
/// what it took stays counted, as it was handed on (a loaded text stays in
/// its document), until the account's next reading of the system sees it.
class MemoryReservation
{
public:
    MemoryReservation(std::shared_ptr<MemoryLedger> ledger, qint64 bytes);
    ~MemoryReservation();
    MemoryReservation(const MemoryReservation &) = delete;
    MemoryReservation &operator=(const MemoryReservation &) = delete;

    /// Takes bytes; false, taking nothing, when they are more than budget().
    bool take(qint64 bytes);
    /// What it may take now: what it holds and has not taken, and what the
    /// account has left besides, which shrinks as other takers hold or take
    /// more; nothing when the system does not tell.
    std::optional<qint64> budget() const;

private:
    std::shared_ptr<MemoryLedger> ledger_;
    qint64 held_ = 0; // only the ledger, under its lock, changes it
};
