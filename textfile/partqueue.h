#pragma once

#include "detection.h"
#include "loadedfile.h"

#include "text/chunk.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

/// Where a load's reading threads leave what they made, for the thread that
/// puts the text in place: the file's format once it is known, each part's
/// chunks in the file's order, and how the load ended.
///
/// The reading threads may outlive whoever takes (a read can hang on a
/// stalled network file system or a FIFO that nobody writes to): stop()
/// lets them go, and from then on nothing they do reaches the taker.
class PartQueue
{
public:
    /// Chunks ready to go at the end of the text, and how many bytes of the
    /// file they stand for.
    struct Ready
    {
        std::vector<Chunk> chunks;
        qint64 bytes = 0;
        bool isEmpty() const { return chunks.empty() && bytes == 0; }
    };

    /// wake is called on a reading thread when there is something new to
    /// take: the format, chunks after a take() (at most every few
    /// milliseconds while a part is read), or the end.
    explicit PartQueue(std::function<void()> wake);

    /// The file is read in this format, in this many parts.
    void plan(const TextFileFormat::FileFormat &format, size_t parts);
    /// Chunks of a part, which stand for bytes of the file; done with the
    /// part's last ones.
    void deliver(size_t part, std::vector<Chunk> chunks, qint64 bytes, bool done);
    /// The load has failed: the first reason given is the one kept.
    void fail(const QString &reason);
    /// Every part was read, and the file checked.
    void succeed(const LoadedFile &file);
    /// Whether the threads should stop: the load failed or was let go.
    bool isStopping() const { return stopping_; }

    /// Lets the threads go: wake is never called again once this returns.
    void stop();
    /// The chunks that are ready and come next in the file, all from one
    /// part, so that each part's last chunk (the only one that may be short)
    /// comes last. Empty when nothing is ready.
    Ready take();
    std::optional<TextFileFormat::FileFormat> format() const;
    /// Whether every chunk has been taken and the file checked, or the load
    /// failed.
    bool isFinished() const;
    std::optional<QString> failure() const;
    /// How the file was found at the end, once the load has succeeded.
    std::optional<LoadedFile> loadedFile() const;

private:
    struct Part
    {
        std::vector<Chunk> ready;
        qint64 readyBytes = 0;
        bool done = false;
    };

    /// Calls wake, under the lock, unless the load was let go.
    void wakeTaker();

    std::atomic<bool> stopping_ = false;
    mutable std::mutex mutex_; // guards everything below
    std::function<void()> wake_;
    std::optional<TextFileFormat::FileFormat> format_;
    std::vector<Part> parts_;
    size_t front_ = 0; ///< the first part not wholly taken
    bool wakePending_ = false;
    std::chrono::steady_clock::time_point lastWake_;
    std::optional<QString> failure_;
    std::optional<LoadedFile> loaded_;
};
