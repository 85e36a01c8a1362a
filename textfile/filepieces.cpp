#include "filepieces.h"

#include "filedigest.h"
#include "filesnapshot.h"
#include "singlebytetable.h"
#include "textfileformat.h"

#include <algorithm>

namespace {

std::shared_ptr<char[]> bufferOf(qint64 size)
{
    return std::shared_ptr<char[]>(new char[size_t(std::max<qint64>(size, 1))]);
}

} // namespace

FilePieces::FilePieces(std::shared_ptr<const FileSnapshot> snapshot,
                       const TextFileFormat::FileFormat &format,
                       std::shared_ptr<const FileDigest> digest, qint64 cutSpacing)
    : snapshot_(std::move(snapshot)), format_(format), digest_(std::move(digest)),
      cutSpacing_(cutSpacing)
{
}

std::shared_ptr<char[]> FilePieces::readBytes(const FileSnapshot &snapshot, const PieceBytes &piece,
                                              const std::function<void(const char *, qint64)> &each)
{
    std::shared_ptr<char[]> buffer = bufferOf(piece.size());
    for (qint64 at = 0; at < piece.size(); at += ReadStep) {
        const qint64 step = std::min(ReadStep, piece.size() - at);
        if (snapshot.readAt(piece.begin + at, buffer.get() + at, step).bytes < step)
            return nullptr;
        if (each)
            each(buffer.get() + at, step);
    }
    return buffer;
}

std::optional<PieceText> FilePieces::readPiece(const FileSnapshot &snapshot,
                                               const TextFileFormat::FileFormat &format,
                                               const PieceBytes &piece, qint64 cutSpacing,
                                               const std::function<void(const char *)> &feed)
{
    std::shared_ptr<char[]> buffer = readBytes(snapshot, piece);
    if (!buffer)
        return std::nullopt;
    if (feed)
        feed(buffer.get());
    const char *bytes = buffer.get();
    return PieceDecoding::decode(format, bytes, piece.size(), std::move(buffer), piece.endsText,
                                 cutSpacing);
}

std::shared_ptr<FilePieces> FilePieces::readFrom(std::shared_ptr<const FileSnapshot> snapshot) const
{
    auto other = std::make_shared<FilePieces>(std::move(snapshot), format_, digest_, cutSpacing_);
    other->checked_ = checked_.load();
    return other;
}

std::optional<PieceText> FilePieces::read(const PieceBytes &piece) const
{
    if (checked_ && digest_)
        return readChecked(piece);
    return readPiece(*snapshot_, format_, piece, cutSpacing_);
}

// The blocks that hold the piece are read whole, so that each is checked
// against its value in the checksum.
std::optional<FilePieces::CheckedBlocks> FilePieces::readBlocks(const PieceBytes &piece) const
{
    if (piece.end > digest_->size())
        return std::nullopt;
    const qint64 first = piece.begin / FileDigest::BlockSize;
    const qint64 last = (piece.end - 1) / FileDigest::BlockSize;
    const qint64 from = first * FileDigest::BlockSize;
    const qint64 to = std::min(digest_->size(), (last + 1) * FileDigest::BlockSize);
    CheckedBlocks blocks{bufferOf(to - from), to - from, piece.begin - from};
    if (snapshot_->readAt(from, blocks.buffer.get(), blocks.size).bytes < blocks.size)
        return std::nullopt;
    for (qint64 index = first; index <= last; ++index) {
        const qint64 offset = index * FileDigest::BlockSize - from;
        const qint64 length = std::min(FileDigest::BlockSize, blocks.size - offset);
        if (FileDigest::blockOf(index, blocks.buffer.get() + offset, length) !=
            digest_->block(index))
            return std::nullopt;
    }
    return blocks;
}

// The piece's text is decoded where it lies among its blocks; they all stay
// as long as the text.
std::optional<PieceText> FilePieces::readChecked(const PieceBytes &piece) const
{
    std::optional<CheckedBlocks> blocks = readBlocks(piece);
    if (!blocks)
        return std::nullopt;
    const char *bytes = blocks->buffer.get() + blocks->pieceOffset;
    PieceText text = PieceDecoding::decode(format_, bytes, piece.size(), std::move(blocks->buffer),
                                           piece.endsText, cutSpacing_);
    if (text.characters.isInPlace())
        text.heldBytes = blocks->size - piece.size();
    return text;
}

std::optional<PieceSource::Bytes> FilePieces::bytes(const PieceBytes &piece) const
{
    if (checked_ && digest_) {
        std::optional<CheckedBlocks> blocks = readBlocks(piece);
        if (!blocks)
            return std::nullopt;
        const char *start = blocks->buffer.get() + blocks->pieceOffset;
        return Bytes{std::move(blocks->buffer), start, piece.size()};
    }
    std::shared_ptr<char[]> buffer = bufferOf(piece.size());
    if (snapshot_->readAt(piece.begin, buffer.get(), piece.size()).bytes < piece.size())
        return std::nullopt;
    const char *start = buffer.get();
    return Bytes{std::move(buffer), start, piece.size()};
}

std::optional<QByteArray> FilePieces::encoded(QStringView text) const
{
    return TextFileFormat::encode(text, format_.encoding.withMark(false));
}

bool FilePieces::writesAsciiAsItself() const
{
    const TextFileFormat::Encoding &encoding = format_.encoding;
    if (encoding.form() == TextFileFormat::Encoding::Form::Utf8)
        return true;
    return encoding.form() == TextFileFormat::Encoding::Form::CodePage &&
           !encoding.codePageName().isEmpty() &&
           TextFileFormat::SingleByteTable::of(encoding.codePageName()).has_value();
}
