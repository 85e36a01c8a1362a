#pragma once

#include "linebreak.h"

#include "chunkbuilder.h"
#include "chunktree.h"
#include "linebounds.h"
#include "texthistory.h"
#include "textspan.h"

#include <QObject>
#include <QString>

#include <functional>

/// The characters of a document, exactly as they are: CR LF pairs, lone CR,
/// lone LF, NUL, and every other UTF-16 unit, lone surrogates included.
/// Positions count UTF-16 units, so a CR LF pair counts as two.
///
/// A line ends at a CR LF pair (one break), a lone CR or a lone LF; nothing
/// else ends a line. Line lengths leave the break out.
///
/// The text lives in chunks of a few thousand characters, held in order by a
/// balanced tree whose nodes know their subtree's length and line breaks
/// (ChunkTree). So an edit anywhere costs O(log n) plus the length of the
/// text it inserts, and so does reading a range. Finding the start of a line
/// or the line of a position is O(log n): a descent of the tree, then the
/// chunk's table of line breaks and at most one block of it. Nothing ever
/// moves the whole text. Lines read in order are best walked with a
/// LineIterator, which finds each line's end by reading on.
///
/// Every edit is recorded in the model's history (history()), which undoes
/// and redoes them; text appended while a file loads is not.
class TextModel : public QObject
{
    Q_OBJECT

public:
    /// Chunks are cut at this many characters: an edit moves at most this
    /// much.
    static constexpr qsizetype DefaultChunkSize = 8192;

    explicit TextModel(QObject *parent = nullptr) : TextModel(DefaultChunkSize, parent) {}
    /// A model with chunks of another size (at least 4), for tests.
    explicit TextModel(qsizetype chunkSize, QObject *parent = nullptr);
    ~TextModel() override;

    qint64 length() const;
    /// The memory the characters take: one byte each in a chunk whose
    /// characters are all below U+0100, two in any other.
    qint64 bytes() const;
    bool isEmpty() const { return length() == 0; }
    /// How many of the characters are left in the file they were read
    /// from, in pieces (Chunk::piece), rather than in memory.
    qint64 storedLength() const;
    qint64 lineCount() const;
    /// The position where a line starts (line clamped to the lines there are).
    qint64 lineStart(qint64 line) const;
    /// The position where a line's break starts, or the end of the text for
    /// the last line.
    qint64 lineEnd(qint64 line) const;
    /// A line's start, end and the next line's start (the end of the text
    /// for the last line), in one step (line clamped to the lines there are).
    LineBounds lineBounds(qint64 line) const;
    /// The line that holds position; a position between the CR and the LF of
    /// a pair belongs to the line the pair ends.
    qint64 lineAt(qint64 position) const;
    qint64 longestLineLength() const;

    /// The character at position, or 0 outside the text.
    char16_t at(qint64 position) const;
    QString text() const { return text(0, length()); }
    /// The characters of [from, to), clamped to the text.
    QString text(qint64 from, qint64 to) const;
    /// Calls visit for the stored pieces of [from, to) in order; stops when
    /// visit returns false. Nothing is copied.
    void forEachSpan(qint64 from, qint64 to,
                     const std::function<bool(const TextSpan &)> &visit) const;
    /// The same, with each span's chunk held: a span stays valid for as
    /// long as its holder is kept, after the visit too.
    void
    forEachHeldSpan(qint64 from, qint64 to,
                    const std::function<bool(const TextSpan &, const HeldChunk &)> &visit) const;

    /// Calls visit for every chunk of the text in order, with its start;
    /// stops when visit returns false.
    void forEachChunk(const std::function<bool(const Chunk &, qint64 start)> &visit) const
    {
        chunks_.visit(0, length(), visit);
    }
    /// Puts chunks with the same characters in place of pieces: each at the
    /// index given, and of the same summary, as when the file under a piece
    /// changes name (a save). Nothing is told: the text stays as it was.
    void renamePieces(std::vector<std::pair<qsizetype, Chunk>> pieces);

    /// Replaces [from, to) (clamped to the text) with text.
    void replace(qint64 from, qint64 to, QStringView text);
    /// The same, for a string, which edited() then hands on, shared.
    void replace(qint64 from, qint64 to, const QString &text);
    /// Replaces [from, to) (clamped to the text) with ready-made chunks,
    /// moved in as they are, with one contentsChanged: for large edits
    /// whose text is cut into chunks while it is made.
    void replace(qint64 from, qint64 to, std::vector<Chunk> &&chunks);
    void setText(QStringView text) { replace(0, length(), text); }
    /// A builder that cuts text into chunks as this model's own, for the
    /// replace that takes chunks.
    ChunkBuilder chunkBuilder() const
    {
        return ChunkBuilder(chunkSize_ - roomToGrow(), chunkSize_);
    }

    TextHistory &history() { return history_; }
    const TextHistory &history() const { return history_; }

    /// Counts the edits: changes whenever the text does.
    quint64 revision() const { return revision_; }

    /// Whether more text is still to come at the end, as while a file loads:
    /// the end of the text is not yet the end of the document.
    bool isLoading() const { return loading_; }
    void setLoading(bool loading);

    /// What Enter inserts: the line break of the file the text came from,
    /// or the one its line ends were converted to. An undo step that
    /// changed it gives it back.
    LineBreak lineBreak() const { return lineBreak_; }
    void setLineBreak(LineBreak lineBreak);

signals:
    /// The characters of [from, to) are about to be replaced: the last
    /// moment they can be read.
    void aboutToReplace(qint64 from, qint64 to);
    /// The characters of [position, position + removed) were replaced by
    /// added characters.
    void contentsChanged(qint64 position, qint64 removed, qint64 added);
    /// After contentsChanged for an edit (a replace, an undo or a redo),
    /// not for text appended while a file loads. inserted is the string
    /// the added characters came from, shared, when the edit was given
    /// one; otherwise it is null, and they are read from the model.
    void edited(qint64 position, qint64 removed, qint64 added, const QString &inserted);
    /// The model is going away: the last moment its characters can be read.
    void aboutToBeDestroyed();
    /// More text stopped (or started) coming at the end.
    void loadingChanged(bool loading);
    /// What Enter inserts has changed.
    void lineBreakChanged();

private:
    friend class TextModelAppender;
    friend class LineIterator;
    friend class RangeCopier;
    friend class TextHistory;

    qsizetype chunkSize() const { return chunkSize_; }
    /// Adds ready chunks at the end of the text.
    void appendChunks(std::vector<Chunk> chunks);
    /// Puts text in place of [from, to) without recording it, and gives
    /// back what was there: what undo and redo do.
    DetachedText exchange(qint64 from, qint64 to, DetachedText text);
    void changed(qint64 from, qint64 removed, qint64 added);
    DetachedText replaceRange(qint64 from, qint64 to, QStringView text);
    DetachedText replaceRange(qint64 from, qint64 to, std::vector<Chunk> chunks);
    bool replaceInChunk(qint64 from, qint64 to, QStringView text, QString &removed);
    /// The new chunks of an edit, the text kept before and after the edited
    /// range made anew with the first and the last of them.
    std::vector<Chunk> withEnds(TextSpan before, std::vector<Chunk> chunks, TextSpan after) const;
    /// The chunks of [from, to), moved out of the tree, with their parts
    /// outside the range given to merge into what comes instead.
    std::vector<Chunk> takeRange(qint64 from, qint64 to, qsizetype &index, qsizetype &head,
                                 qsizetype &tail);
    /// Short removed text is kept as a string, long text as its chunks.
    DetachedText detached(std::vector<Chunk> chunks) const;
    /// Keeps the chunks sound after chunks first..first + count - 1 were
    /// made or changed: no CR LF pair or surrogate pair cut between two
    /// chunks, no empty chunk, no two small neighbours.
    void repair(qsizetype first, qsizetype count);
    bool joinIfNeeded(qsizetype left);
    /// Opens the piece on either side of the edge after chunk left when the
    /// edge cuts a pair of characters; gives the chunk now left of the edge,
    /// or -1 when nothing is cut.
    qsizetype openPieceEdge(qsizetype left);
    /// Makes position an edge between chunks or a place in an ordinary
    /// chunk, cutting the piece that holds it, if any.
    void openPieceAt(qint64 position);
    /// Cuts the piece at index so that [from, to) of it lies in ordinary
    /// chunks (PieceCutting::openAround).
    void openPiece(qsizetype index, qint64 from, qint64 to);
    ChunkBuilder evenChunks(qint64 total) const;
    /// The room a chunk is made with for characters to come.
    qsizetype roomToGrow() const { return chunkSize_ / 32; }

    const qsizetype chunkSize_;
    ChunkTree chunks_;
    quint64 revision_ = 0;
    bool loading_ = false;
    LineBreak lineBreak_ = LineBreak::CrLf;
    /// The string of the replace being made, if it was given one.
    const QString *insertedString_ = nullptr;
    TextHistory history_{*this};
};
