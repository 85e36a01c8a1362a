#pragma once

#include "chunkbuilder.h"
#include "textsink.h"

#include <vector>

class TextModel;

/// Adds text at the end of a model in large pieces, as a file is read: the
/// text is cut into chunks as it comes, and flush() hands the chunks made so
/// far to the model in one step, so the model is never held twice. Each
/// chunk is left a little room, so that typing in it later moves nothing.
///
/// The chunks may also be made elsewhere, on another thread, by a builder
/// from chunkBuilder(), and handed over ready with append().
class TextModelAppender : public TextSink
{
public:
    explicit TextModelAppender(TextModel &model);

    void appendLatin1(const char *text, qsizetype size) override;
    void append(QStringView text) override;
    /// Puts chunks made by a builder from chunkBuilder() at the end of the
    /// model, after everything flushed before.
    void append(std::vector<Chunk> chunks);
    /// Puts everything appended so far at the end of the model.
    void flush();
    /// How many characters wait for the next flush.
    qint64 pending() const { return builder_.appended(); }

    /// A builder that cuts text the way this model keeps it.
    ChunkBuilder chunkBuilder() const;

private:
    TextModel &model_;
    ChunkBuilder builder_;
};
