#include "chunk.h"

#include "linebreak.h"
#include "piecestore.h"
#include "unitscan.h"

#include <algorithm>

namespace {

// The index of the first CR or LF at or after i, or n. Lines are mostly
// dozens of characters long, so whole words without either are skipped.
template <typename Unit> qsizetype findBreakCharacter(const Unit *s, qsizetype i, qsizetype n)
{
    return UnitScan::findEither<Unit>(s, i, n, '\r', '\n');
}

// Calls found(start, end) for every line break of s that starts at or after
// from: a CR LF pair, a lone CR or a lone LF; stops when found returns false.
// Started on the LF of a pair, it finds the pair's end all the same.
template <typename Unit, typename Found>
void forEachBreak(const Unit *s, qsizetype n, Found found, qsizetype from = 0)
{
    for (qsizetype i = findBreakCharacter(s, from, n); i < n; i = findBreakCharacter(s, i, n)) {
        const qsizetype end = LineBreaks::breakEnd(s, i, n);
        if (!found(i, end))
            return;
        i = end;
    }
}

template <typename Unit> LineSummary summarize(const Unit *s, qsizetype n)
{
    LineSummary summary;
    summary.length = n;
    qsizetype lineStart = 0;
    forEachBreak(s, n, [&](qsizetype start, qsizetype end) {
        const qsizetype line = start - lineStart;
        if (summary.breaks == 0)
            summary.firstLine = line;
        summary.longestLine = std::max<qint64>(summary.longestLine, line);
        ++summary.breaks;
        lineStart = end;
        return true;
    });
    summary.lastLine = n - lineStart;
    if (summary.breaks == 0)
        summary.firstLine = n;
    summary.longestLine = std::max(summary.longestLine, summary.lastLine);
    return summary;
}

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

Chunk Chunk::inPlace(const char *latin1, qsizetype size, std::shared_ptr<const void> memory,
                     const LineSummary &summary)
{
    Chunk chunk;
    chunk.inPlace_ = latin1;
    chunk.inPlaceSize_ = size;
    chunk.inPlaceMemory_ = std::move(memory);
    chunk.summary_ = summary;
    return chunk;
}

Chunk Chunk::piece(std::shared_ptr<PieceStore> store, const PieceBytes &piece,
                   const LineSummary &summary)
{
    Chunk chunk;
    chunk.store_ = std::move(store);
    chunk.piece_ = piece;
    chunk.summary_ = summary;
    // Its characters take no memory until they are read, and then the
    // store's.
    chunk.summary_.wide = 0;
    chunk.summary_.stored = summary.length;
    return chunk;
}

HeldChunk Chunk::held() const
{
    if (!store_)
        return HeldChunk(*this);
    std::shared_ptr<const PieceText> text = store_->text(piece_, summary_);
    const Chunk &characters = text->characters;
    return HeldChunk(std::move(text), characters);
}

LineSummary Chunk::summaryOf(const TextSpan &span)
{
    LineSummary summary =
        span.isWide() ? summarize(span.utf16, span.size) : summarize(span.latin1, span.size);
    if (span.isWide())
        summary.wide = span.size;
    return summary;
}

void Chunk::own()
{
    if (!inPlace_)
        return;
    latin1_.reserve(size_t(inPlaceSize_ + std::max<qsizetype>(inPlaceSize_ / 32, 64)));
    latin1_.assign(inPlace_, inPlace_ + inPlaceSize_);
    inPlace_ = nullptr;
    inPlaceSize_ = 0;
    inPlaceMemory_.reset();
}

TextSpan Chunk::span(qsizetype from, qsizetype to) const
{
    TextSpan span;
    span.size = to - from;
    Q_ASSERT(!store_ || span.size == 0);
    if (store_)
        return span;
    if (wide_)
        span.utf16 = utf16_.data() + from;
    else
        span.latin1 = latin1() + from;
    return span;
}

void Chunk::reserve(qsizetype size)
{
    own();
    if (wide_)
        utf16_.reserve(size_t(size));
    else
        latin1_.reserve(size_t(size));
}

void Chunk::grow(qsizetype count)
{
    const size_t capacity = wide_ ? utf16_.capacity() : latin1_.capacity();
    const size_t needed = size_t(size() + count);
    if (needed > capacity)
        reserve(qsizetype(std::max(needed, capacity + std::max<size_t>(capacity / 32, 64))));
}

void Chunk::shrink()
{
    if (inPlace_ || store_)
        return;
    const size_t capacity = wide_ ? utf16_.capacity() : latin1_.capacity();
    if (capacity > size_t(size() + size() / 4 + 16)) {
        utf16_.shrink_to_fit();
        latin1_.shrink_to_fit();
    }
}

void Chunk::widen()
{
    own();
    const auto *bytes = reinterpret_cast<const uchar *>(latin1_.data());
    utf16_.reserve(latin1_.capacity());
    utf16_.assign(bytes, bytes + latin1_.size());
    std::vector<char>().swap(latin1_);
    wide_ = true;
}

void Chunk::append(QStringView text)
{
    insert(size(), text);
}

void Chunk::appendLatin1(const char *text, qsizetype size)
{
    own();
    grow(size);
    if (wide_)
        utf16_.insert(utf16_.end(), reinterpret_cast<const uchar *>(text),
                      reinterpret_cast<const uchar *>(text) + size);
    else
        latin1_.insert(latin1_.end(), text, text + size);
}

void Chunk::insert(qsizetype at, QStringView text)
{
    own();
    if (!wide_ && !fitsLatin1(text))
        widen();
    grow(text.size());
    if (wide_) {
        utf16_.insert(utf16_.begin() + at, text.utf16(), text.utf16() + text.size());
        return;
    }
    const auto position = latin1_.insert(latin1_.begin() + at, size_t(text.size()), '\0');
    std::transform(text.begin(), text.end(), position, [](QChar c) { return char(c.unicode()); });
}

// Characters kept in place lose their ends without a copy.
void Chunk::remove(qsizetype from, qsizetype to)
{
    Q_ASSERT(!store_ || from == to);
    if (from == to)
        return;
    if (inPlace_ && (from == 0 || to == inPlaceSize_)) {
        if (from == 0)
            inPlace_ += to;
        inPlaceSize_ -= to - from;
        return;
    }
    own();
    if (wide_)
        utf16_.erase(utf16_.begin() + from, utf16_.begin() + to);
    else
        latin1_.erase(latin1_.begin() + from, latin1_.begin() + to);
}

char16_t Chunk::takeBack()
{
    const char16_t last = back();
    remove(size() - 1, size());
    return last;
}

void Chunk::refresh()
{
    if (store_)
        return;
    breakTable_.clear();
    if (!wide_) {
        summary_ = summarize(latin1(), size());
        return;
    }
    summary_ = summarize(utf16_.data(), size());
    if (std::all_of(utf16_.begin(), utf16_.end(), [](char16_t c) { return c < 0x100; })) {
        latin1_.assign(utf16_.begin(), utf16_.end());
        std::vector<char16_t>().swap(utf16_);
        wide_ = false;
        return;
    }
    summary_.wide = size();
}

template <typename Found> void Chunk::forEachBreakFrom(qsizetype offset, Found found) const
{
    if (wide_)
        forEachBreak(utf16_.data(), size(), found, offset);
    else
        forEachBreak(latin1(), size(), found, offset);
}

const std::vector<quint32> &Chunk::breakTable() const
{
    if (!breakTable_.empty())
        return breakTable_;
    const size_t blocks = size_t(size() / BlockSize) + 1;
    breakTable_.reserve(blocks);
    quint32 count = 0;
    forEachBreakFrom(0, [&](qsizetype, qsizetype end) {
        while (qsizetype(breakTable_.size()) * BlockSize < end)
            breakTable_.push_back(count);
        ++count;
        return true;
    });
    breakTable_.resize(blocks, count);
    return breakTable_;
}

qsizetype Chunk::breakEnd(qsizetype n) const
{
    if (store_)
        return held()->breakEnd(n);
    const std::vector<quint32> &table = breakTable();
    // The last block whose start comes after fewer than n breaks holds the
    // n-th break's end.
    const auto block = std::upper_bound(table.begin(), table.end(), quint32(n - 1)) - 1;
    qsizetype count = *block;
    qsizetype result = size();
    forEachBreakFrom((block - table.begin()) * BlockSize, [&](qsizetype, qsizetype end) {
        if (++count < n)
            return true;
        result = end;
        return false;
    });
    return result;
}

// A piece is read only where its ends do not answer: a text that grows a
// piece at a time asks about the place where the last one ends.
qsizetype Chunk::breaksBefore(qsizetype offset) const
{
    if (store_ && offset <= 0)
        return 0;
    if (store_ && offset >= size())
        return summary_.breaks;
    if (store_)
        return held()->breaksBefore(offset);
    const std::vector<quint32> &table = breakTable();
    const qsizetype block =
        std::clamp<qsizetype>(offset / BlockSize, 0, qsizetype(table.size()) - 1);
    qsizetype count = table[block];
    forEachBreakFrom(block * BlockSize, [&](qsizetype start, qsizetype end) {
        if (start >= offset || end > offset)
            return false;
        ++count;
        return true;
    });
    return count;
}

Chunk::Break Chunk::nextBreak(qsizetype offset) const
{
    if (store_)
        return held()->nextBreak(offset);
    Break found{size(), size()};
    forEachBreakFrom(offset, [&found](qsizetype start, qsizetype end) {
        found = {start, end};
        return false;
    });
    return found;
}

qsizetype Chunk::breakStart(qsizetype end) const
{
    if (store_)
        return held()->breakStart(end);
    return end >= 2 && LineBreaks::splitsPair(at(end - 2), at(end - 1)) ? end - 2 : end - 1;
}
