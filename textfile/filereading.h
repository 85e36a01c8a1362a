#pragma once

#include "detection.h"
#include "loadoptions.h"
#include "partplan.h"
#include "partqueue.h"
#include "piececounter.h"

#include "text/chunkbuilder.h"

#include <QByteArray>

#include <atomic>
#include <memory>
#include <vector>

class FileDigest;
class FilePieces;
class FileSnapshot;

/// The work of one load, done on threads of its own and shared with them,
/// so that they may go on after the load's owner is gone, until a read
/// that hangs returns: nothing they touch belongs to the window.
///
/// The first thread finds the file's format from its first bytes and, for
/// a file read at offsets, plans its parts and starts the other threads;
/// each thread then reads the next part not yet taken. The thread that ends
/// the last part checks that the file is still the one that was read
/// (SnapshotCheck). A file that can only be read in order (a pipe, a file
/// of /proc) is read by the first thread alone, to its end.
///
/// A file whose text is left in it (LoadOptions::pieces) is read the same
/// way, a piece at a time instead of a part: each piece is read once,
/// added to the checksum and counted (its characters, lines and line
/// lengths; from its bytes where PieceCounter can), and only its count goes
/// on, as a piece (Chunk::piece). The first piece's text stays in the
/// store's cache, to be shown at once.
class FileReading : public std::enable_shared_from_this<FileReading>
{
public:
    /// wake: see PartQueue.
    FileReading(std::shared_ptr<FileSnapshot> snapshot, const ChunkBuilder &builder,
                const LoadOptions &options, std::function<void()> wake);

    /// Starts the first thread.
    void start();
    /// What the threads leave for the taker.
    PartQueue &queue() { return queue_; }
    const std::shared_ptr<FileSnapshot> &snapshot() const { return snapshot_; }

    /// Why a load fails when its text cannot get its memory.
    static QString outOfMemoryReason();

private:
    void begin();
    void beginAtOffsets(const QByteArray &head);
    void readInOrder(const QByteArray &head);
    /// The format of the file that begins with head, size bytes long.
    TextFileFormat::FileFormat formatOf(const QByteArray &head, qint64 size) const;
    /// Starts count more threads that read parts.
    void startThreads(int count);
    void readParts();
    void readPart(size_t index);
    /// Plans the pieces of the file's first size bytes.
    void beginPieces(qint64 size);
    void readPiece(size_t index);
    /// After the last part: the file is checked, and the load ends.
    void finishParts();
    /// Fails the load when it could not get the memory for its text.
    void guarded(const std::function<void()> &work);

    const std::shared_ptr<FileSnapshot> snapshot_;
    const ChunkBuilder builder_;
    const LoadOptions options_;
    PartQueue queue_;

    // Set by the first thread before it starts the others.
    TextFileFormat::FileFormat format_;
    std::vector<PartPlan::Range> parts_;
    std::shared_ptr<FileDigest> digest_;
    std::shared_ptr<FilePieces> pieceSource_;
    std::optional<PieceCounter> counter_;
    /// How many parts, or pieces, there are to read.
    size_t jobs_ = 0;

    std::atomic<size_t> nextPart_ = 0;
    std::atomic<size_t> partsLeft_ = 0;
};
