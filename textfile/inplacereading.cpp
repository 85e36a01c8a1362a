#include "inplacereading.h"

#include "textdecoder.h"

#include "text/chunkbuilder.h"
#include "text/plainbytes.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>

namespace TextFileFormat {

InPlaceReading::InPlaceReading(qint64 expected, qsizetype blockSize, Decoder &decoder,
                               ChunkBuilder &builder)
    : expected_(expected), blockSize_(std::max<qsizetype>(blockSize, 1)), decoder_(decoder),
      builder_(builder), region_(TextRegion::make(expected + blockSize_))
{
}

char *InPlaceReading::room()
{
    if (end_ + blockSize_ > region_->capacity())
        continueInNewRegion();
    // Only what the stretch is expected to hold: the read at its end finds
    // nothing more, and a small file is not given a whole block.
    region_->prepare(end_, std::clamp<qint64>(expected_ - read_, 0, blockSize_));
    return region_->data() + end_;
}

void InPlaceReading::continueInNewRegion()
{
    const qint64 waiting = end_ - start_;
    const qint64 capacity =
        std::max<qint64>(expected_ - read_, 64 * blockSize_) + waiting + blockSize_;
    std::shared_ptr<TextRegion> next = TextRegion::make(capacity);
    std::copy_n(region_->data() + start_, waiting, next->data());
    region_->trim(start_);
    region_ = std::move(next);
    start_ = 0;
    end_ = waiting;
}

void InPlaceReading::take(qsizetype count)
{
    end_ += count;
    read_ += count;
    handOver(false);
}

void InPlaceReading::finish()
{
    handOver(true);
    region_->trim(start_);
    region_.reset();
}

// Only a whole chunk goes while more may come, and one more byte must have
// come: a CR last in the chunk goes with the next one, beside its LF. A
// chunk that is not its own text, or that follows bytes the decoder has not
// finished, goes through the decoder; when no chunk kept in place follows
// such chunks, the room they took is read into again.
void InPlaceReading::handOver(bool atEnd)
{
    const auto *bytes = reinterpret_cast<const uchar *>(region_->data());
    const qsizetype chunkSize = builder_.chunkSize();
    qint64 decodedFrom = -1;
    for (;;) {
        const qint64 waiting = end_ - start_;
        qsizetype size = 0;
        if (waiting > chunkSize)
            size = bytes[start_ + chunkSize - 1] == '\r' ? chunkSize - 1 : chunkSize;
        else if (atEnd && waiting > 0)
            size = qsizetype(waiting);
        else
            break;
        const char *text = region_->data() + start_;
        const std::optional<LineSummary> summary =
            decoder_.isAtRest() ? PlainBytes::summary(bytes + start_, size) : std::nullopt;
        if (summary) {
            builder_.append(Chunk::inPlace(text, size, region_, *summary));
            decoder_.passedAsIs(QByteArrayView(text, size));
            decodedFrom = -1;
        } else {
            decoder_.decode(QByteArrayView(text, size), builder_);
            if (decodedFrom < 0)
                decodedFrom = start_;
        }
        start_ += size;
    }
    if (decodedFrom >= 0) {
        const qint64 waiting = end_ - start_;
        std::memmove(region_->data() + decodedFrom, region_->data() + start_, size_t(waiting));
        start_ = decodedFrom;
        end_ = start_ + waiting;
    }
}

} // namespace TextFileFormat
