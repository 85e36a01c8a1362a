#pragma once

#include "detection.h"
#include "piecedecoding.h"

#include "text/piecesource.h"

#include <atomic>
#include <memory>

class FileDigest;
class FileSnapshot;

/// The pieces of a document left in its file: read through the file's one
/// descriptor (FileSnapshot), never mapped, and decoded in its format.
///
/// Once the file's checksum holds every byte (setChecked), each piece is
/// read with the whole blocks of the checksum around it, and only when
/// every one of them still has the value it had when the file was read is
/// the piece decoded: a file cut short, or rewritten where the piece lies,
/// gives nothing. Bytes appended to the file are never read.
class FilePieces : public PieceSource
{
public:
    FilePieces(std::shared_ptr<const FileSnapshot> snapshot,
               const TextFileFormat::FileFormat &format, std::shared_ptr<const FileDigest> digest,
               qint64 cutSpacing = PieceDecoding::DefaultCutSpacing);

    std::optional<PieceText> read(const PieceBytes &piece) const override;
    std::optional<Bytes> bytes(const PieceBytes &piece) const override;
    std::optional<QByteArray> encoded(QStringView text) const override;
    bool writesAsciiAsItself() const override;

    /// The same pieces read from another file of the same bytes (the copy
    /// a save that rewrites the file through itself makes first).
    std::shared_ptr<FilePieces> readFrom(std::shared_ptr<const FileSnapshot> snapshot) const;

    /// Every byte of the file is in the digest: reads are checked from now on.
    void setChecked() { checked_ = true; }
    const std::shared_ptr<const FileSnapshot> &snapshot() const { return snapshot_; }
    const TextFileFormat::FileFormat &format() const { return format_; }
    const std::shared_ptr<const FileDigest> &digest() const { return digest_; }

    /// Reads the bytes of piece into memory of their own, a step of
    /// ReadStep bytes at a time, each handed to each as soon as it is read;
    /// nothing when they cannot all be read.
    static std::shared_ptr<char[]>
    readBytes(const FileSnapshot &snapshot, const PieceBytes &piece,
              const std::function<void(const char *, qint64)> &each = {});
    /// Small enough that a step read is still in the processor's cache
    /// when each looks at it.
    static constexpr qint64 ReadStep = 256 << 10;
    /// Reads the bytes of piece into memory of their own and decodes them;
    /// nothing when they cannot all be read. The bytes go to feed first.
    static std::optional<PieceText> readPiece(const FileSnapshot &snapshot,
                                              const TextFileFormat::FileFormat &format,
                                              const PieceBytes &piece, qint64 cutSpacing,
                                              const std::function<void(const char *)> &feed = {});

private:
    /// The whole checksum blocks that hold the piece, read and checked,
    /// with where the piece starts among them.
    struct CheckedBlocks
    {
        std::shared_ptr<char[]> buffer;
        qint64 size = 0;
        qint64 pieceOffset = 0;
    };
    std::optional<CheckedBlocks> readBlocks(const PieceBytes &piece) const;
    std::optional<PieceText> readChecked(const PieceBytes &piece) const;

    const std::shared_ptr<const FileSnapshot> snapshot_;
    const TextFileFormat::FileFormat format_;
    const std::shared_ptr<const FileDigest> digest_;
    const qint64 cutSpacing_;
    std::atomic<bool> checked_ = false;
};
