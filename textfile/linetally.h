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
/// break of one. A line's characters are the bytes in it that start one,
/// and one more for each lead of four bytes; each break costs a bit count
/// or two, and a block a few more.
class LineTally
{
public:
    Q_ALWAYS_INLINE void take(const ByteBlock &block)
    {
        const quint64 breaks = block.carriageReturns | block.lineFeeds;
        const quint64 pairedLineFeeds =
            block.lineFeeds & ((block.carriageReturns << 1) | crCarried_);
        crCarried_ = block.carriageReturns >> 63;
        const qint64 lone = std::popcount(block.carriageReturns) - std::popcount(pairedLineFeeds);
        loneCarriageReturns_ += lone;
        // A lone CR reads as CR LF: the LF is one character more.
        length_ += std::popcount(block.starts) + std::popcount(block.fourBytes) + lone;
        // What is left of the block after the breaks seen so far.
        quint64 starts = block.starts & ~breaks;
        quint64 fourBytes = block.fourBytes;
        for (quint64 left = breaks & ~pairedLineFeeds; left != 0; left &= left - 1) {
            const int bit = std::countr_zero(left);
            const quint64 before = (quint64(1) << bit) - 1;
            endLine(line_ + std::popcount(starts & before) + std::popcount(fourBytes & before));
            const quint64 through = (quint64(2) << bit) - 1;
            starts &= ~through;
            fourBytes &= ~through;
        }
        line_ += std::popcount(starts) + std::popcount(fourBytes);
    }

    LineSummary summary() const
    {
        LineSummary summary;
        summary.length = length_;
        summary.breaks = breaks_;
        summary.firstLine = breaks_ == 0 ? length_ : firstLine_;
        summary.lastLine = line_;
        summary.longestLine = std::max(longestLine_, line_);
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
        line_ = 0;
    }

    qint64 length_ = 0;
    qint64 line_ = 0; ///< characters of the line not yet ended
    qint64 breaks_ = 0;
    qint64 firstLine_ = 0;
    qint64 longestLine_ = 0;
    qint64 loneCarriageReturns_ = 0;
    quint64 crCarried_ = 0; ///< the last block ended in a CR
};
