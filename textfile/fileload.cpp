#include "fileload.h"

#include "inplacereading.h"
#include "textdecoder.h"

#include <QByteArray>

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>

namespace {

// How far past a planned cut an LF is looked for; a part whose cut finds
// none is joined to the next.
constexpr qint64 CutSearch = 1 << 16;

// Parts are cut no smaller than this unless the options ask for it.
constexpr qint64 MinimumPart = 1 << 20;

// At most this many parts, however the sizes are set.
constexpr qint64 MaximumParts = 256;

constexpr qint64 ToTheEnd = std::numeric_limits<qint64>::max();

// The taker is woken at most this often while the parts decode: each time
// costs it the handing over of the chunks and a repaint.
constexpr std::chrono::milliseconds WakeInterval(10);

} // namespace

FileLoad::FileLoad(const QString &path, const ChunkBuilder &builder, const Options &options)
    : path_(path), builder_(builder), options_(options), file_(path)
{
}

FileLoad::~FileLoad()
{
    stopping_ = true;
    for (std::thread &thread : threads_)
        thread.join();
}

int FileLoad::defaultThreads()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

std::optional<QString> FileLoad::open()
{
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return file_.errorString();
    size_ = file_.size();
    const QByteArray head = file_.read(TextFileFormat::DetectionSample);
    if (options_.format) {
        format_ = *options_.format;
        // A mark the file does not begin with is not skipped.
        format_.encoding = format_.encoding.withMark(format_.encoding.hasMark() &&
                                                     head.startsWith(format_.encoding.mark()));
    } else if (options_.encoding) {
        format_ = TextFileFormat::formatIn(head, *options_.encoding);
    } else {
        format_ = TextFileFormat::detectFormat(head, size_);
    }
    planParts();
    return std::nullopt;
}

std::optional<QString> FileLoad::start(std::function<void()> wake)
{
    if (std::optional<QString> failure = open())
        return failure;
    wake_ = std::move(wake);
    const size_t threads =
        std::clamp<size_t>(size_t(std::max(options_.threads, 1)), 1, parts_.size());
    for (size_t i = 0; i < threads; ++i)
        threads_.emplace_back([this] { decodeParts(); });
    return std::nullopt;
}

QString FileLoad::outOfMemoryReason()
{
    return QStringLiteral(
        "Memoria insufficiente: il programma non ha memoria per tutto il testo del file.");
}

std::optional<QString> FileLoad::run()
{
    if (std::optional<QString> failure = open())
        return failure;
    decodeParts();
    return failure();
}

// Parts of equal size, each moved on to just after an LF. A file that does
// not tell its size is one part, read until it ends. The byte-order mark is
// in none of them.
void FileLoad::planParts()
{
    // Eight parts a thread at least, so that at the end no thread waits long
    // for another to finish a large part; never smaller than a megabyte,
    // which every part would take longer to start than to read.
    const qint64 balanced =
        std::max<qint64>(MinimumPart, size_ / (8 * std::max(options_.threads, 1)));
    const qint64 partSize = std::min(options_.partSize, balanced);
    const qint64 wanted = partSize > 0 ? size_ / partSize : 1;
    const qint64 count = std::clamp<qint64>(wanted, 1, MaximumParts);
    qint64 begin = format_.encoding.mark().size();
    for (qint64 k = 1; k < count; ++k) {
        const qint64 cut = cutAfterLineFeed(std::max(begin, size_ / count * k));
        // The part after a cut holds at least one whole unit: bytes left
        // over at the end of UTF-16 or UTF-32 follow the last line's end,
        // which only the part that holds that line can give.
        if (cut <= begin || cut + format_.encoding.unitSize() > size_)
            continue;
        parts_.push_back(Part{begin, cut, {}, 0, false});
        begin = cut;
    }
    parts_.push_back(Part{begin, ToTheEnd, {}, 0, false});
}

qint64 FileLoad::cutAfterLineFeed(qint64 offset)
{
    const int unit = format_.encoding.unitSize();
    offset -= offset % unit; // units start at offsets that are multiples of their size
    if (!file_.seek(offset))
        return -1;
    const QByteArray window = file_.read(CutSearch);
    const QByteArrayView lineFeed = format_.encoding.lineFeed();
    for (qsizetype at = window.indexOf(lineFeed); at >= 0; at = window.indexOf(lineFeed, at + 1)) {
        if (at % unit == 0)
            return offset + at + lineFeed.size();
    }
    return -1;
}

void FileLoad::decodeParts()
{
    for (size_t k = nextPart_++; k < parts_.size() && !stopping_; k = nextPart_++)
        decodePart(parts_[k], k + 1 == parts_.size());
}

// A part that cannot get the memory for its text ends the load with the
// reason, rather than the program.
void FileLoad::decodePart(Part &part, bool last)
{
    try {
        readPart(part, last);
    } catch (const std::bad_alloc &) {
        fail(outOfMemoryReason());
    }
}

// Each part reads through a handle of its own, so that parts read at the
// same time do not share a file position. A part in an encoding whose plain
// bytes decode to themselves is read in place (InPlaceReading); any other is
// read into one block again and again.
void FileLoad::readPart(Part &part, bool last)
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !file.seek(part.begin)) {
        fail(file.errorString());
        return;
    }
    TextFileFormat::Decoder decoder(format_.encoding, format_.lineBreak);
    ChunkBuilder builder = builder_;
    const qsizetype blockSize = std::max<qsizetype>(options_.blockSize, 1);
    const qint64 expected = (last ? size_ : part.end) - part.begin;
    std::optional<TextFileFormat::InPlaceReading> inPlace;
    QByteArray block;
    if (decoder.readsPlainBytesAsThemselves() && options_.readInPlace) {
        try {
            inPlace.emplace(expected, blockSize, decoder, builder);
        } catch (const std::bad_alloc &) {
            // No room for the part in one piece: its chunks may still fit
            // one by one.
        }
    }
    if (!inPlace)
        block = QByteArray(blockSize, Qt::Uninitialized);
    qint64 offset = part.begin;
    bool atEnd = false;
    while (!stopping_ && offset < part.end) {
        char *room = inPlace ? inPlace->room() : block.data();
        const qint64 read = file.read(room, std::min<qint64>(blockSize, part.end - offset));
        if (read < 0) {
            fail(file.errorString());
            return;
        }
        if (read == 0) {
            atEnd = true;
            break;
        }
        if (inPlace)
            inPlace->take(read);
        else
            decoder.decode(QByteArrayView(room, read), builder);
        offset += read;
        deliver(part, builder.takeCompleted(), read, false);
    }
    if (stopping_)
        return;
    if (inPlace)
        inPlace->finish();
    // A part that ends at its cut leaves no state behind: the next part
    // takes over right after an LF. Only the file's end is finished.
    if (atEnd || last)
        decoder.finish(builder);
    deliver(part, builder.take(), 0, true);
}

void FileLoad::deliver(Part &part, std::vector<Chunk> chunks, qint64 bytes, bool done)
{
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        if (part.ready.empty())
            part.ready = std::move(chunks);
        else
            std::move(chunks.begin(), chunks.end(), std::back_inserter(part.ready));
        part.readyBytes += bytes;
        part.done = done;
        const auto now = std::chrono::steady_clock::now();
        wake = !wakePending_ && (done || now - lastWake_ >= WakeInterval);
        if (wake) {
            wakePending_ = true;
            lastWake_ = now;
        }
    }
    if (wake && wake_)
        wake_();
}

void FileLoad::fail(const QString &reason)
{
    {
        const std::lock_guard lock(mutex_);
        if (!failure_)
            failure_ = reason;
    }
    stopping_ = true;
    if (wake_)
        wake_();
}

// The decoding threads gather each part's chunks as they deliver them, so
// that the chunks are handed over here without being moved one by one.
FileLoad::Ready FileLoad::take()
{
    const std::lock_guard lock(mutex_);
    wakePending_ = false;
    Ready ready;
    while (front_ < parts_.size() && ready.isEmpty()) {
        Part &part = parts_[front_];
        ready.chunks.swap(part.ready);
        ready.bytes = std::exchange(part.readyBytes, 0);
        if (!part.done)
            break;
        ++front_;
    }
    return ready;
}

bool FileLoad::isFinished() const
{
    const std::lock_guard lock(mutex_);
    return failure_ || front_ == parts_.size();
}

std::optional<QString> FileLoad::failure() const
{
    const std::lock_guard lock(mutex_);
    return failure_;
}
