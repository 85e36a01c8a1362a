#include "partqueue.h"

#include <iterator>

namespace {

// The taker is woken at most this often while the parts are read: each
// time costs it the handing over of the chunks and a repaint.
constexpr std::chrono::milliseconds WakeInterval(10);

} // namespace

PartQueue::PartQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

// Called under the lock: stop() takes it too, so that once stop() has
// returned no thread is still inside wake.
void PartQueue::wakeTaker()
{
    wakePending_ = true;
    lastWake_ = std::chrono::steady_clock::now();
    if (wake_)
        wake_();
}

void PartQueue::plan(const TextFileFormat::FileFormat &format, size_t parts)
{
    const std::lock_guard lock(mutex_);
    format_ = format;
    parts_.resize(parts);
    wakeTaker();
}

void PartQueue::deliver(size_t part, std::vector<Chunk> chunks, qint64 bytes, bool done)
{
    const std::lock_guard lock(mutex_);
    Part &ready = parts_[part];
    if (ready.ready.empty())
        ready.ready = std::move(chunks);
    else
        std::move(chunks.begin(), chunks.end(), std::back_inserter(ready.ready));
    ready.readyBytes += bytes;
    ready.done = done;
    if (!wakePending_ && (done || std::chrono::steady_clock::now() - lastWake_ >= WakeInterval))
        wakeTaker();
}

void PartQueue::fail(const QString &reason)
{
    stopping_ = true;
    const std::lock_guard lock(mutex_);
    if (failure_ || loaded_)
        return;
    failure_ = reason;
    wakeTaker();
}

void PartQueue::succeed(const LoadedFile &file)
{
    const std::lock_guard lock(mutex_);
    if (failure_)
        return;
    loaded_ = file;
    wakeTaker();
}

void PartQueue::stop()
{
    stopping_ = true;
    const std::lock_guard lock(mutex_);
    wake_ = nullptr;
}

// The reading threads gather each part's chunks as they deliver them, so
// that the chunks are handed over here without being moved one by one.
PartQueue::Ready PartQueue::take()
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

std::optional<TextFileFormat::FileFormat> PartQueue::format() const
{
    const std::lock_guard lock(mutex_);
    return format_;
}

bool PartQueue::isFinished() const
{
    const std::lock_guard lock(mutex_);
    return failure_ || (loaded_ && front_ == parts_.size());
}

std::optional<QString> PartQueue::failure() const
{
    const std::lock_guard lock(mutex_);
    return failure_;
}

std::optional<LoadedFile> PartQueue::loadedFile() const
{
    const std::lock_guard lock(mutex_);
    return loaded_;
}
