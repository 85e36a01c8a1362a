#pragma once

#include "journalrecord.h"

#include <QByteArray>

#include <optional>

class QIODevice;

/// Reads a journal's file from its start: its origin, then its records in
/// order, up to the first record that is cut short (a power cut while it
/// was written) or damaged; every whole record before it counts.
class JournalReader
{
public:
    explicit JournalReader(QIODevice &device) : device_(device) {}

    /// Reads the start of the file; false when it is not a journal of this
    /// program (another program's file, a later version's, or one whose
    /// origin cannot be read).
    bool open();
    const JournalOrigin &origin() const { return origin_; }
    /// The next whole record, or nothing at the end.
    std::optional<JournalRecord> next();
    /// Where the last whole record read ends: what a journal carried on
    /// after a power cut is cut back to.
    qint64 wholeLength() const { return whole_; }
    /// Whether bytes that are no whole record came after the last one read.
    bool stoppedShort() const { return stoppedShort_; }

private:
    /// Reads on until count bytes wait, or the file ends.
    void fill(qint64 count);

    QIODevice &device_;
    QByteArray buffer_;
    qsizetype at_ = 0; ///< where the unread bytes of buffer_ start
    bool atEnd_ = false;
    qint64 whole_ = 0;
    bool stoppedShort_ = false;
    bool stopped_ = false;
    JournalOrigin origin_;
};
