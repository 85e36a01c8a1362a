#include "streamedsave.h"

#include "digestwriter.h"
#include "filedigest.h"
#include "filepieces.h"
#include "piececopier.h"
#include "spanwriter.h"
#include "textdecoder.h"

#include "text/piecestore.h"
#include "text/textmodel.h"

#include <QChar>

namespace TextFileFormat {

// The state of one save: where the bytes go, and the copier of the file
// whose pieces were copied last.
class StreamedSave::Writing
{
public:
    Writing(StreamedSave &save, const std::function<bool(QByteArrayView)> &write)
        : save_(save), digest_(write, save.digested_), out_(digestWrite_), writer_(save.encoding_)
    {
    }

    bool start() { return writeMark(save_.encoding_, out_); }
    bool writeChunk(const Chunk &chunk, qsizetype index);
    bool finish()
    {
        if (!out_.flush())
            return false;
        save_.digest_ = digest_.finish();
        return true;
    }

private:
    bool writePiece(const Chunk &chunk, qsizetype index);
    /// The source of a piece whose bytes may be copied as they are.
    std::shared_ptr<const FilePieces> copiedFrom(const Chunk &chunk) const;
    bool copy(const Chunk &chunk, const std::shared_ptr<const FilePieces> &source);

    StreamedSave &save_;
    DigestWriter digest_;
    const std::function<bool(QByteArrayView)> digestWrite_ = [this](QByteArrayView bytes) {
        return digest_.write(bytes);
    };
    ByteStream out_;
    SpanWriter writer_;
    std::shared_ptr<const FilePieces> copierSource_;
    std::unique_ptr<PieceCopier> copier_;
};

bool StreamedSave::Writing::writeChunk(const Chunk &chunk, qsizetype index)
{
    if (chunk.isPiece())
        return writePiece(chunk, index);
    return writer_.write(chunk.span(), out_);
}

std::shared_ptr<const FilePieces> StreamedSave::Writing::copiedFrom(const Chunk &chunk) const
{
    if (!chunk.pieceBytes().bytesAreText)
        return nullptr;
    auto source = std::dynamic_pointer_cast<const FilePieces>(chunk.pieceStore()->source());
    if (!source || !source->digest() || !source->format().encoding.writesLike(save_.encoding_))
        return nullptr;
    return source;
}

// A piece starts on a whole unit of the encoding, whatever loose bytes
// came before it.
bool StreamedSave::Writing::writePiece(const Chunk &chunk, qsizetype index)
{
    if (!writer_.completeUnit(out_))
        return false;
    Placed placed{index, out_.position(), 0, false};
    if (const std::shared_ptr<const FilePieces> source = copiedFrom(chunk)) {
        if (!copy(chunk, source))
            return false;
        placed.copied = true;
    } else {
        const HeldChunk held = chunk.held();
        if (held.piece()->lost) {
            save_.lost_ = Lost{chunk.pieceStore(), chunk.pieceBytes()};
            return false;
        }
        if (!writer_.write(held->span(), out_))
            return false;
    }
    placed.end = out_.position();
    save_.placed_.push_back(placed);
    return true;
}

bool StreamedSave::Writing::copy(const Chunk &chunk,
                                 const std::shared_ptr<const FilePieces> &source)
{
    if (source != copierSource_) {
        copier_ = std::make_unique<PieceCopier>(*source);
        copierSource_ = source;
    }
    const PieceCopier::Outcome outcome = copier_->copy(
        chunk.pieceBytes(), [this](QByteArrayView bytes) { return out_.writeThrough(bytes); });
    if (outcome == PieceCopier::Outcome::Lost) {
        save_.lost_ = Lost{chunk.pieceStore(), chunk.pieceBytes()};
        chunk.pieceStore()->reportLost(chunk.pieceBytes());
    }
    return outcome == PieceCopier::Outcome::Copied;
}

StreamedSave::StreamedSave(const TextModel &text, const Encoding &encoding, bool digested)
    : text_(text), encoding_(encoding), digested_(digested)
{
}

StreamedSave::~StreamedSave() = default;

bool StreamedSave::write(const std::function<bool(QByteArrayView)> &write)
{
    placed_.clear();
    lost_.reset();
    digest_.reset();
    Writing writing(*this, write);
    bool written = writing.start();
    qsizetype index = 0;
    text_.forEachChunk([&](const Chunk &chunk, qint64) {
        written = written && writing.writeChunk(chunk, index++);
        return written;
    });
    return written && writing.finish();
}

// Bytes written from a piece's text read back as that text, alone, when the
// encoding keeps every character as it is and the text ends a line (or the
// whole text, whose end is read as it was written).
std::shared_ptr<PieceStore>
StreamedSave::moveInto(TextModel &text, const std::shared_ptr<PieceStore> &store,
                       std::shared_ptr<const FileSnapshot> written) const
{
    const FileFormat format{encoding_, text.lineBreak()};
    auto source = std::make_shared<FilePieces>(std::move(written), format, digest_);
    source->setChecked();
    std::shared_ptr<PieceStore> next = store->successor(source);
    const bool lossless = encoding_.isUnicode() || Decoder(encoding_).readsPlainBytesAsThemselves();
    std::vector<const Chunk *> chunks;
    text.forEachChunk([&chunks](const Chunk &chunk, qint64) {
        chunks.push_back(&chunk);
        return true;
    });
    std::vector<std::pair<qsizetype, Chunk>> moved;
    for (const Placed &placed : placed_) {
        const Chunk &chunk = *chunks[size_t(placed.index)];
        const bool last = placed.index + 1 == qsizetype(chunks.size());
        if (!placed.copied && !(lossless && (last || chunk.back() == u'\n')))
            continue;
        PieceBytes bytes;
        bytes.begin = placed.begin;
        bytes.end = placed.end;
        bytes.endsText = last && placed.end == digest_->size();
        bytes.bytesAreText =
            placed.copied ? chunk.pieceBytes().bytesAreText : lossless && !bytes.endsText;
        moved.emplace_back(placed.index, Chunk::piece(next, bytes, chunk.summary()));
    }
    text.renamePieces(std::move(moved));
    return next;
}

} // namespace TextFileFormat
