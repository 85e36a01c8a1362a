// Edits a text model with small chunks as the input says, and after each
// edit compares it with a plain string edited the same way.

#include "modelcheck.h"

#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <algorithm>
#include <tuple>

namespace {

// Characters that matter to the model: line ends, surrogates (which, like
// CR LF, must not be cut between chunks), characters above U+00FF (which
// widen a chunk), and plain letters.
const char16_t Alphabet[] = {u'a',   u'b',   u' ',   u'\t',  u'\r',  u'\n',  u'\0',  0x2028,
                             0x2029, 0x00E9, 0x00FF, 0x4E2D, 0xD83D, 0xDE00, 0xDC80, 0xFEFF};

QString textFrom(FuzzInput &input)
{
    const unsigned choice = input.byte();
    // Now and then a long text, which the model cuts into new chunks.
    const qsizetype length = choice < 224 ? choice % 24 : (choice - 223) * 97;
    QString text;
    text.reserve(length);
    unsigned pattern = 0;
    for (qsizetype i = 0; i < length; ++i) {
        // The first characters as the input says, the rest made up.
        pattern = i < 24 ? input.byte() : pattern * 1103515245u + 12345u;
        text += QChar(Alphabet[(i < 24 ? pattern : pattern >> 16) % std::size(Alphabet)]);
    }
    return text;
}

// What the model is to do with [from, to): clamped as the model clamps.
void replaceIn(QString &reference, qint64 from, qint64 to, const QString &text)
{
    from = std::clamp<qint64>(from, 0, reference.size());
    to = std::clamp<qint64>(to, from, reference.size());
    reference.replace(from, to - from, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzInput input(data, size);
    // Mostly tiny chunks, whose edges fall everywhere; now and then chunks of
    // a few blocks of their line break tables.
    const unsigned chunkSize = input.byte();
    TextModel model(chunkSize < 240 ? 4 + chunkSize % 13 : 130 + (chunkSize - 240) * 40);
    QString reference;
    std::tuple<qint64, qint64, qint64> change{-1, -1, -1};
    QObject::connect(&model, &TextModel::contentsChanged,
                     [&change](qint64 position, qint64 removed, qint64 added) {
                         change = {position, removed, added};
                     });
    for (int step = 0; step < 64 && !input.atEnd(); ++step) {
        const unsigned kind = input.byte();
        const qint64 from = qint64(input.word() % (reference.size() + 3)) - 1;
        const qint64 to = from + qint64(input.byte()) - 16;
        const QString text = textFrom(input);
        const qint64 before = reference.size();
        change = {-1, -1, -1};
        if (kind % 4 == 3) {
            // Text added at the end, as a file is read.
            TextModelAppender appender(model);
            appender.append(text);
            appender.flush();
            reference += text;
        } else {
            if (kind % 8 == 6) {
                // The same edit with the text made into chunks first, as
                // replace-all makes it.
                ChunkBuilder builder = model.chunkBuilder();
                builder.append(text);
                model.replace(from, to, builder.take());
            } else {
                model.replace(from, to, text);
            }
            replaceIn(reference, from, to, text);
            const qint64 start = std::clamp<qint64>(from, 0, before);
            const qint64 end = std::clamp<qint64>(to, start, before);
            if (start != end || !text.isEmpty())
                FUZZ_CHECK(change == std::make_tuple(start, end - start, qint64(text.size())));
            else
                FUZZ_CHECK(std::get<0>(change) == -1);
        }
        checkModel(model, reference);
        checkRange(model, reference, from, to);
    }
    return 0;
}
