#pragma once

#include "chunk.h"

#include <QString>

#include <vector>

/// Text taken out of a model and kept aside, as the history keeps what an
/// edit removed: a short piece as a string, a long one as the very chunks
/// that held it, moved out of the model's tree, so that keeping a large
/// removal and putting it back copy none of its characters.
class DetachedText
{
public:
    DetachedText() = default;
    explicit DetachedText(QString text) : string_(std::move(text)) {}
    /// Chunks in order, none of them empty.
    explicit DetachedText(std::vector<Chunk> chunks);

    qint64 length() const { return chunks_.empty() ? string_.size() : chunkLength_; }
    bool isEmpty() const { return length() == 0; }
    bool isChunks() const { return !chunks_.empty(); }
    /// The text of a short piece (empty for chunks).
    const QString &string() const { return string_; }
    /// The chunks of a long piece, moved out; the piece is left empty.
    std::vector<Chunk> takeChunks();
    /// The memory its characters take.
    qint64 bytes() const;

    /// Joins a short piece that stood right before this one (or right
    /// after it) in the text; both must be short.
    void prepend(const DetachedText &before) { string_.prepend(before.string_); }
    void append(const DetachedText &after) { string_.append(after.string_); }

private:
    QString string_;
    std::vector<Chunk> chunks_;
    qint64 chunkLength_ = 0;
};
