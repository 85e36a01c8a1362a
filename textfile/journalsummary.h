#pragma once

#include "journalorigin.h"

#include <optional>

class QIODevice;

/// What a journal says of its document once read to its end: where the
/// document came from, the identity of its file as last known, the format
/// its next Save writes, and where the journal's last whole record ends.
struct JournalSummary
{
    JournalOrigin origin;
    std::optional<JournalIdentity> identity;
    TextFileFormat::FileFormat format;
    qint64 wholeLength = 0;
    /// Bytes that are no whole record came after the last one: a record
    /// cut by a power cut, or damage.
    bool stoppedShort = false;

    /// Reads the journal on device; nothing when it is not a journal of
    /// this program.
    static std::optional<JournalSummary> of(QIODevice &device);
};
