#pragma once

#include "text/linesummary.h"

#include <QtGlobal>

#include <algorithm>
#include <bit>

/// What 64 bytes in a row are, as bit masks: bit k for the byte k.
struct ByteBlock
{
    quint64 starts = 0;    ///< the bytes that start a character
    quint64 fourBytes = 0; ///< the leads of characters of two UTF-16 units
    quint64 carriageReturns = 0;
    quint64 lineFeeds = 0;
};

/// The lines of bytes taken a block at a time, counted as their text is:
/// every CR is a break of two characters (CR LF, its LF added when it is
/// lone), the LF right after a CR is part of it, and any other LF is a
/// break of one. Only the breaks need a look of their own; a block without
/// any costs a few bit counts.
class LineTally
{
public:
    Q_ALWAYS_INLINE void take(const ByteBlock &block)
    {
        const quint64 pairedLineFeeds =
            block.lineFeeds & ((block.carriageReturns << 1) | crCarried_);
        crCarried_ = block.carriageReturns >> 63;
        loneCarriageReturns_ +=
            std::popcount(block.carriageReturns) - std::popcount(pairedLineFeeds);
        const quint64 extra = block.fourBytes | block.carriageReturns;
        const bool plain = (extra | pairedLineFeeds) == 0;
        // The characters of the bytes of the block that mask selects.
        const auto characters = [&](quint64 mask) {
            qint64 n = std::popcount(block.starts & mask);
            if (!plain)
                n += std::popcount(extra & mask) - std::popcount(pairedLineFeeds & mask);
            return n;
        };
        for (quint64 left = block.carriageReturns | (block.lineFeeds & ~pairedLineFeeds); left != 0;
             left &= left - 1) {
            const int bit = std::countr_zero(left);
            const qint64 at = position_ + characters((quint64(1) << bit) - 1);
            endLine(at - lineStart_);
            lineStart_ = at + ((block.carriageReturns >> bit) & 1 ? 2 : 1);
        }
        position_ += characters(~quint64(0));
    }

    LineSummary summary() const
    {
        LineSummary summary;
        summary.length = position_;
        summary.breaks = breaks_;
        summary.firstLine = breaks_ == 0 ? position_ : firstLine_;
        summary.lastLine = position_ - lineStart_;
        summary.longestLine = std::max(longestLine_, summary.lastLine);
        return summary;
    }
    qint64 loneCarriageReturns() const { return loneCarriageReturns_; }

private:
    void endLine(qint64 length)
    {
        if (breaks_ == 0)
            firstLine_ = length;
        longestLine_ = std::max(longestLine_, length);
        ++breaks_;
    }

    qint64 position_ = 0; ///< characters before the next block
    qint64 lineStart_ = 0;
    qint64 breaks_ = 0;
    qint64 firstLine_ = 0;
    qint64 longestLine_ = 0;
    qint64 loneCarriageReturns_ = 0;
    quint64 crCarried_ = 0; ///< the last block ended in a CR
};
