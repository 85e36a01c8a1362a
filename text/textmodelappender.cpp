#include "textmodelappender.h"

#include "textmodel.h"

TextModelAppender::TextModelAppender(TextModel &model) : model_(model), builder_(chunkBuilder()) {}

ChunkBuilder TextModelAppender::chunkBuilder() const
{
    return model_.chunkBuilder();
}

void TextModelAppender::appendLatin1(const char *text, qsizetype size)
{
    builder_.appendLatin1(text, size);
}

void TextModelAppender::append(QStringView text)
{
    builder_.append(text);
}

void TextModelAppender::append(std::vector<Chunk> chunks)
{
    flush();
    if (!chunks.empty())
        model_.appendChunks(std::move(chunks));
}

void TextModelAppender::flush()
{
    if (!builder_.isEmpty())
        model_.appendChunks(builder_.take());
}
