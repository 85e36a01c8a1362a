#pragma once

#include "heldchunk.h"
#include "linesummary.h"
#include "piecebytes.h"
#include "textspan.h"

#include <QStringView>

#include <memory>
#include <vector>

class PieceStore;

/// A run of the text, a few thousand characters long: the leaf of the tree.
///
/// While every character of the run is below U+0100 it is kept one byte a
/// character, which halves the memory of most files; the first character
/// from U+0100 up widens the run to UTF-16, and a run that loses its last
/// such character goes back to bytes. Either way the characters are kept
/// exactly as they are, line breaks included.
///
/// The summary (length, breaks, line lengths) is recounted by refresh()
/// after the characters change.
///
/// A chunk may also keep its characters where a file was read into memory
/// (inPlace()): one byte a character, in memory that the chunk shares with
/// the other chunks read there and keeps alive. Such a chunk is read like any
/// other; it copies its characters into memory of its own before its first
/// change, so a load copies nothing that is never edited.
///
/// A chunk may also be a piece of a file (piece()): a range of the file's
/// bytes, its characters left there and read through its store when they
/// are asked for, with the summary counted when the file was read. Such a
/// chunk is never changed: an edit cuts it into pieces and ordinary chunks
/// around the edit (TextModel). Its characters are read through held(),
/// which keeps them while they are used; at(), the line lookups and
/// pieceBytes() work on it as on any chunk, span() does not.
///
/// Finding a line inside the chunk uses a table of how many line breaks end
/// before each block of BlockSize characters, made the first time a line is
/// looked up and dropped by refresh(): a lookup reads the table and at most
/// one block, never the whole chunk. The table is one 32-bit count a block,
/// 1/32 of a byte a character whatever the text holds (a chunk of nothing
/// but LF included), and loading, which looks up no line, never makes it.
/// Being made on a read, it assumes the chunk is read from one thread.
class Chunk
{
public:
    Chunk() = default;
    /// A chunk of the size characters at latin1 (all below U+0100), which
    /// stay there: memory keeps them alive. summary must be theirs.
    static Chunk inPlace(const char *latin1, qsizetype size, std::shared_ptr<const void> memory,
                         const LineSummary &summary);
    /// Whether the characters are kept where they were read.
    bool isInPlace() const { return inPlace_ != nullptr; }

    /// A chunk of the characters of the bytes of piece, read through store;
    /// summary is what they were counted as.
    static Chunk piece(std::shared_ptr<PieceStore> store, const PieceBytes &piece,
                       const LineSummary &summary);
    bool isPiece() const { return store_ != nullptr; }
    /// The bytes of a piece, and where they are read.
    const PieceBytes &pieceBytes() const { return piece_; }
    const std::shared_ptr<PieceStore> &pieceStore() const { return store_; }
    /// The characters to read, held while the handle lives: the chunk's
    /// own, or the decoded text of a piece.
    HeldChunk held() const;

    qsizetype size() const
    {
        return wide_      ? qsizetype(utf16_.size())
               : inPlace_ ? inPlaceSize_
               : store_   ? qsizetype(summary_.length)
                          : qsizetype(latin1_.size());
    }
    bool isEmpty() const { return size() == 0; }
    bool isWide() const { return wide_; }
    char16_t at(qsizetype i) const
    {
        return wide_ ? utf16_[i] : store_ ? held()->at(i) : char16_t(uchar(latin1()[i]));
    }
    char16_t front() const { return at(0); }
    char16_t back() const { return at(size() - 1); }

    /// The stored characters, of any chunk but a piece (see held()).
    TextSpan span() const { return span(0, size()); }
    TextSpan span(qsizetype from, qsizetype to) const;

    void reserve(qsizetype size);
    /// The memory the characters take, room to grow included; none for a
    /// piece, whose characters stay in its file.
    qsizetype memoryBytes() const
    {
        return wide_      ? qsizetype(utf16_.capacity() * sizeof(char16_t))
               : inPlace_ ? inPlaceSize_
               : store_   ? 0
                          : qsizetype(latin1_.capacity());
    }
    /// Gives back room that the characters do not take.
    void shrink();
    void append(QStringView text);
    void appendLatin1(const char *text, qsizetype size);
    void insert(qsizetype at, QStringView text);
    void remove(qsizetype from, qsizetype to);
    /// Removes the last character and returns it.
    char16_t takeBack();

    const LineSummary &summary() const { return summary_; }
    /// Recounts the summary after the characters changed (a piece keeps
    /// the one it was counted with).
    void refresh();
    /// The summary of a stretch of characters, as a chunk of them counts it.
    static LineSummary summaryOf(const TextSpan &span);

    /// The offset right after the n-th line break of the chunk (1 <= n <= breaks).
    qsizetype breakEnd(qsizetype n) const;
    /// How many line breaks end at or before offset.
    qsizetype breaksBefore(qsizetype offset) const;

    /// A line break: its first character and the offset right after it.
    struct Break
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    /// The first line break that starts at or after offset; both ends are
    /// size() when there is none.
    Break nextBreak(qsizetype offset) const;
    /// Where the line break that ends at end starts (1 <= end <= size()).
    qsizetype breakStart(qsizetype end) const;

    static constexpr qsizetype BlockSize = 128;

private:
    const char *latin1() const { return inPlace_ ? inPlace_ : latin1_.data(); }
    /// Copies characters kept in place into memory of the chunk's own.
    void own();
    void widen();
    /// Makes room for count more characters, growing by a thirty-second of
    /// its room, and by 64 characters at least.
    void grow(qsizetype count);
    /// The counts of line breaks ending at or before each block's start.
    const std::vector<quint32> &breakTable() const;
    template <typename Found> void forEachBreakFrom(qsizetype offset, Found found) const;

    std::vector<char> latin1_;
    std::vector<char16_t> utf16_;
    const char *inPlace_ = nullptr;
    qsizetype inPlaceSize_ = 0;
    std::shared_ptr<const void> inPlaceMemory_;
    bool wide_ = false;
    std::shared_ptr<PieceStore> store_;
    PieceBytes piece_;
    LineSummary summary_;
    mutable std::vector<quint32> breakTable_; ///< empty until a line is looked up
};
