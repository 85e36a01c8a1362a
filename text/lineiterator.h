#pragma once

#include "chunktree.h"
#include "linebounds.h"

#include <QString>

class TextModel;

/// Walks the lines of a model in order from any line, each step giving the
/// line's start, end and the next line's start at once.
///
/// A step reads on from the last line's end inside the chunk it is in, so
/// walking lines costs their characters and a descent of the tree for each
/// chunk passed, never one a line. The model must not change while it walks.
class LineIterator
{
public:
    /// From the line given (clamped to the lines there are).
    explicit LineIterator(const TextModel &model, qint64 line = 0);

    /// Whether the walk went past the last line.
    bool atEnd() const { return line_ >= lineCount_; }
    qint64 line() const { return line_; }
    const LineBounds &bounds() const { return bounds_; }
    /// The line's characters, without its break: read straight from the
    /// chunk the walk is in when the line lies in it.
    QString text() const;
    void next();

private:
    void findEnd(qint64 start);

    const TextModel &model_;
    const qint64 lineCount_;
    qint64 line_;
    ChunkTree::Location chunk_;
    LineBounds bounds_;
};
