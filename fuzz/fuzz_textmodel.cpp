// Edits a text model with small chunks as the input says, undoes and redoes
// its edits, and after each step compares it with a plain string edited the
// same way, and with the strings it held before each step. Every other input
// starts with a text left in its file's bytes, in tiny pieces read through a
// cache that keeps almost nothing.

#include "modelcheck.h"

#include "text/chunkbuilder.h"
#include "text/piecesource.h"
#include "text/piecestore.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/piecedecoding.h"
#include "textfile/textfileformat.h"

#include <algorithm>
#include <tuple>
#include <vector>

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
// Says whether that is an edit at all.
bool replaceIn(QString &reference, qint64 from, qint64 to, const QString &text)
{
    from = std::clamp<qint64>(from, 0, reference.size());
    to = std::clamp<qint64>(to, from, reference.size());
    reference.replace(from, to - from, text);
    return from != to || !text.isEmpty();
}

// The texts the model held after each step, and where in them it stands.
struct States
{
    std::vector<QString> texts;
    size_t current = 0;

    void edited(const QString &text)
    {
        texts.resize(current + 1);
        texts.push_back(text);
        ++current;
    }
};

// A model under test beside the plain string it should hold, the last
// change it reported, and the strings it held after each step.
struct Session
{
    explicit Session(qsizetype chunkSize) : model(chunkSize)
    {
        QObject::connect(&model, &TextModel::contentsChanged,
                         [this](qint64 position, qint64 removed, qint64 added) {
                             change = {position, removed, added};
                         });
    }

    TextModel model;
    QString reference;
    std::tuple<qint64, qint64, qint64> change{-1, -1, -1};
    States states{{QString()}, 0};
};

void undoOrRedo(Session &session, bool undo)
{
    States &states = session.states;
    const bool possible = undo ? states.current > 0 : states.current + 1 < states.texts.size();
    TextHistory &history = session.model.history();
    const auto selection = undo ? history.undo() : history.redo();
    FUZZ_CHECK(selection.has_value() == possible);
    if (possible)
        undo ? --states.current : ++states.current;
    session.reference = states.texts[states.current];
}

// Text added at the end, as a file is read: not a step; a new history
// starts, as it does for a file opened.
void append(Session &session, const QString &text)
{
    TextHistory &history = session.model.history();
    const qsizetype steps = history.undoCount();
    TextModelAppender appender(session.model);
    appender.append(text);
    appender.flush();
    session.reference += text;
    FUZZ_CHECK(history.undoCount() == steps);
    history.clear();
    session.states = {{session.reference}, 0};
}

// Two edits made one step.
void editTwiceInOneStep(Session &session, qint64 from, qint64 to, const QString &text)
{
    TextHistory &history = session.model.history();
    history.beginStep(TextHistory::Kind::Other, {});
    session.model.replace(from, to, text);
    bool edited = replaceIn(session.reference, from, to, text);
    session.model.replace(to, from + 3, text.left(3));
    edited |= replaceIn(session.reference, to, from + 3, text.left(3));
    history.endStep({});
    if (edited)
        session.states.edited(session.reference);
}

// One edit, with the text made into chunks first as replace-all makes it
// when asChunks; the change reported is the edit's.
void edit(Session &session, qint64 from, qint64 to, const QString &text, bool asChunks)
{
    const qint64 before = session.reference.size();
    session.change = {-1, -1, -1};
    if (asChunks) {
        ChunkBuilder builder = session.model.chunkBuilder();
        builder.append(text);
        session.model.replace(from, to, builder.take());
    } else {
        session.model.replace(from, to, text);
    }
    replaceIn(session.reference, from, to, text);
    const qint64 start = std::clamp<qint64>(from, 0, before);
    const qint64 end = std::clamp<qint64>(to, start, before);
    if (start != end || !text.isEmpty()) {
        FUZZ_CHECK(session.change == std::make_tuple(start, end - start, qint64(text.size())));
        session.states.edited(session.reference);
    } else {
        FUZZ_CHECK(std::get<0>(session.change) == -1);
    }
}

// The bytes of a file held in memory, read as a file's pieces are.
class BytePieces : public PieceSource
{
public:
    BytePieces(QByteArray bytes, const TextFileFormat::FileFormat &format)
        : bytes_(std::make_shared<const QByteArray>(std::move(bytes))), format_(format)
    {
    }
    std::optional<PieceText> read(const PieceBytes &piece) const override
    {
        return PieceDecoding::decode(format_, bytes_->constData() + piece.begin, piece.size(),
                                     bytes_, piece.endsText, 1 + piece.size() % 5);
    }
    const QByteArray &bytes() const { return *bytes_; }

private:
    std::shared_ptr<const QByteArray> bytes_;
    TextFileFormat::FileFormat format_;
};

// The text as UTF-16 in a file's bytes, put in the model as pieces cut after
// a line feed every few bytes; what the bytes read as is the reference.
void startInPieces(Session &session, const QString &text, unsigned pieceSize)
{
    const TextFileFormat::FileFormat format{
        TextFileFormat::Encoding::unicode(TextFileFormat::Encoding::Form::Utf16LE, false),
        LineBreak::Lf};
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    auto source = std::make_shared<BytePieces>(std::move(bytes), format);
    auto store = std::make_shared<PieceStore>(source, 64);
    const QByteArray &all = source->bytes();
    std::vector<Chunk> pieces;
    for (qint64 begin = 0; begin < all.size();) {
        qint64 end = std::min<qint64>(begin + 2 * pieceSize, all.size());
        while (end < all.size() && !(all[end - 2] == '\n' && all[end - 1] == 0))
            end += 2;
        if (end + 2 > all.size())
            end = all.size(); // a stray last byte stays with its line
        PieceBytes piece{begin, end, end == all.size()};
        const std::optional<PieceText> text = source->read(piece);
        const LineSummary summary = text->characters.summary();
        piece.bytesAreText = text->bytesAreText;
        pieces.push_back(Chunk::piece(store, piece, summary));
        begin = end;
    }
    TextModelAppender appender(session.model);
    appender.append(std::move(pieces));
    session.reference = TextFileFormat::decode(all, format.encoding, format.lineBreak);
    session.states = {{session.reference}, 0};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzInput input(data, size);
    // Mostly tiny chunks, whose edges fall everywhere; now and then chunks of
    // a few blocks of their line break tables.
    const unsigned chunkSize = input.byte();
    Session session(chunkSize < 240 ? 4 + chunkSize % 13 : 130 + (chunkSize - 240) * 40);
    if (chunkSize % 2 == 1) {
        const QString text = textFrom(input);
        startInPieces(session, text, 1 + input.byte() % 16);
        FUZZ_CHECK(session.model.storedLength() == session.model.length());
        checkModel(session.model, session.reference);
    }
    for (int step = 0; step < 64 && !input.atEnd(); ++step) {
        const unsigned kind = input.byte() % 8;
        if (kind == 5 || kind == 6) {
            undoOrRedo(session, kind == 5);
            checkModel(session.model, session.reference);
            continue;
        }
        const qint64 from = qint64(input.word() % (session.reference.size() + 3)) - 1;
        const qint64 to = from + qint64(input.byte()) - 16;
        const QString text = textFrom(input);
        if (kind == 3)
            append(session, text);
        else if (kind == 7)
            editTwiceInOneStep(session, from, to, text);
        else
            edit(session, from, to, text, kind == 4);
        checkModel(session.model, session.reference);
        checkRange(session.model, session.reference, from, to);
    }
    return 0;
}
