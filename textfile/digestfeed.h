#pragma once

#include <QByteArrayView>
#include <QtGlobal>

class FileDigest;

/// Adds the bytes of one stretch of a file, as they are read in order, to
/// the file's digest: whole words go in as they come. The word the stretch
/// starts inside of is made whole from the bytes before the stretch, and
/// the word it ends inside of is left to the stretch after it, unless the
/// file ends there.
class DigestFeed
{
public:
    /// A stretch from offset; before holds the bytes of the file from the
    /// start of the word offset falls in up to offset.
    DigestFeed(FileDigest &digest, qint64 offset, QByteArrayView before);

    /// The next bytes of the stretch.
    void take(const char *bytes, qint64 count);
    /// The stretch has ended: where the file ends, its last word goes in.
    void finish();

private:
    FileDigest &digest_;
    qint64 offset_;     ///< past the last byte taken
    char word_[8] = {}; ///< the bytes of the word begun and not yet added
    qint64 carried_ = 0;
};
