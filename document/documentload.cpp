#include "documentload.h"

#include "textfile/fileload.h"

#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <new>

namespace {

// Posted by the decoding threads when chunks are ready, and by the load to
// itself while more may be.
const QEvent::Type ChunksReady = QEvent::Type(QEvent::registerEventType());

const QString TooLong = QStringLiteral("Il file è troppo grande per essere aperto nel documento.");

// A pipe would block the program until someone writes to it, and a device
// such as /dev/zero never ends: only files are read.
bool isOrdinaryOrMissing(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile() || info.isDir();
}

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

std::optional<QString> DocumentLoad::start(const QString &path)
{
    if (!isOrdinaryOrMissing(path))
        return stopAt(QStringLiteral("Non è un file ordinario."));
    const qint64 size = QFileInfo(path).size();
    appender_ = std::make_unique<TextModelAppender>(text_);
    ChunkBuilder builder = appender_->chunkBuilder();
    if (settings_.memory) {
        QString refusal;
        memory_ = settings_.memory->reserve(size, refusal);
        if (!memory_)
            return stopAt(refusal);
        builder.setBudget(memory_);
    }
    FileLoad::Options options = settings_.reading;
    options.blockSize = std::max<qsizetype>(options.blockSize, 1);
    options.format.reset();
    load_ = std::make_unique<FileLoad>(path, builder, options);
    if (size <= options.blockSize) {
        std::optional<QString> failure = load_->run();
        format_ = load_->format();
        text_.setLineBreak(format_.lineBreak);
        while (!failure && !load_->isFinished())
            failure = putInPlace(load_->take());
        return stopAt(failure);
    }
    if (std::optional<QString> reason = load_->start([this] { wakeUp(); }))
        return stopAt(reason);
    format_ = load_->format();
    text_.setLineBreak(format_.lineBreak);
    // Nothing is signalled from here: the caller is still setting up.
    text_.setLoading(true);
    percent_ = 0;
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

// Signals go last: whoever hears them may close the window, and this with it.
bool DocumentLoad::event(QEvent *event)
{
    if (event->type() != ChunksReady)
        return QObject::event(event);
    if (finished_)
        return true;
    // One part's chunks a turn, so that the window has its turn between.
    FileLoad::Ready ready = load_->take();
    const bool tookSome = !ready.isEmpty();
    const int percentBefore = percent_;
    std::optional<QString> failure = putInPlace(std::move(ready));
    if (!failure)
        failure = load_->failure();
    const bool ended = failure || load_->isFinished();
    if (!ended && tookSome)
        wakeUp(); // more may be ready already, with no thread left to say so
    if (percent_ != percentBefore || (tookSome && !progressShown_)) {
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
    load_.reset();
    appender_.reset();
    memory_.reset();
    text_.setLoading(false);
    if (failure)
        emit failed(*failure);
    else
        emit loaded();
}
