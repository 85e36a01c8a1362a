#pragma once

#include "detection.h"
#include "textfileformat.h"

#include "text/chunkbuilder.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

/// Reads a text file and decodes it into chunks on threads of its own, so
/// that the thread that takes the chunks only has to put them in place.
///
/// The file's format is found from its first bytes, unless it is given.
/// A large file is cut into parts, each right after an LF of the file's
/// encoding (after 0A 00 at an even offset in UTF-16 LE): a line end or a
/// character never spans two parts, and a part decodes on
/// its own exactly as it would after the one before. Parts decode at the
/// same time, and their chunks are taken in the file's order, each part's
/// after the one before it. The text is the same, character for character,
/// as a single Decoder gives over the whole file.
class FileLoad
{
public:
    struct Options
    {
        /// Bytes read at a time: small enough that the bytes are still in
        /// the processor's cache when they are scanned or decoded.
        qsizetype blockSize = 256 << 10;
        int threads = defaultThreads();
        /// The largest part; a file is cut smaller where that keeps every
        /// thread busy to the end, though never below a megabyte.
        qint64 partSize = 16 << 20;
        /// Whether plain text is kept where it was read (InPlaceReading);
        /// otherwise each part is read into one block again and again.
        bool readInPlace = true;
        /// The file's format; found from the file itself when not given.
        std::optional<TextFileFormat::FileFormat> format;
        /// The file's encoding, when a person has chosen it; its line ends
        /// are still found from the file. Unused when format is given.
        std::optional<TextFileFormat::Encoding> encoding;
    };

    /// Chunks ready to go at the end of the text, and how many bytes of the
    /// file they stand for.
    struct Ready
    {
        std::vector<Chunk> chunks;
        qint64 bytes = 0;
        bool isEmpty() const { return chunks.empty() && bytes == 0; }
    };

    /// The chunks are made by copies of builder.
    FileLoad(const QString &path, const ChunkBuilder &builder, const Options &options);
    /// Stops the threads at once, whatever they were doing.
    ~FileLoad();
    FileLoad(const FileLoad &) = delete;
    FileLoad &operator=(const FileLoad &) = delete;

    /// Opens the file and starts decoding it. wake is called on a decoding
    /// thread when chunks become ready after a take(), at most every few
    /// milliseconds until a part is done. Gives the reason when the file
    /// cannot be opened.
    std::optional<QString> start(std::function<void()> wake);
    /// Opens the file and decodes it whole on the calling thread, for a
    /// file so short that threads would cost more than they save; its
    /// chunks are then taken as after start(). Gives the reason when the
    /// file cannot be read.
    std::optional<QString> run();
    /// The size of the file when it was opened (0 when it does not say).
    qint64 size() const { return size_; }
    /// The format the file is read in, once it was opened.
    const TextFileFormat::FileFormat &format() const { return format_; }

    /// The chunks that are ready and come next in the file, all from one
    /// part, so that each part's last chunk (the only one that may be short)
    /// comes last. Empty when nothing is ready.
    Ready take();
    /// Whether every chunk has been taken, or reading failed.
    bool isFinished() const;
    /// Why reading failed, once it has.
    std::optional<QString> failure() const;

    static int defaultThreads();
    /// The reason given when the text's chunks cannot get their memory.
    static QString outOfMemoryReason();

private:
    struct Part
    {
        qint64 begin = 0;
        qint64 end = 0; ///< past the part's last byte; the last part reads to the end of the file
        std::vector<Chunk> ready;
        qint64 readyBytes = 0;
        bool done = false;
    };

    /// Opens the file, finds its format and plans its parts.
    std::optional<QString> open();
    void planParts();
    /// Where a part may end near offset: right after the next LF of the
    /// encoding, or -1.
    qint64 cutAfterLineFeed(qint64 offset);
    void decodeParts();
    void decodePart(Part &part, bool last);
    void readPart(Part &part, bool last);
    void deliver(Part &part, std::vector<Chunk> chunks, qint64 bytes, bool done);
    void fail(const QString &reason);

    const QString path_;
    const ChunkBuilder builder_;
    const Options options_;
    QFile file_;
    qint64 size_ = 0;
    TextFileFormat::FileFormat format_;
    std::function<void()> wake_;

    std::vector<Part> parts_;
    std::atomic<size_t> nextPart_ = 0;
    std::atomic<bool> stopping_ = false;
    std::vector<std::thread> threads_;

    mutable std::mutex mutex_; // guards the parts' ready chunks and what follows
    size_t front_ = 0;         ///< the first part not wholly taken
    bool wakePending_ = false;
    std::chrono::steady_clock::time_point lastWake_;
    std::optional<QString> failure_;
};
