#pragma once

#include "chunkbuilder.h"
#include "textsink.h"

class TextModel;

/// Adds text at the end of a model in large pieces, as a file is read: the
/// text is cut into chunks as it comes, and flush() hands the chunks made so
/// far to the model in one step, so the model is never held twice. Each
/// chunk is left a little room, so that typing in it later moves nothing.
class TextModelAppender : public TextSink
{
public:
    explicit TextModelAppender(TextModel &model);

    void appendLatin1(const char *text, qsizetype size) override;
    void append(QStringView text) override;
    /// Puts everything appended so far at the end of the model.
    void flush();
    /// How many characters wait for the next flush.
    qint64 pending() const { return builder_.appended(); }

private:
    TextModel &model_;
    ChunkBuilder builder_;
};
