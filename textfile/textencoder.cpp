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

namespace {

// The characters [from, to) of a span, as a span of their own.
TextSpan part(const TextSpan &span, qsizetype from, qsizetype to)
{
    TextSpan out;
    out.size = to - from;
    if (span.isWide())
        out.utf16 = span.utf16 + from;
    else
        out.latin1 = span.latin1 + from;
    return out;
}

// Where in a span that cannot be written its first such character is,
// halving the part where it must be: [0, good) writes, [good, bad) does not.
// A surrogate pair is never cut in two.
// The writer carries what it was given before the span (a unit begun by
// escapes), so each trial starts from a copy of it as it stood at good.
qsizetype firstUnwritableIn(SpanWriter atGood, const TextSpan &span, ByteStream &out)
{
    qsizetype good = 0;
    qsizetype bad = span.size;
    while (bad - good > 1) {
        qsizetype middle = good + (bad - good) / 2;
        if (QChar::isLowSurrogate(span.at(middle)) && QChar::isHighSurrogate(span.at(middle - 1)))
            middle = middle + 1 < bad ? middle + 1 : middle - 1;
        if (middle <= good)
            break; // [good, bad) is one pair
        SpanWriter trial = atGood;
        if (trial.write(part(span, good, middle), out)) {
            good = middle;
            atGood = trial;
        } else {
            bad = middle;
        }
    }
    return good;
}

// UTF-8 writes every character but a lone surrogate that is not an escape.
std::optional<qsizetype> firstUnwritableInUtf8(const TextSpan &span)
{
    if (!span.isWide())
        return std::nullopt;
    const QStringView units(span.utf16, span.size);
    for (qsizetype i = nextLoneSurrogate(units); i >= 0; i = nextLoneSurrogate(units, i + 1)) {
        if (!isEscape(units[i].unicode()))
            return i;
    }
    return std::nullopt;
}

// A piece read from a file in the same encoding holds only what that file's
// bytes decode to, which writes back: it is not read again to be checked.
bool writesBack(const Chunk &chunk, const Encoding &encoding)
{
    if (!chunk.isPiece())
        return false;
    const auto *source = dynamic_cast<const FilePieces *>(chunk.pieceStore()->source().get());
    return source && source->format().encoding.writesLike(encoding);
}

} // namespace

std::optional<qint64> firstUnwritable(const TextModel &text, const Encoding &encoding)
{
    SpanWriter writer(encoding);
    const std::function<bool(QByteArrayView)> discard = [](QByteArrayView) { return true; };
    ByteStream stream(discard);
    std::optional<qint64> found;
    text.forEachChunk([&](const Chunk &chunk, qint64 start) {
        if (writesBack(chunk, encoding))
            return true;
        const HeldChunk held = chunk.held();
        const TextSpan span = held->span();
        if (encoding.form() == Encoding::Form::Utf8) {
            if (const std::optional<qsizetype> at = firstUnwritableInUtf8(span))
                found = start + *at;
        } else {
            const SpanWriter before = writer;
            if (!writer.write(span, stream))
                found = start + firstUnwritableIn(before, span, stream);
        }
        return !found;
    });
    return found;
}

bool canEncode(const TextModel &text, const Encoding &encoding)
{
    return !firstUnwritable(text, encoding);
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
