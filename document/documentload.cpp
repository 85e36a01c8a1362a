#include "documentload.h"

#include "textfile/fileload.h"
#include "textfile/filesnapshot.h"

#include "text/piecestore.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <iterator>
#include <new>

namespace {

// Posted by the decoding threads when chunks are ready, and by the load to
// itself while more may be.
const QEvent::Type ChunksReady = QEvent::Type(QEvent::registerEventType());

const QString TooLong = QStringLiteral("Il file è troppo grande per essere aperto nel documento.");

// What a piece takes in the tree beside its summary: its node, its chunk,
// and the places it may be cut, counted generously.
constexpr qint64 TreeBytesPerPiece = 512;

} // namespace

DocumentLoad::DocumentLoad(TextModel &text, const Settings &settings)
    : text_(text), settings_(settings)
{
}

// The threads stop before anything they post to could go.
DocumentLoad::~DocumentLoad()
{
    load_.reset();
}

// Opening does not wait (FileSnapshot::open): a FIFO with no writer or a
// hung network file system keeps only the reading thread waiting.
std::optional<QString> DocumentLoad::start(const QString &path)
{
    QString reason;
    std::shared_ptr<FileSnapshot> snapshot = FileSnapshot::open(path, &reason);
    if (!snapshot)
        return stopAt(reason);
    const qint64 size = snapshot->readsAtOffsets() ? snapshot->stamp().size : 0;
    appender_ = std::make_unique<TextModelAppender>(text_);
    ChunkBuilder builder = appender_->chunkBuilder();
    FileLoad::Options options = settings_.reading;
    options.blockSize = std::max<qsizetype>(options.blockSize, 1);
    options.format.reset();
    // A file that will not fit in memory, or is large enough that its text
    // is better left in it whatever the memory, is held in pieces.
    bool inPieces = snapshot->readsAtOffsets() && size >= settings_.piecesFrom;
    if (settings_.memory && !inPieces) {
        QString refusal;
        memory_ = settings_.memory->reserve(size, refusal);
        if (!memory_ && !snapshot->readsAtOffsets())
            return stopAt(refusal);
        inPieces = !memory_;
        if (memory_)
            builder.setBudget(memory_);
    }
    if (inPieces) {
        if (std::optional<QString> refusal = prepareStore(size, options))
            return stopAt(refusal);
    }
    load_ = std::make_unique<FileLoad>(std::move(snapshot), builder, options);
    load_->start([this] { wakeUp(); });
    // Nothing is signalled from here: the caller is still setting up. A
    // file of no more than a block shows no progress.
    text_.setLoading(true);
    percent_ = size > options.blockSize ? 0 : -1;
    return std::nullopt;
}

// The budget for pieces holds their tree, and the cache has what is left.
std::optional<QString> DocumentLoad::prepareStore(qint64 size, FileLoad::Options &options)
{
    const qint64 pieces = size / std::max<qint64>(options.pieceSize, 1) + 1;
    // The cache keeps two pieces at least: the one read and the one before.
    const qint64 cache =
        std::max(settings_.pieceBudget - pieces * TreeBytesPerPiece, 2 * options.pieceSize);
    MemoryCharge charge;
    if (settings_.memory) {
        QString refusal;
        std::optional<MemoryCharge> taken =
            settings_.memory->chargePieces(cache + pieces * TreeBytesPerPiece, refusal);
        if (!taken)
            return refusal;
        charge = std::move(*taken);
    }
    store_ = std::make_shared<PieceStore>(cache, std::move(charge));
    options.pieces = store_;
    return std::nullopt;
}

std::optional<QString> DocumentLoad::stopAt(std::optional<QString> failure)
{
    finished_ = true;
    load_.reset();
    appender_.reset();
    memory_.reset();
    return failure;
}

void DocumentLoad::wakeUp()
{
    QCoreApplication::postEvent(this, new QEvent(ChunksReady));
}

bool DocumentLoad::takeFormat()
{
    if (formatKnown_)
        return true;
    const std::optional<TextFileFormat::FileFormat> format = load_->format();
    if (!format)
        return true;
    formatKnown_ = true;
    format_ = *format;
    text_.setLineBreak(format_.lineBreak);
    const QPointer<DocumentLoad> alive(this);
    emit formatFound();
    return !alive.isNull();
}

// Signals go last: whoever hears them may close the window, and this with it.
bool DocumentLoad::event(QEvent *event)
{
    if (event->type() != ChunksReady)
        return QObject::event(event);
    if (finished_ || !takeFormat())
        return true;
    // One part's chunks a turn, so that the window has its turn between;
    // pieces, which cost nothing to put in place, all that are ready.
    FileLoad::Ready ready = load_->take();
    for (FileLoad::Ready more = store_ ? load_->take() : FileLoad::Ready(); !more.isEmpty();
         more = load_->take()) {
        std::move(more.chunks.begin(), more.chunks.end(), std::back_inserter(ready.chunks));
        ready.bytes += more.bytes;
    }
    const bool tookSome = !ready.isEmpty();
    const int percentBefore = percent_;
    std::optional<QString> failure = putInPlace(std::move(ready));
    if (!failure)
        failure = load_->failure();
    const bool ended = failure || load_->isFinished();
    if (!ended && tookSome)
        wakeUp(); // more may be ready already, with no thread left to say so
    if (percent_ >= 0 && (percent_ != percentBefore || (tookSome && !progressShown_))) {
        progressShown_ = true;
        const QPointer<DocumentLoad> alive(this);
        emit progressed(percent_);
        if (!alive)
            return true;
    }
    if (ended)
        finish(failure);
    return true;
}

std::optional<QString> DocumentLoad::putInPlace(FileLoad::Ready ready)
{
    qint64 added = 0;
    for (const Chunk &chunk : ready.chunks)
        added += chunk.size();
    if (text_.length() + added > settings_.maximumLength)
        return TooLong;
    try {
        appender_->append(std::move(ready.chunks));
    } catch (const std::bad_alloc &) {
        return FileLoad::outOfMemoryReason();
    }
    done_ += ready.bytes;
    if (percent_ >= 0 && load_->size() > 0)
        percent_ = int(std::clamp<qint64>(done_ * 100 / load_->size(), 0, 100));
    return std::nullopt;
}

void DocumentLoad::finish(const std::optional<QString> &failure)
{
    finished_ = true;
    if (!failure)
        loadedFile_ = load_->loadedFile();
    load_.reset();
    appender_.reset();
    memory_.reset();
    text_.setLoading(false);
    if (failure)
        emit failed(*failure);
    else
        emit loaded();
}
