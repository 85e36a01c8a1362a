#include "textfileformat.h"

#include "escapes.h"
#include "filepieces.h"
#include "spanwriter.h"

#include "text/piecestore.h"
#include "text/textmodel.h"

#include <QtEndian>

#include <cstring>

namespace TextFileFormat {

std::optional<QByteArray> encode(QStringView text, const Encoding &encoding)
{
    QByteArray bytes;
    const std::function<bool(QByteArrayView)> collect = [&bytes](QByteArrayView piece) {
        bytes.append(piece);
        return true;
    };
    ByteStream stream(collect);
    TextSpan span;
    span.utf16 = text.utf16();
    span.size = text.size();
    if (!writeMark(encoding, stream) || !SpanWriter(encoding).write(span, stream) ||
        !stream.flush())
        return std::nullopt;
    return bytes;
}

// A piece read from a file in the same encoding holds only what that file's
// bytes decode to, which writes back: it is not read again to be checked.
bool canEncode(const TextModel &text, const Encoding &encoding)
{
    SpanWriter writer(encoding);
    const std::function<bool(QByteArrayView)> discard = [](QByteArrayView) { return true; };
    ByteStream stream(discard);
    bool representable = true;
    text.forEachChunk([&](const Chunk &chunk, qint64) {
        if (chunk.isPiece()) {
            const auto *source =
                dynamic_cast<const FilePieces *>(chunk.pieceStore()->source().get());
            if (source && source->format().encoding.writesLike(encoding))
                return true;
        }
        const HeldChunk held = chunk.held();
        const TextSpan span = held->span();
        if (encoding.form() == Encoding::Form::Utf8)
            representable =
                !span.isWide() || onlyEscapesAreLone(QStringView(span.utf16, span.size));
        else
            representable = writer.write(span, stream);
        return representable;
    });
    return representable;
}

bool encode(const TextModel &text, const std::function<bool(QByteArrayView)> &write,
            const Encoding &encoding)
{
    ByteStream stream(write);
    SpanWriter writer(encoding);
    bool written = writeMark(encoding, stream);
    text.forEachSpan(0, text.length(), [&](const TextSpan &span) {
        written = written && writer.write(span, stream);
        return written;
    });
    return written && stream.flush();
}

} // namespace TextFileFormat
