#pragma once

#include "textregion.h"

#include <QtGlobal>

#include <memory>

class ChunkBuilder;

namespace TextFileFormat {

class Decoder;

/// Reads a stretch of a file so that its text stays where it was read
/// wherever the bytes are their own text, and each such byte is touched by
/// one pass only.
///
/// Blocks are read into a TextRegion, each right after the one before. What
/// has come is cut into chunks of the builder's size, never between a CR and
/// its LF; a chunk whose bytes are their own text (PlainBytes::summary) keeps
/// them where they are, with the summary the same scan gave. Any other chunk
/// goes through the decoder into chunks of their own, and the room of such
/// chunks is read into again unless a chunk kept in place follows them. A
/// stretch that turns out longer than expected goes on in a further region.
class InPlaceReading
{
public:
    /// For a stretch of about expected bytes, read blockSize bytes at a
    /// time; the decoder must read plain bytes as themselves.
    InPlaceReading(qint64 expected, qsizetype blockSize, Decoder &decoder, ChunkBuilder &builder);

    /// Where the next block of at most blockSize bytes is to be read.
    char *room();
    /// count bytes were read into room(): hands the text of what can be
    /// decided to the builder.
    void take(qsizetype count);
    /// The stretch has ended: the bytes still waiting go too, and the room
    /// that nothing was read into is given back.
    void finish();

private:
    void handOver(bool atEnd);
    /// A further region, with the bytes that wait moved to its start.
    void continueInNewRegion();

    const qint64 expected_;
    const qsizetype blockSize_;
    Decoder &decoder_;
    ChunkBuilder &builder_;
    std::shared_ptr<TextRegion> region_;
    qint64 start_ = 0; ///< the first byte of the region not yet handed over
    qint64 end_ = 0;   ///< past the last byte read into the region
    qint64 read_ = 0;  ///< bytes read in all
};

} // namespace TextFileFormat
