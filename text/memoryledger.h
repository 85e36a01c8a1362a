#pragma once

#include <QtGlobal>

#include <mutex>
#include <optional>

/// The numbers of a memory account, shared by the account and every handle
/// it gives out, so that a handle may outlive the account.
///
/// What something new may still take (its room) is what the system left at
/// the last reading, less what was taken through the account since, less
/// what is held for takers that have not yet taken it. Memory taken is
/// counted until it is given back or a new reading sees it: a reading
/// already counts everything taken before it.
class MemoryLedger
{
public:
    /// Counts a new reading of what the system leaves (less what is kept
    /// free), taken when no more than takenBefore had been taken; nothing
    /// when the system does not tell, and then everything fits.
    void rebase(std::optional<qint64> available, qint64 takenBefore);
    qint64 taken() const;

    /// What something new may take; nothing when the system does not tell.
    std::optional<qint64> room() const;
    /// What a taker holding held may take: its own bytes and the room.
    std::optional<qint64> roomFor(const qint64 &held) const;

    /// Takes bytes for a taker holding held (0 for none), its own bytes
    /// first; false, taking nothing, when they do not fit.
    bool take(qint64 bytes, qint64 &held);
    /// Memory taken that is free again.
    void giveBack(qint64 bytes);
    /// Sets bytes aside for a taker, who holds them in held.
    void hold(qint64 bytes, qint64 &held);
    /// What a taker held and did not take stops counting.
    void releaseHeld(qint64 &held);

private:
    std::optional<qint64> roomLocked() const;

    mutable std::mutex mutex_;
    /// What the last reading left plus what had been taken before it.
    std::optional<qint64> base_;
    qint64 taken_ = 0;
    qint64 held_ = 0;
};
