#pragma once

#include "detection.h"
#include "loadedfile.h"
#include "loadoptions.h"
#include "partqueue.h"

#include "text/chunkbuilder.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FileReading;
class FileSnapshot;

/// Reads a text file and decodes it into chunks on threads of its own, so
/// that the thread that takes the chunks only has to put them in place, and
/// never waits for the file: nothing is read on it.
///
/// The file is one snapshot (FileSnapshot), opened once; its format is found
/// from its first bytes, unless it is given. A file read at offsets is cut
/// into parts, each right after an LF of the file's encoding (PartPlan),
/// which decode at the same time; their chunks are taken in the file's
/// order, each part's after the one before it, and the text is the same,
/// character for character, as a single Decoder gives over the whole file.
/// Only the bytes the file had when it was opened are read, and the load
/// succeeds only if they are still the file's once read (SnapshotCheck): a
/// file cut or rewritten meanwhile fails the load. A pipe or a file of
/// /proc is read in order to its end.
class FileLoad
{
public:
    using Options = LoadOptions;
    using Ready = PartQueue::Ready;

    /// The chunks are made by copies of builder.
    FileLoad(std::shared_ptr<FileSnapshot> snapshot, const ChunkBuilder &builder,
             const Options &options);
    /// Lets the threads go at once, whatever they are doing: a thread
    /// waiting for a read ends on its own when the read returns.
    ~FileLoad();
    FileLoad(const FileLoad &) = delete;
    FileLoad &operator=(const FileLoad &) = delete;

    /// Starts reading the file. wake is called on a reading thread when
    /// there is something new to take (PartQueue), never once the load is
    /// gone.
    void start(std::function<void()> wake);
    /// The size of the file when it was opened; 0 for a file read in order.
    qint64 size() const;
    /// The format the file is read in, once it is known.
    std::optional<TextFileFormat::FileFormat> format() const;

    /// The chunks that are ready and come next in the file, all from one
    /// part; empty when nothing is ready.
    Ready take();
    /// Whether every chunk has been taken and the file checked, or reading
    /// failed.
    bool isFinished() const;
    /// Why reading failed, once it has.
    std::optional<QString> failure() const;
    /// How the file was found, once the load has ended well.
    std::optional<LoadedFile> loadedFile() const;

    static int defaultThreads() { return LoadOptions::defaultThreads(); }
    /// The reason given when the text's chunks cannot get their memory.
    static QString outOfMemoryReason();

private:
    const std::shared_ptr<FileSnapshot> snapshot_;
    const ChunkBuilder builder_;
    const Options options_;
    std::shared_ptr<FileReading> reading_;
};
