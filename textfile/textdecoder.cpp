#include "textdecoder.h"

#include "codepage.h"
#include "textfileformat.h"

#include "text/plainbytes.h"
#include "text/textsink.h"

#include <QChar>
#include <QtEndian>

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

// Units of UTF-16 or UTF-32 read in the file's byte order.
struct Decoder::UnitReader
{
    explicit UnitReader(const Encoding &encoding)
        : size(encoding.unitSize()), bigEndian(encoding.form() == Encoding::Form::Utf16BE ||
                                               encoding.form() == Encoding::Form::Utf32BE)
    {
    }

    char32_t at(const uchar *b) const
    {
        if (size == 2)
            return bigEndian ? qFromBigEndian<quint16>(b) : qFromLittleEndian<quint16>(b);
        return bigEndian ? qFromBigEndian<quint32>(b) : qFromLittleEndian<quint32>(b);
    }

    const int size;
    const bool bigEndian;
};

Decoder::Decoder(const Encoding &encoding, LineBreak lineBreak)
    : encoding_(encoding), lineBreak_(lineBreak)
{
    if (encoding_.form() == Encoding::Form::CodePage)
        table_ = SingleByteTable::of(encoding_.codePageName());
}

void Decoder::decode(QByteArrayView bytes, TextSink &out)
{
    if (encoding_.form() == Encoding::Form::CodePage && !table_) {
        decodeLines(bytes, false, out);
        return;
    }
    QByteArray joined;
    if (!pending_.isEmpty()) {
        joined = std::exchange(pending_, {});
        joined.append(bytes);
        bytes = joined;
    }
    const uchar *b = reinterpret_cast<const uchar *>(bytes.data());
    if (encoding_.unitSize() > 1)
        decodeUnits(b, bytes.size(), false, out);
    else
        decodeBytes(b, bytes.size(), false, out);
}

void Decoder::finish(TextSink &out)
{
    const QByteArray rest = std::exchange(pending_, {});
    const uchar *b = reinterpret_cast<const uchar *>(rest.constData());
    if (encoding_.form() == Encoding::Form::CodePage && !table_)
        decodeLines(rest, true, out);
    else if (encoding_.unitSize() > 1)
        decodeUnits(b, rest.size(), true, out);
    else
        decodeBytes(b, rest.size(), true, out);
    // A file of UTF-16 or UTF-32 cut inside its last unit: the line ends
    // before the bytes left over, which follow it as they were.
    const QByteArray leftOver = std::exchange(pending_, {});
    endLine(out);
    for (const char byte : leftOver)
        stageWide(escapeFor(uchar(byte)), out);
    flushStaged(out);
    afterCr_ = false;
    ending_ = Ending::Nothing;
}

bool Decoder::readsPlainBytesAsThemselves() const
{
    return encoding_.form() == Encoding::Form::Utf8 || table_.has_value();
}

void Decoder::passedAsIs(QByteArrayView plainBytes)
{
    const qsizetype size = plainBytes.size();
    if (size == 0)
        return;
    ending_ = plainBytes[size - 1] != '\n'                ? Ending::Other
              : size >= 2 && plainBytes[size - 2] == '\r' ? Ending::CrLf
                                                          : Ending::LineFeed;
    afterCr_ = false;
}

void Decoder::endLine(TextSink &out)
{
    if (ending_ == Ending::Other || (ending_ == Ending::LineFeed && lineBreak_ == LineBreak::CrLf))
        stageLatin1(lineBreak_ == LineBreak::Lf ? "\n" : "\r\n",
                    lineBreak_ == LineBreak::Lf ? 1 : 2, out);
    ending_ = Ending::Nothing;
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

void Decoder::stageCharacter(char32_t c, TextSink &out)
{
    if (c == '\n' && afterCr_) {
        afterCr_ = false; // the LF of a CR LF pair, written with its CR
        return;
    }
    afterCr_ = c == '\r';
    if (afterCr_) {
        stageLatin1("\r\n", 2, out);
        ending_ = Ending::CrLf;
        return;
    }
    ending_ = c == '\n' ? Ending::LineFeed : Ending::Other;
    if (c < 0x100) {
        if (!stagedWide_.empty()) {
            stagedWide_.push_back(char16_t(c));
        } else {
            stagedLatin1_.push_back(char(c));
            if (qsizetype(stagedLatin1_.size()) >= StagedLimit)
                flushStaged(out);
        }
    } else if (c >= 0x10000) {
        stageWide(QChar::highSurrogate(c), out);
        stageWide(QChar::lowSurrogate(c), out);
    } else {
        stageWide(char16_t(c), out);
    }
}

// UTF-8 is strict: overlong forms, encoded surrogates and values past
// U+10FFFF are not characters, so each of their bytes is kept as an escape.
// In a code page of one byte a character, each byte above ASCII is looked
// up. Runs of ASCII go as they are. A sequence cut off by the end of the
// piece is held back for the next one.
void Decoder::decodeBytes(const uchar *b, qsizetype size, bool atEnd, TextSink &out)
{
    qsizetype i = 0;
    if (afterCr_ && size > 0) {
        afterCr_ = false;
        if (b[0] == '\n')
            i = 1; // the LF of a CR LF pair, written with its CR
    }
    while (i < size) {
        const qsizetype run = PlainBytes::runEnd(b, i, size);
        if (run > i) {
            stageLatin1(reinterpret_cast<const char *>(b + i), run - i, out);
            passedAsIs(QByteArrayView(b + i, run - i));
            i = run;
        } else if (b[i] == '\r') {
            // A lone CR, or one whose LF may start the next piece.
            stageLatin1("\r\n", 2, out);
            afterCr_ = true;
            ending_ = Ending::CrLf;
            ++i;
        } else if (table_) {
            const char16_t c = table_->character(b[i]);
            if (c < 0x100) {
                const char latin1 = char(c);
                stageLatin1(&latin1, 1, out);
            } else {
                stageWide(c, out);
            }
            afterCr_ = false;
            ending_ = Ending::Other;
            ++i;
        } else {
            const qsizetype taken = decodeSequence(b, i, size, atEnd, out);
            if (taken == 0) {
                pending_ = QByteArray(reinterpret_cast<const char *>(b + i), size - i);
                break;
            }
            afterCr_ = false;
            ending_ = Ending::Other;
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

// UTF-16 and UTF-32 units, in the file's byte order. A unit or pair cut off
// by the end of the piece is held back; at the file's end, finish() keeps
// what is left.
void Decoder::decodeUnits(const uchar *b, qsizetype size, bool atEnd, TextSink &out)
{
    const UnitReader units(encoding_);
    qsizetype i = 0;
    while (i + units.size <= size) {
        const char32_t c = units.at(b + i);
        if (c < 0x80 && c != '\r' && !(c == '\n' && afterCr_)) {
            // The common case, kept short.
            ending_ = c == '\n' ? Ending::LineFeed : Ending::Other;
            afterCr_ = false;
            if (!stagedWide_.empty())
                stagedWide_.push_back(char16_t(c));
            else
                stagedLatin1_.push_back(char(c));
            if (qsizetype(stagedLatin1_.size() + stagedWide_.size()) >= StagedLimit)
                flushStaged(out);
            i += units.size;
            continue;
        }
        const qsizetype taken = decodeUnit(units, b, i, size, atEnd, out);
        if (taken == 0)
            break; // the other half of a surrogate pair may start the next piece
        i += taken;
    }
    if (i < size)
        pending_ = QByteArray(reinterpret_cast<const char *>(b + i), size - i);
    flushStaged(out);
}

// A unit that is not plain ASCII. One that is no character (half a
// surrogate pair alone, a value past U+10FFFF) is kept as the escapes of its
// bytes.
qsizetype Decoder::decodeUnit(const UnitReader &units, const uchar *b, qsizetype i, qsizetype size,
                              bool atEnd, TextSink &out)
{
    const qsizetype unit = units.size;
    const char32_t c = units.at(b + i);
    const bool wide = unit == 4;
    if (c > 0x10FFFF || (wide && QChar::isSurrogate(c)) || (!wide && QChar::isLowSurrogate(c)))
        return keepUnitBytes(b + i, unit, out);
    if (wide || !QChar::isHighSurrogate(c)) {
        stageCharacter(c, out);
        return unit;
    }
    if (i + 2 * unit > size && !atEnd)
        return 0;
    const char32_t low = i + 2 * unit <= size ? units.at(b + i + unit) : 0;
    if (!QChar::isLowSurrogate(low))
        return keepUnitBytes(b + i, unit, out);
    stageCharacter(QChar::surrogateToUcs4(char16_t(c), char16_t(low)), out);
    return 2 * unit;
}

qsizetype Decoder::keepUnitBytes(const uchar *unit, qsizetype size, TextSink &out)
{
    for (qsizetype k = 0; k < size; ++k)
        stageWide(escapeFor(unit[k]), out);
    afterCr_ = false;
    ending_ = Ending::Other;
    return size;
}

// A code page of several bytes a character is applied to whole lines only,
// so no character of it is ever cut in two: CR and LF are never part of one.
void Decoder::decodeLines(QByteArrayView bytes, bool atEnd, TextSink &out)
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
    const auto decodeRun = [&](qsizetype end) {
        if (end <= runStart)
            return;
        CodePage::decodeRun(encoding_.codePageName(), lines.sliced(runStart, end - runStart), text);
        afterCr_ = false;
        ending_ = Ending::Other;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char c = lines[i];
        if (c != '\r' && c != '\n')
            continue;
        decodeRun(i);
        runStart = i + 1;
        if (c == '\r') {
            text += QStringLiteral("\r\n");
            afterCr_ = true;
            ending_ = Ending::CrLf;
        } else if (afterCr_) {
            afterCr_ = false;
        } else {
            text += u'\n';
            ending_ = Ending::LineFeed;
        }
    }
    decodeRun(lines.size());
    pending_.remove(0, ready);
    flushStaged(out);
    out.append(text);
}

} // namespace TextFileFormat
