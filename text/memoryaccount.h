#pragma once

#include "memorycharge.h"
#include "memoryreservation.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class MemoryLedger;

/// The one account of the memory the program's texts take, held against
/// what the system leaves the program, so that a text that will not fit is
/// refused before it is made rather than ending the program and every
/// document with it.
///
/// Everything that takes memory a little at a time counts here at once:
/// each file loading holds what its text is expected to take
/// (MemoryReservation) and takes it as it goes, so that what is left for
/// each shrinks as soon as another starts or takes more than it held;
/// memory kept for as long as a handle lives (MemoryCharge) counts until
/// the handle goes. Any thread may take.
class MemoryAccount
{
public:
    /// What the system leaves the program now, in bytes; nothing when it
    /// does not tell. Called on any thread.
    using Reading = std::function<std::optional<qint64>()>;

    /// Keeps margin bytes free for the program's own work.
    MemoryAccount(Reading reading, qint64 margin);
    ~MemoryAccount();
    MemoryAccount(const MemoryAccount &) = delete;
    MemoryAccount &operator=(const MemoryAccount &) = delete;

    /// What something new may take now, after a fresh reading: less than
    /// zero when what is held already will not fit; nothing when the system
    /// does not tell.
    std::optional<qint64> left() const;
    /// Holds bytes for a taker, whether they fit or not: left() says first.
    std::shared_ptr<MemoryReservation> reserve(qint64 bytes);
    /// Takes bytes until the handle goes; nothing when they do not fit,
    /// even after a fresh reading.
    std::optional<MemoryCharge> charge(qint64 bytes);

private:
    void read() const;
    std::optional<MemoryCharge> tryCharge(qint64 bytes);

    const Reading reading_;
    const qint64 margin_;
    const std::shared_ptr<MemoryLedger> ledger_;
};
