#include "partreader.h"

#include "digestfeed.h"
#include "inplacereading.h"

#include <algorithm>
#include <new>

PartReader::PartReader(const TextFileFormat::FileFormat &format, const ChunkBuilder &builder,
                       const LoadOptions &options)
    : decoder_(format.encoding, format.lineBreak), builder_(builder),
      blockSize_(std::max<qsizetype>(options.blockSize, 1)),
      readInPlace_(options.readInPlace && decoder_.readsPlainBytesAsThemselves())
{
}

PartReader::~PartReader() = default;

char *PartReader::room()
{
    return inPlace_ ? inPlace_->room() : block_.data();
}

void PartReader::take(qsizetype count)
{
    if (inPlace_)
        inPlace_->take(count);
    else
        decoder_.decode(QByteArrayView(block_.constData(), count), builder_);
}

PartReader::Ending PartReader::read(const Source &source, qint64 length, bool endsFile,
                                    const Stopping &stopping, const Deliver &deliver,
                                    DigestFeed *digest)
{
    if (readInPlace_) {
        try {
            inPlace_ = std::make_unique<TextFileFormat::InPlaceReading>(
                std::max<qint64>(length, 0), blockSize_, decoder_, builder_);
        } catch (const std::bad_alloc &) {
            // No room for the part in one piece: its chunks may still fit
            // one by one.
        }
    }
    if (!inPlace_)
        block_ = QByteArray(blockSize_, Qt::Uninitialized);
    Ending ending;
    for (;;) {
        if ((ending.stopped = stopping()))
            return ending;
        const qint64 wanted =
            length < 0 ? blockSize_ : std::min<qint64>(blockSize_, length - ending.read);
        if (wanted == 0)
            break;
        char *into = room();
        const FileSnapshot::Read got = source(into, wanted);
        if (got.bytes > 0) {
            if (digest)
                digest->take(into, got.bytes);
            take(qsizetype(got.bytes));
            ending.read += got.bytes;
            deliver(builder_.takeCompleted(), got.bytes, false);
        }
        if ((ending.error = got.error) || got.bytes < wanted)
            break;
    }
    if (!ending.error && !(ending.stopped = stopping()))
        finish(endsFile, deliver);
    return ending;
}

// A part that ends at its cut leaves no state behind: the next part takes
// over right after an LF. Only the file's end is finished.
void PartReader::finish(bool endsFile, const Deliver &deliver)
{
    if (inPlace_)
        inPlace_->finish();
    if (endsFile)
        decoder_.finish(builder_);
    deliver(builder_.take(), 0, true);
}
