#pragma once

#include "searchquery.h"

#include <QByteArray>

#include <optional>

class PieceSource;

/// A quick look through a piece's bytes, undecoded, for what every match of
/// a query must hold there: the longest stretch of the query without a line
/// break (a lone CR in a file reads as CR LF), in the file's encoding; when
/// case does not matter, only in an encoding that writes ASCII as itself,
/// the longest stretch of ASCII characters that no other character folds
/// to, in either case. Bytes without it hold no match, so a miss decodes
/// nothing; bytes with it may still hold none.
class BytePrefilter
{
public:
    /// Nothing when the query's matches cannot be told by the bytes of the
    /// source's file.
    static std::optional<BytePrefilter> of(const SearchQuery &query, const PieceSource &source);

    /// Whether the pattern appears in the size bytes at bytes.
    bool mayHold(const char *bytes, qint64 size) const;
    /// The pattern's length in bytes.
    qsizetype length() const { return pattern_.size(); }

private:
    BytePrefilter(QByteArray pattern, QByteArray caseBits);
    bool equalAt(const char *bytes) const;

    /// The pattern with caseBits set in it, so that a byte matches when,
    /// with the same bits set, it equals the pattern's.
    QByteArray pattern_;
    /// 0x20 where the pattern has an ASCII letter whose case does not matter.
    QByteArray caseBits_;
};
