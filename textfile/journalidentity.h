#pragma once

#include "filestamp.h"

#include <QtGlobal>

class FileDigest;

/// What a journal knows of the file its document was read from or last
/// saved to: the file's stamp then, how many of its bytes the text came
/// from, and a checksum of those bytes.
///
/// Only the bytes decide whether a file is still the one the journal's
/// edits were made on: a copy, a backup put back or a reboot changes the
/// stamp (the device number among it) of the same bytes, and the stamp is
/// kept only to be shown.
struct JournalIdentity
{
    FileStamp stamp;
    qint64 size = 0;
    quint64 checksum = 0;

    /// The checksum of a file's bytes from the digest its load took of them.
    static quint64 checksumOf(const FileDigest &digest);
    /// The checksum of bytes of size whose digest blocks have these values,
    /// in order.
    static quint64 checksumOf(qint64 size, const quint64 *blocks, qint64 count);

    bool sameBytesAs(const JournalIdentity &other) const
    {
        return size == other.size && checksum == other.checksum;
    }
};
