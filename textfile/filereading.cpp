#include "filereading.h"

#include "detachedthread.h"
#include "digestfeed.h"
#include "filedigest.h"
#include "filepieces.h"
#include "filesnapshot.h"
#include "partreader.h"
#include "piececounter.h"
#include "pieceplan.h"
#include "snapshotcheck.h"

#include "text/piecestore.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace {

// What the deepest call of a load's thread needs (the decoder's and the
// detector's included), with room to spare.
constexpr std::size_t ThreadStack = std::size_t(1) << 20;

} // namespace

FileReading::FileReading(std::shared_ptr<FileSnapshot> snapshot, const ChunkBuilder &builder,
                         const LoadOptions &options, std::function<void()> wake)
    : snapshot_(std::move(snapshot)), builder_(builder), options_(options), queue_(std::move(wake))
{
}

QString FileReading::outOfMemoryReason()
{
    return QStringLiteral(
        "Memoria insufficiente: il programma non ha memoria per tutto il testo del file.");
}

// Each thread holds the reading, which holds all it needs, so that it may
// end on its own whenever its last read returns.
void FileReading::start()
{
    try {
        startDetachedThread(
            [self = shared_from_this()] { self->guarded([&self] { self->begin(); }); },
            ThreadStack);
    } catch (const std::system_error &error) {
        queue_.fail(FileSnapshot::reasonFor(error.code().value()));
    }
}

void FileReading::startThreads(int count)
{
    for (int k = 0; k < count; ++k) {
        try {
            startDetachedThread(
                [self = shared_from_this()] { self->guarded([&self] { self->readParts(); }); },
                ThreadStack);
        } catch (const std::system_error &) {
            return; // the threads there are read every part all the same
        }
    }
}

// A thread that cannot get the memory for the text it reads ends the load
// with the reason, rather than the program.
void FileReading::guarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (const std::bad_alloc &) {
        queue_.fail(outOfMemoryReason());
    }
}

// A file whose size says nothing, or that cannot be read at an offset
// after all, is read in order.
void FileReading::begin()
{
    snapshot_->waitForData();
    QByteArray head(TextFileFormat::DetectionSample, Qt::Uninitialized);
    if (snapshot_->readsAtOffsets()) {
        const FileSnapshot::Read read = snapshot_->readAt(0, head.data(), head.size());
        if (!read.error) {
            head.truncate(read.bytes);
            beginAtOffsets(head);
            return;
        }
        if (!FileSnapshot::isNoOffsets(read.error)) {
            queue_.fail(FileSnapshot::reasonFor(read.error));
            return;
        }
    }
    const FileSnapshot::Read read = snapshot_->readNext(head.data(), head.size());
    if (read.error) {
        queue_.fail(FileSnapshot::reasonFor(read.error));
        return;
    }
    head.truncate(read.bytes);
    readInOrder(head);
}

TextFileFormat::FileFormat FileReading::formatOf(const QByteArray &head, qint64 size) const
{
    if (!options_.format && options_.encoding)
        return TextFileFormat::formatIn(head, *options_.encoding);
    if (!options_.format)
        return TextFileFormat::detectFormat(head, size);
    TextFileFormat::FileFormat format = *options_.format;
    // A mark the file does not begin with is not skipped.
    format.encoding = format.encoding.withMark(format.encoding.hasMark() &&
                                               head.startsWith(format.encoding.mark()));
    return format;
}

// Only the bytes there were when the file was opened are read: bytes added
// since are not part of this state of the file.
void FileReading::beginAtOffsets(const QByteArray &head)
{
    const qint64 size = snapshot_->stamp().size;
    format_ = formatOf(head, size);
    digest_ = std::make_shared<FileDigest>(size);
    if (options_.pieces) {
        beginPieces(size);
    } else {
        parts_ = PartPlan::plan(*snapshot_, size, format_, options_);
        jobs_ = parts_.size();
    }
    partsLeft_ = jobs_;
    queue_.plan(format_, jobs_);
    startThreads(std::clamp(options_.threads, 1, int(std::min<size_t>(jobs_, 64))) - 1);
    readParts();
}

void FileReading::beginPieces(qint64 size)
{
    pieceSource_ = std::make_shared<FilePieces>(snapshot_, format_, digest_, options_.cutSpacing);
    counter_.emplace(format_);
    options_.pieces->setSource(pieceSource_);
    jobs_ = size_t(PiecePlan::count(size, options_.pieceSize));
}

void FileReading::readParts()
{
    for (size_t k = nextPart_++; k < jobs_ && !queue_.isStopping(); k = nextPart_++) {
        if (pieceSource_)
            readPiece(k);
        else
            readPart(k);
        if (options_.afterPart)
            options_.afterPart(qsizetype(k));
        if (--partsLeft_ == 0)
            finishParts();
    }
}

// A part that gives fewer bytes than it had when the file was opened was
// cut by another program while it was read.
void FileReading::readPart(size_t index)
{
    const PartPlan::Range range = parts_[index];
    const qint64 wordStart = range.begin / FileDigest::WordSize * FileDigest::WordSize;
    char before[FileDigest::WordSize];
    const FileSnapshot::Read head = snapshot_->readAt(wordStart, before, range.begin - wordStart);
    if (head.bytes < range.begin - wordStart) {
        queue_.fail(head.error ? FileSnapshot::reasonFor(head.error) : SnapshotCheck::cutReason());
        return;
    }
    DigestFeed digest(*digest_, range.begin, QByteArrayView(before, head.bytes));
    qint64 offset = range.begin;
    const PartReader::Source source = [this, &offset](char *into, qint64 size) {
        const FileSnapshot::Read read = snapshot_->readAt(offset, into, size);
        offset += read.bytes;
        return read;
    };
    PartReader reader(format_, builder_, options_);
    const PartReader::Ending ending = reader.read(
        source, range.end - range.begin, index + 1 == parts_.size(),
        [this] { return queue_.isStopping(); },
        [this, index](std::vector<Chunk> chunks, qint64 bytes, bool done) {
            queue_.deliver(index, std::move(chunks), bytes, done);
        },
        &digest);
    if (ending.stopped)
        return;
    if (ending.error || ending.read < range.end - range.begin)
        queue_.fail(ending.error ? FileSnapshot::reasonFor(ending.error)
                                 : SnapshotCheck::cutReason());
    else
        digest.finish();
}

// A piece is read whole, once, a step at a time; each step goes into the
// checksum and is counted straight from its bytes, where the encoding
// allows, while it is still in the processor's cache. Only the first
// piece's text, shown at once, is decoded and kept.
void FileReading::readPiece(size_t index)
{
    const qint64 size = snapshot_->stamp().size;
    PieceBytes piece =
        PiecePlan::piece(*snapshot_, size, format_, options_.pieceSize, qint64(index));
    if (piece.size() == 0) {
        queue_.deliver(index, {}, 0, true);
        return;
    }
    const qint64 wordStart = piece.begin / FileDigest::WordSize * FileDigest::WordSize;
    char before[FileDigest::WordSize];
    const FileSnapshot::Read head = snapshot_->readAt(wordStart, before, piece.begin - wordStart);
    DigestFeed digest(*digest_, piece.begin, QByteArrayView(before, head.bytes));
    std::optional<ByteCounting::Counter> counter;
    if (index != 0)
        counter = counter_->counter();
    const std::shared_ptr<char[]> bytes =
        head.bytes < piece.begin - wordStart
            ? nullptr
            : FilePieces::readBytes(*snapshot_, piece, [&](const char *step, qint64 count) {
                  digest.take(step, count);
                  if (counter)
                      counter->take(reinterpret_cast<const uchar *>(step), count);
              });
    if (!bytes) {
        queue_.fail(SnapshotCheck::cutReason());
        return;
    }
    digest.finish();
    std::optional<PieceCounter::Counted> counted;
    if (counter)
        counted = counter_->counted(*counter, bytes.get(), piece.size(), piece.endsText);
    if (!counted) {
        PieceText text = PieceDecoding::decode(format_, bytes.get(), piece.size(), bytes,
                                               piece.endsText, options_.cutSpacing);
        counted = PieceCounter::Counted{text.characters.summary(), text.bytesAreText};
        piece.bytesAreText = text.bytesAreText;
        if (index == 0)
            options_.pieces->keep(piece, std::move(text));
    }
    piece.bytesAreText = counted->bytesAreText;
    queue_.deliver(index, {Chunk::piece(options_.pieces, piece, counted->summary)}, piece.size(),
                   true);
}

void FileReading::finishParts()
{
    if (queue_.isStopping())
        return;
    SnapshotCheck::Verdict verdict =
        SnapshotCheck::check(*snapshot_, digest_, [this] { return queue_.isStopping(); });
    if (const LoadedFile *file = std::get_if<LoadedFile>(&verdict)) {
        if (pieceSource_)
            pieceSource_->setChecked();
        queue_.succeed(*file);
    } else
        queue_.fail(std::get<QString>(verdict));
}

// The head already read comes first, its byte-order mark left out; what
// follows is read as it comes, to the end.
void FileReading::readInOrder(const QByteArray &head)
{
    format_ = formatOf(head, head.size() < TextFileFormat::DetectionSample ? head.size() : 0);
    queue_.plan(format_, 1);
    const qint64 mark = std::min<qint64>(format_.encoding.mark().size(), head.size());
    qint64 served = mark;
    const PartReader::Source source = [this, &head, &served](char *into, qint64 size) {
        const qint64 fromHead = std::min<qint64>(size, head.size() - served);
        std::copy_n(head.constData() + served, fromHead, into);
        served += fromHead;
        if (fromHead == size)
            return FileSnapshot::Read{size, 0};
        const FileSnapshot::Read rest = snapshot_->readNext(into + fromHead, size - fromHead);
        return FileSnapshot::Read{fromHead + rest.bytes, rest.error};
    };
    PartReader reader(format_, builder_, options_);
    const PartReader::Ending ending = reader.read(
        source, -1, true, [this] { return queue_.isStopping(); },
        [this](std::vector<Chunk> chunks, qint64 bytes, bool done) {
            queue_.deliver(0, std::move(chunks), bytes, done);
        },
        nullptr);
    if (ending.stopped)
        return;
    if (ending.error) {
        queue_.fail(FileSnapshot::reasonFor(ending.error));
        return;
    }
    LoadedFile file;
    file.stamp = snapshot_->stampNow().value_or(snapshot_->stamp());
    file.size = mark + ending.read;
    queue_.succeed(file);
}
