#include "piecedecoding.h"

#include "textdecoder.h"

#include "text/plainbytes.h"
#include "text/textsink.h"

#include <QByteArrayView>

#include <algorithm>

namespace {

// Puts decoded text into one chunk.
class ChunkSink : public TextSink
{
public:
    explicit ChunkSink(Chunk &chunk) : chunk_(chunk) {}
    void appendLatin1(const char *text, qsizetype size) override
    {
        chunk_.appendLatin1(text, size);
    }
    void append(QStringView text) override { chunk_.append(text); }

private:
    Chunk &chunk_;
};

// Right after the first line feed of the encoding at or after from, or
// size when there is none.
qint64 cutAfter(const char *bytes, qint64 size, qint64 from,
                const TextFileFormat::Encoding &encoding)
{
    const int unit = encoding.unitSize();
    const QByteArrayView lineFeed = encoding.lineFeed();
    const QByteArrayView all(bytes, size);
    for (qint64 at = all.indexOf(lineFeed, from - from % unit); at >= 0;
         at = all.indexOf(lineFeed, at + 1)) {
        if (at % unit == 0)
            return at + lineFeed.size();
    }
    return size;
}

// Whether a CR of the encoding stands without its LF: such a CR reads as
// CR LF where lines end in CR LF, and the text is then not the bytes.
bool hasLoneCarriageReturn(const char *bytes, qint64 size, const TextFileFormat::Encoding &encoding)
{
    const int unit = encoding.unitSize();
    const QByteArrayView lineFeed = encoding.lineFeed();
    QByteArray carriageReturn = lineFeed.toByteArray();
    carriageReturn.replace('\n', '\r');
    const QByteArrayView all(bytes, size);
    for (qint64 at = all.indexOf(carriageReturn); at >= 0;
         at = all.indexOf(carriageReturn, at + 1)) {
        if (at % unit == 0 && all.sliced(at + unit).startsWith(lineFeed) == false)
            return true;
    }
    return false;
}

std::vector<PieceCut> plainCuts(const char *bytes, qint64 size, qint64 spacing)
{
    std::vector<PieceCut> cuts{{0, 0}};
    for (qint64 at = spacing; at < size;) {
        const void *found = std::memchr(bytes + at, '\n', size_t(size - at));
        if (!found)
            break;
        const qint64 cut = static_cast<const char *>(found) - bytes + 1;
        if (cut < size)
            cuts.push_back({cut, cut});
        at = cut + spacing - 1;
    }
    cuts.push_back({size, size});
    return cuts;
}

} // namespace

namespace PieceDecoding {

// The decoder hands out the text of the bytes up to each cut before the
// next bytes go in, so the characters before each cut are known.
PieceText decode(const TextFileFormat::FileFormat &format, const char *bytes, qint64 size,
                 std::shared_ptr<const void> memory, bool endsText, qint64 cutSpacing)
{
    TextFileFormat::Decoder decoder(format.encoding, format.lineBreak);
    const qint64 spacing = std::max<qint64>(cutSpacing, 1);
    PieceText text;
    if (!endsText && decoder.readsPlainBytesAsThemselves()) {
        if (const std::optional<LineSummary> summary =
                PlainBytes::summary(reinterpret_cast<const uchar *>(bytes), size)) {
            text.characters = Chunk::inPlace(bytes, size, std::move(memory), *summary);
            text.cuts = plainCuts(bytes, size, spacing);
            text.bytesAreText = true;
            return text;
        }
    }
    text.characters.reserve(size);
    ChunkSink sink(text.characters);
    text.cuts.push_back({0, 0});
    for (qint64 start = 0; start < size;) {
        const qint64 cut = cutAfter(bytes, size, std::min(start + spacing, size), format.encoding);
        decoder.decode(QByteArrayView(bytes + start, cut - start), sink);
        if (cut < size) {
            decoder.flush(sink);
            text.cuts.push_back({cut, text.characters.size()});
        }
        start = cut;
    }
    if (endsText)
        decoder.finish(sink);
    else
        decoder.flush(sink);
    text.characters.shrink();
    text.characters.refresh();
    text.cuts.push_back({size, text.characters.size()});
    // Escapes write back as the bytes they stand for, and every other
    // character as the bytes it came from, in these encodings; a lone CR,
    // read as CR LF whatever the file's lines end in, and a line end added
    // to the text's last line are not in the bytes.
    const bool lossless = format.encoding.isUnicode() || decoder.readsPlainBytesAsThemselves();
    text.bytesAreText =
        lossless && !endsText && !hasLoneCarriageReturn(bytes, size, format.encoding);
    return text;
}

} // namespace PieceDecoding
