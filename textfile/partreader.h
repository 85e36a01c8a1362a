#pragma once

#include "detection.h"
#include "filesnapshot.h"
#include "loadoptions.h"
#include "textdecoder.h"

#include "text/chunkbuilder.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <vector>

class DigestFeed;

namespace TextFileFormat {
class InPlaceReading;
}

/// Reads one part of a file block after block and decodes it into chunks.
///
/// A part in an encoding whose plain bytes decode to themselves is read in
/// place (InPlaceReading); any other is read into one block again and
/// again. The chunks go to whoever takes them as each block is done.
class PartReader
{
public:
    /// Reads at most size of the part's next bytes into into.
    using Source = std::function<FileSnapshot::Read(char *into, qint64 size)>;
    /// Takes the chunks made so far and the bytes of the part they stand
    /// for; done with the part's last ones.
    using Deliver = std::function<void(std::vector<Chunk> chunks, qint64 bytes, bool done)>;
    /// Whether reading is to stop where it is.
    using Stopping = std::function<bool()>;

    /// How a part's reading ended.
    struct Ending
    {
        /// The bytes read, fewer than the part's length when it ended early.
        qint64 read = 0;
        /// The system's error, when a read failed.
        int error = 0;
        bool stopped = false;
    };

    PartReader(const TextFileFormat::FileFormat &format, const ChunkBuilder &builder,
               const LoadOptions &options);
    ~PartReader();

    /// Reads length bytes from source, or all it gives when length is
    /// negative; the digest, when given, takes every byte read. The part
    /// that ends the file also ends the text (finish()).
    Ending read(const Source &source, qint64 length, bool endsFile, const Stopping &stopping,
                const Deliver &deliver, DigestFeed *digest);

private:
    /// Where the next block is read into.
    char *room();
    /// count bytes were read into room().
    void take(qsizetype count);
    /// Hands over what the part's end decides, and the part's last chunks.
    void finish(bool endsFile, const Deliver &deliver);

    TextFileFormat::Decoder decoder_;
    ChunkBuilder builder_;
    const qsizetype blockSize_;
    const bool readInPlace_;
    std::unique_ptr<TextFileFormat::InPlaceReading> inPlace_;
    QByteArray block_;
};
