#include "textconversion.h"

#include "escapes.h"

#include "text/textmodel.h"

namespace TextFileFormat {

namespace {

TextSpan part(const TextSpan &span, qsizetype from, qsizetype to)
{
    TextSpan result;
    if (span.isWide())
        result.utf16 = span.utf16 + from;
    else
        result.latin1 = span.latin1 + from;
    result.size = to - from;
    return result;
}

// Copies the text, putting one break wherever the text had any.
class BreakWriter
{
public:
    BreakWriter(LineBreak lineBreak, ChunkBuilder &builder)
        : wanted_(lineBreakText(lineBreak)), builder_(builder)
    {
    }

    void write(const TextSpan &span)
    {
        qsizetype run = 0;
        for (qsizetype i = 0; i < span.size; ++i) {
            const char16_t c = span.at(i);
            if (c == u'\r') {
                copy(span, run, i);
                endPendingCr();
                afterCr_ = true;
                run = i + 1;
            } else if (c == u'\n') {
                copy(span, run, i);
                writeBreak(afterCr_ ? u"\r\n" : u"\n");
                afterCr_ = false;
                run = i + 1;
            } else if (afterCr_) {
                endPendingCr(); // nothing of the run is copied yet
            }
        }
        copy(span, run, span.size);
    }

    /// The text has ended.
    void finish() { endPendingCr(); }
    bool changed() const { return changed_; }

private:
    void copy(const TextSpan &span, qsizetype from, qsizetype to)
    {
        if (to > from)
            builder_.append(part(span, from, to));
    }
    // A CR that no LF followed is a break of its own.
    void endPendingCr()
    {
        if (afterCr_)
            writeBreak(u"\r");
        afterCr_ = false;
    }
    void writeBreak(QStringView found)
    {
        builder_.append(wanted_);
        changed_ = changed_ || found != wanted_;
    }

    const QStringView wanted_;
    ChunkBuilder &builder_;
    bool afterCr_ = false;
    bool changed_ = false;
};

} // namespace

std::optional<std::vector<Chunk>> withLineBreaks(const TextModel &text, LineBreak lineBreak,
                                                 ChunkBuilder builder)
{
    BreakWriter writer(lineBreak, builder);
    text.forEachSpan(0, text.length(), [&writer](const TextSpan &span) {
        writer.write(span);
        return true;
    });
    writer.finish();
    if (!writer.changed())
        return std::nullopt;
    return builder.take();
}

std::optional<qint64> firstUndecodedByte(const TextModel &text)
{
    std::optional<qint64> found;
    qint64 start = 0;
    // A narrow piece holds nothing from U+0100 up, so no escape.
    text.forEachSpan(0, text.length(), [&](const TextSpan &span) {
        if (span.isWide()) {
            const QStringView piece(span.utf16, span.size);
            for (qsizetype i = nextLoneSurrogate(piece); i >= 0;
                 i = nextLoneSurrogate(piece, i + 1)) {
                if (isByteEscape(piece[i].unicode())) {
                    found = start + i;
                    return false;
                }
            }
        }
        start += span.size;
        return true;
    });
    return found;
}

} // namespace TextFileFormat
