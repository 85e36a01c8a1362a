#pragma once

#include "text/memoryaccount.h"

#include <QString>

#include <memory>
#include <optional>

class MemoryGauge;

/// The program's memory account (MemoryAccount) over what the system leaves
/// the program (MemoryGauge), and the refusals it gives: a file or a large
/// text that will not fit is refused with a message before anything is
/// taken.
///
/// Each file loading holds a reservation of what its text is expected to
/// take, so that files loading at the same time share what is left and do
/// not count the same memory twice.
class LoadMemory
{
public:
    explicit LoadMemory(const MemoryGauge &gauge);

    /// Where everything that keeps text in memory is counted.
    MemoryAccount &account() { return account_; }

    /// Reserves what the text of a file of fileSize bytes will take; nothing,
    /// with the reason in refusal, when it will not fit.
    std::shared_ptr<MemoryReservation> reserve(qint64 fileSize, QString &refusal);
    /// Takes what a document held in pieces may take for them; nothing,
    /// with the reason in refusal, when it will not fit.
    std::optional<MemoryCharge> chargePieces(qint64 bytes, QString &refusal);
    /// Why a text of this many characters may not go in now, if it may not.
    std::optional<QString> refusalFor(qint64 characters) const;

    /// Whether needed bytes fit in what is left (when the system does not
    /// tell, everything fits).
    static bool fits(qint64 needed, std::optional<qint64> left) { return !left || needed <= *left; }
    /// What the text of a file of this size is expected to take: a byte a
    /// character for most text, with the chunks' room to grow.
    static qint64 expectedBytes(qint64 fileSize);

private:
    MemoryAccount account_;
};
