#include "textdecoder.h"

#include "asciirun.h"
#include "codepage.h"

#include "text/textsink.h"

#include <QChar>

namespace TextFileFormat {

namespace {

// Decoded text waits in the decoder until it reaches this size, or until a
// long run of plain ASCII can go to the sink straight from the file's bytes.
constexpr qsizetype StagedLimit = 1 << 16;
constexpr qsizetype DirectRun = 64;

// What a UTF-8 lead byte announces: how many bytes follow, the bits it
// carries, and the range the first of them must be in (which rules out
// overlong forms, encoded surrogates and values past U+10FFFF).
struct Lead
{
    int following = 0; ///< 0: not a lead byte
    char32_t bits = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
};

Lead leadOf(unsigned c)
{
    if (c >= 0xC2 && c <= 0xDF)
        return {1, c & 0x1F};
    if (c >= 0xE0 && c <= 0xEF)
        return {2, c & 0x0F, c == 0xE0 ? 0xA0u : 0x80u, c == 0xED ? 0x9Fu : 0xBFu};
    if (c >= 0xF0 && c <= 0xF4)
        return {3, c & 0x07, c == 0xF0 ? 0x90u : 0x80u, c == 0xF4 ? 0x8Fu : 0xBFu};
    return {};
}

} // namespace

void Decoder::decode(QByteArrayView bytes, TextSink &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage(bytes, false, out);
        return;
    }
    if (pending_.isEmpty()) {
        decodeUtf8(reinterpret_cast<const uchar *>(bytes.data()), bytes.size(), false, out);
        return;
    }
    QByteArray joined = std::exchange(pending_, {});
    joined.append(bytes);
    decodeUtf8(reinterpret_cast<const uchar *>(joined.constData()), joined.size(), false, out);
}

void Decoder::finish(TextSink &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage({}, true, out);
    } else if (!pending_.isEmpty()) {
        const QByteArray rest = std::exchange(pending_, {});
        decodeUtf8(reinterpret_cast<const uchar *>(rest.constData()), rest.size(), true, out);
    }
    if (lineOpen_)
        out.appendLatin1("\r\n", 2);
    lineOpen_ = false;
    afterCr_ = false;
}

void Decoder::flushStaged(TextSink &out)
{
    if (!stagedLatin1_.empty()) {
        out.appendLatin1(stagedLatin1_.data(), qsizetype(stagedLatin1_.size()));
        stagedLatin1_.clear();
    } else if (!stagedWide_.empty()) {
        out.append(QStringView(stagedWide_.data(), qsizetype(stagedWide_.size())));
        stagedWide_.clear();
    }
}

void Decoder::stageLatin1(const char *text, qsizetype size, TextSink &out)
{
    if (!stagedWide_.empty() && size < DirectRun) {
        stagedWide_.append(reinterpret_cast<const uchar *>(text),
                           reinterpret_cast<const uchar *>(text) + size);
    } else if (stagedLatin1_.empty() && size >= DirectRun) {
        flushStaged(out);
        out.appendLatin1(text, size);
    } else {
        if (!stagedWide_.empty())
            flushStaged(out);
        stagedLatin1_.append(text, size_t(size));
    }
    if (qsizetype(stagedLatin1_.size() + stagedWide_.size()) >= StagedLimit)
        flushStaged(out);
}

void Decoder::stageWide(char16_t c, TextSink &out)
{
    if (!stagedLatin1_.empty())
        flushStaged(out);
    stagedWide_.push_back(c);
    if (qsizetype(stagedWide_.size()) >= StagedLimit && !QChar::isHighSurrogate(c))
        flushStaged(out);
}

// Strict UTF-8: overlong forms, encoded surrogates and values past U+10FFFF
// are not characters, so each of their bytes is kept as an escape. A lone CR
// becomes CR LF. A sequence cut off by the end of the piece is held back for
// the next one.
void Decoder::decodeUtf8(const uchar *b, qsizetype size, bool atEnd, TextSink &out)
{
    qsizetype i = 0;
    if (afterCr_ && size > 0) {
        afterCr_ = false;
        if (b[0] == '\n')
            i = 1; // the LF of a CR LF pair, written with its CR
    }
    while (i < size) {
        const qsizetype run = asciiRunEnd(b, i, size);
        if (run > i) {
            stageLatin1(reinterpret_cast<const char *>(b + i), run - i, out);
            lineOpen_ = !(run - i >= 2 && b[run - 2] == '\r' && b[run - 1] == '\n');
            afterCr_ = false;
            i = run;
        } else if (b[i] == '\r') {
            // A lone CR, or one whose LF may start the next piece.
            stageLatin1("\r\n", 2, out);
            afterCr_ = true;
            lineOpen_ = false;
            ++i;
        } else {
            const qsizetype taken = decodeSequence(b, i, size, atEnd, out);
            if (taken == 0) {
                pending_ = QByteArray(reinterpret_cast<const char *>(b + i), size - i);
                break;
            }
            afterCr_ = false;
            lineOpen_ = true;
            i += taken;
        }
    }
    flushStaged(out);
}

qsizetype Decoder::decodeSequence(const uchar *b, qsizetype i, qsizetype size, bool atEnd,
                                  TextSink &out)
{
    const Lead lead = leadOf(b[i]);
    char32_t cp = lead.bits;
    int k = 0;
    bool valid = lead.following > 0;
    for (; valid && k < lead.following && i + 1 + k < size; ++k) {
        const unsigned t = b[i + 1 + k];
        valid = t >= (k == 0 ? lead.low : 0x80u) && t <= (k == 0 ? lead.high : 0xBFu);
        cp = (cp << 6) | (t & 0x3F);
    }
    if (valid && k < lead.following) {
        if (!atEnd)
            return 0;
        valid = false;
    }
    if (!valid) {
        stageWide(escapeFor(b[i]), out);
        return 1;
    }
    if (cp < 0x100) {
        const char latin1 = char(cp);
        stageLatin1(&latin1, 1, out);
    } else if (cp >= 0x10000) {
        stageWide(QChar::highSurrogate(cp), out);
        stageWide(QChar::lowSurrogate(cp), out);
    } else {
        stageWide(char16_t(cp), out);
    }
    return lead.following + 1;
}

// The code page is applied to whole lines only, so no multi-byte character
// of it is ever cut in two: CR and LF are never part of one.
void Decoder::decodeCodePage(QByteArrayView bytes, bool atEnd, TextSink &out)
{
    qsizetype ready = pending_.size();
    pending_.append(bytes);
    if (atEnd) {
        ready = pending_.size();
    } else {
        qsizetype last = bytes.size() - 1;
        while (last >= 0 && bytes[last] != '\r' && bytes[last] != '\n')
            --last;
        if (last < 0)
            return; // the line goes on in the next piece
        ready += last + 1;
    }
    const QByteArrayView lines = QByteArrayView(pending_).first(ready);
    QString text;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char c = lines[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i > runStart) {
            CodePage::decodeRun(lines.sliced(runStart, i - runStart), text);
            afterCr_ = false;
            lineOpen_ = true;
        }
        runStart = i + 1;
        if (c == '\r') {
            text += QStringLiteral("\r\n");
            afterCr_ = true;
            lineOpen_ = false;
        } else if (afterCr_) {
            afterCr_ = false;
        } else {
            text += u'\n';
            lineOpen_ = true;
        }
    }
    if (runStart < lines.size()) {
        CodePage::decodeRun(lines.sliced(runStart), text);
        afterCr_ = false;
        lineOpen_ = true;
    }
    pending_.remove(0, ready);
    out.append(text);
}

} // namespace TextFileFormat
