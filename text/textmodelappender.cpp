#include "textmodelappender.h"

#include "textmodel.h"

TextModelAppender::TextModelAppender(TextModel &model)
    : model_(model), builder_(model.chunkBuilder())
{
}

void TextModelAppender::appendLatin1(const char *text, qsizetype size)
{
    builder_.appendLatin1(text, size);
}

void TextModelAppender::append(QStringView text)
{
    builder_.append(text);
}

void TextModelAppender::flush()
{
    if (!builder_.isEmpty())
        model_.appendChunks(builder_.take());
}
