#pragma once

#include "text/chunkbuilder.h"

#include <QString>

#include <memory>
#include <optional>

class MemoryGauge;

/// The memory the documents' texts may still take, held against what the
/// system leaves the program (MemoryGauge) before a file is read or a large
/// text goes in, so that a text that will not fit is refused with a message
/// rather than ending the program and every document with it.
///
/// Each file loading holds a reservation of what its text is expected to
/// take, so that files loading at the same time do not count the same
/// memory twice.
class LoadMemory
{
public:
    explicit LoadMemory(const MemoryGauge &gauge) : gauge_(gauge) {}

    /// What a file loading holds until it ends.
    class Reservation
    {
    public:
        Reservation(std::shared_ptr<qint64> reserved, qint64 bytes, qint64 limit);
        ~Reservation();
        Reservation(const Reservation &) = delete;
        Reservation &operator=(const Reservation &) = delete;

        /// The memory the file's chunks may take: all the program may have,
        /// as a text may turn out larger than expected.
        const ChunkBuilder::Budget &budget() const { return budget_; }

    private:
        std::shared_ptr<qint64> reserved_; // may outlive the LoadMemory
        qint64 bytes_;
        ChunkBuilder::Budget budget_;
    };

    /// Reserves what the text of a file of fileSize bytes will take; nothing,
    /// with the reason in refusal, when it will not fit.
    std::unique_ptr<Reservation> reserve(qint64 fileSize, QString &refusal);
    /// Why a text of this many characters may not go in now, if it may not.
    std::optional<QString> refusalFor(qint64 characters) const;

    /// What the text of a file of this size is expected to take: a byte a
    /// character for most text, with the chunks' room to grow.
    static qint64 expectedBytes(qint64 fileSize);

private:
    std::optional<qint64> left() const;

    const MemoryGauge &gauge_;
    std::shared_ptr<qint64> reserved_ = std::make_shared<qint64>(0);
};
