#include "tests/support/piecedfile.h"
#include "tests/support/testfiles.h"
#include "tests/support/textshapes.h"
#include "text/chunkbuilder.h"
#include "text/lineiterator.h"
#include "text/plainbytes.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/textfileformat.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the model must agree with: a plain string and the line rules worked
// out on it directly. A line ends at CR LF, a lone CR or a lone LF.
struct Reference
{
    QString text;

    QList<qint64> lineStarts() const
    {
        QList<qint64> starts{0};
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            if (text[i] == u'\r' || text[i] == u'\n')
                starts.append(i + 1);
        }
        return starts;
    }
    qint64 lineEnd(const QList<qint64> &starts, qsizetype line) const
    {
        if (line + 1 >= starts.size())
            return text.size();
        const qint64 next = starts[line + 1];
        return next - (next >= 2 && text.mid(next - 2, 2) == QStringLiteral("\r\n") ? 2 : 1);
    }
    qint64 lineAt(const QList<qint64> &starts, qint64 position) const
    {
        return std::upper_bound(starts.begin(), starts.end(), position) - starts.begin() - 1;
    }
};

// Characters that make chunk edges hard: line break halves, NUL, both
// halves of a surrogate pair, an escape, characters on both sides of U+0100.
const QStringList Pieces = {QStringLiteral("a"),      QStringLiteral("\r"),
                            QStringLiteral("\n"),     QStringLiteral("\r\n"),
                            QString(QChar(0)),        QStringLiteral("\u00e9"),
                            QStringLiteral("\u0416"), QStringLiteral("\U0001F600"),
                            QString(QChar(0xD83D)),   QString(QChar(0xDE00)),
                            QString(QChar(0xDC80)),   QStringLiteral("\u2029"),
                            QStringLiteral("xyz ")};

QString randomText(QRandomGenerator &random, int maxPieces)
{
    return TextShapes::randomText(random, Pieces, maxPieces);
}

void compareLines(const TextModel &model, const Reference &reference, QRandomGenerator &random,
                  bool everyLine)
{
    const QList<qint64> starts = reference.lineStarts();
    QCOMPARE(model.lineCount(), starts.size());
    const qsizetype lines = starts.size();
    for (int i = 0; i < (everyLine ? lines : 20); ++i) {
        const qsizetype line = everyLine ? i : random.bounded(int(lines));
        QCOMPARE(model.lineStart(line), starts[line]);
        QCOMPARE(model.lineEnd(line), reference.lineEnd(starts, line));
    }
    // Walked from any line to the end, every line once, as looked up alone.
    qint64 walked = random.bounded(int(lines));
    for (LineIterator line(model, walked); !line.atEnd(); line.next(), ++walked) {
        QCOMPARE(line.line(), walked);
        QCOMPARE(line.bounds().start, starts[walked]);
        QCOMPARE(line.bounds().end, reference.lineEnd(starts, walked));
        QCOMPARE(line.text(), reference.text.mid(starts[walked], line.bounds().length()));
        QCOMPARE(line.bounds().next,
                 walked + 1 < lines ? starts[walked + 1] : reference.text.size());
    }
    QCOMPARE(walked, lines);
    for (int i = 0; i < 20; ++i) {
        const qint64 position = random.bounded(int(reference.text.size() + 1));
        QCOMPARE(model.lineAt(position), reference.lineAt(starts, position));
    }
    qint64 longest = 0;
    for (qsizetype line = 0; line < lines; ++line)
        longest = std::max(longest, reference.lineEnd(starts, line) - starts[line]);
    QCOMPARE(model.longestLineLength(), longest);
}

// The end of a run of plain bytes (ASCII, no lone CR), one byte at a time.
qsizetype plainRunEnd(const QByteArray &bytes, qsizetype i)
{
    while (i < bytes.size() && uchar(bytes[i]) < 0x80 &&
           (bytes[i] != '\r' || (i + 1 < bytes.size() && bytes[i + 1] == '\n')))
        i += bytes[i] == '\r' ? 2 : 1;
    return i;
}

} // namespace

// The model keeps every character and counts lines exactly, whatever the
// edits; checked against a plain string after every step.
class TestTextModel : public QObject
{
    Q_OBJECT

private slots:
    void randomEditsAgreeWithString_data();
    void randomEditsAgreeWithString();
    void appendedPiecesAgree_data();
    void appendedPiecesAgree();
    void plainBytesEndAndCountAlikeOnEveryPath();
    void historyKeepsItsBound();
    void piecesAgreeWithMemory_data();
    void piecesAgreeWithMemory();
};

void TestTextModel::randomEditsAgreeWithString_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("maxPieces");
    // Tiny chunks put a chunk edge next to almost every edit.
    QTest::newRow("chunks of 4") << 4 << 4000 << 12;
    QTest::newRow("chunks of 7") << 7 << 4000 << 30;
    QTest::newRow("chunks of 16") << 16 << 3000 << 60;
    // Chunks of a few blocks of their line break tables.
    QTest::newRow("chunks of 600") << 600 << 1500 << 300;
    QTest::newRow("chunks of the program") << int(TextModel::DefaultChunkSize) << 300 << 6000;
}

void TestTextModel::randomEditsAgreeWithString()
{
    QFETCH(int, chunkSize);
    QFETCH(int, steps);
    QFETCH(int, maxPieces);
    QRandomGenerator random(chunkSize * 7919 + steps);
    TextModel model(chunkSize);
    QSignalSpy changes(&model, &TextModel::contentsChanged);
    Reference reference;
    for (int step = 0; step < steps; ++step) {
        const qint64 length = reference.text.size();
        qint64 from = random.bounded(int(length + 1));
        // Mostly small edits, as typing makes them; sometimes long ones.
        const qint64 span = random.bounded(8) == 0 ? length : 3;
        qint64 to = std::min(length, from + random.bounded(int(span + 1)));
        if (random.bounded(10) == 0)
            std::swap(from, to); // a reversed range is clamped to nothing
        const QString text = randomText(random, random.bounded(4) == 0 ? maxPieces : 3);
        const quint64 revision = model.revision();
        model.replace(from, to, text);
        const qint64 removed = std::max<qint64>(to - from, 0);
        if (removed > 0 || !text.isEmpty()) {
            reference.text.replace(from, removed, text);
            QCOMPARE(changes.last(), QVariantList({from, removed, qint64(text.size())}));
            QVERIFY(model.revision() != revision);
        }
        QCOMPARE(model.length(), reference.text.size());
        if (reference.text.size() < 5000 || step % 25 == 0)
            QCOMPARE(model.text(), reference.text);
        const qint64 a = random.bounded(int(reference.text.size() + 1));
        const qint64 b = random.bounded(int(reference.text.size() + 1));
        QCOMPARE(model.text(std::min(a, b), std::max(a, b)),
                 reference.text.mid(std::min(a, b), std::abs(a - b)));
        QCOMPARE(model.at(a), a < reference.text.size() ? reference.text[a].unicode() : u'\0');
        compareLines(model, reference, random, reference.text.size() < 2000 || step % 50 == 0);
        if (QTest::currentTestFailed())
            return;
    }
    // Every edit undone gives the empty text back, lines and all; every
    // edit made again, the end.
    const Reference end = reference;
    while (model.history().undo()) {
    }
    QCOMPARE(model.text(), QString());
    QCOMPARE(model.lineCount(), 1);
    while (model.history().redo()) {
    }
    QCOMPARE(model.text(), end.text);
    compareLines(model, end, random, true);
}

void TestTextModel::appendedPiecesAgree_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("chunks of 4") << 4;
    QTest::newRow("chunks of 5") << 5;
    QTest::newRow("chunks of the program") << int(TextModel::DefaultChunkSize);
}

// A file arrives in pieces cut anywhere, even inside a CR LF pair or a
// surrogate pair, and the model may be read between pieces.
void TestTextModel::appendedPiecesAgree()
{
    QFETCH(int, chunkSize);
    QRandomGenerator random(chunkSize);
    for (int round = 0; round < 200; ++round) {
        Reference reference;
        reference.text = randomText(random, 400);
        TextModel model(chunkSize);
        TextModelAppender appender(model);
        for (qsizetype done = 0; done < reference.text.size();) {
            const qsizetype size =
                std::min<qsizetype>(random.bounded(1, 40), reference.text.size() - done);
            const QStringView piece = QStringView(reference.text).sliced(done, size);
            const bool latin1 = std::all_of(piece.begin(), piece.end(),
                                            [](QChar c) { return c.unicode() < 0x100; });
            if (latin1 && random.bounded(2) == 0)
                appender.appendLatin1(piece.toLatin1().constData(), size);
            else
                appender.append(piece);
            done += size;
            if (random.bounded(3) == 0)
                appender.flush();
        }
        appender.flush();
        QCOMPARE(model.text(), reference.text);
        compareLines(model, reference, random, true);
        if (QTest::currentTestFailed())
            return;
    }
}

// Runs of every length around the 8-, 16-, 32- and 64-byte steps, ended by
// each kind of byte that ends one (or a CR LF that does not), read from
// several starting points: every width of the scan agrees with a plain loop,
// and what it counts is what a chunk of the bytes counts.
void TestTextModel::plainBytesEndAndCountAlikeOnEveryPath()
{
    const QList<QByteArray> stops = {"",       "\r",       "\r\n",
                                     "\r\r\n", "\x80",     "\xc3\xa8",
                                     "\n",     "\n\r\n\n", "\r\n" + QByteArray(80, 'c') + "\n"};
    for (int length = 0; length <= 70; ++length) {
        for (const QByteArray &stop : stops) {
            const QByteArray bytes = QByteArray(length, 'a') + stop + QByteArray(length % 19, 'b');
            const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
            for (const qsizetype from : {0, 1, 7, 15}) {
                if (from > bytes.size())
                    continue;
                const qsizetype expected = plainRunEnd(bytes, from);
                std::optional<LineSummary> counted;
                if (expected == bytes.size()) {
                    Chunk chunk;
                    chunk.appendLatin1(bytes.constData() + from, bytes.size() - from);
                    chunk.refresh();
                    counted = chunk.summary();
                }
                QCOMPARE(PlainBytes::runEnd(b, from, bytes.size()), expected);
                for (const PlainBytes::Width width : PlainBytes::availableWidths()) {
                    QCOMPARE(PlainBytes::runEnd(b, from, bytes.size(), width), expected);
                    QCOMPARE(PlainBytes::summary(b + from, bytes.size() - from, width), counted);
                }
            }
        }
    }
}

// Ready-made chunks go in as one step; beyond the bound on removed text the
// oldest steps go, but the newest stays even when it alone is larger.
void TestTextModel::historyKeepsItsBound()
{
    TextModel model(16);
    TextHistory &history = model.history();
    history.setLimit(1000);
    ChunkBuilder builder(16);
    builder.append(QString(600, u'a'));
    model.replace(0, 0, builder.take());
    QCOMPARE(history.undoCount(), 1);
    model.replace(0, 300, QString(10, u'b')); // keeps 300 bytes
    model.replace(0, 310, QStringView());     // keeps 310 more
    model.replace(0, 0, QString(5000, u'c'));
    // 4 times the text is now the larger bound: nothing goes.
    QCOMPARE(history.undoCount(), 4);
    history.setLimit(0);
    model.replace(0, 5000, QStringView()); // alone over the bound
    QCOMPARE(history.undoCount(), 1);
    QVERIFY(history.undo());
    QCOMPARE(model.text(), QString(5000, u'c'));
    QVERIFY(!history.undo());
    QVERIFY(history.redo());
    QCOMPARE(model.text(), QString());

    // The bound counts bytes on both sides: 16-bit text takes two a
    // character, so 35,000 bytes kept (5,000 of them from the step before)
    // stay within four times its 10,000.
    model.replace(0, 0, QString(5000, u'\u0436'));
    for (int i = 0; i < 15; ++i)
        model.replace(0, 1000, QString(1000, u'\u0436'));
    QCOMPARE(history.keptBytes(), 35000);
    QCOMPARE(history.undoCount(), 17);
}

using TextFileFormat::Encoding;

void TestTextModel::piecesAgreeWithMemory_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("lineFeeds");
    // Bytes in the encoding: line break halves, characters of one to four
    // bytes, a pair of surrogates, bytes that do not decode.
    QTest::addColumn<QByteArrayList>("bytes");
    const QByteArrayList utf8 = {"a",
                                 "\r",
                                 "\n",
                                 "\r\n",
                                 "\xc3\xa9",
                                 "\xd0\x96",
                                 "\xf0\x9f\x98\x80",
                                 "\x80",
                                 "xyz ",
                                 QByteArray(1, 0)};
    const auto utf16 = [](bool big) {
        QByteArrayList units = {"a\0",      "\r\0",     "\n\0",
                                "\r\0\n\0", "\x16\x04", "\x3d\xd8\x00\xde",
                                "\x00\xde", "\x3d\xd8", "z"};
        for (QByteArray &unit : units) {
            for (qsizetype i = 0; big && i + 1 < unit.size(); i += 2)
                std::swap(unit[i], unit[i + 1]);
        }
        return units;
    };
    const QByteArrayList utf32 = {"a\0\0\0",          "\r\0\0\0",         "\n\0\0\0",
                                  "\x00\xf6\x01\x00", "\xff\xff\xff\xff", "\x16\x04\0\0"};
    QTest::newRow("UTF-8, CR LF") << int(Encoding::Form::Utf8) << QByteArray() << false << false
                                  << utf8;
    QTest::newRow("UTF-8 with its mark, LF")
        << int(Encoding::Form::Utf8) << QByteArray() << true << true << utf8;
    QTest::newRow("UTF-16 LE") << int(Encoding::Form::Utf16LE) << QByteArray() << false << false
                               << utf16(false);
    QTest::newRow("UTF-16 BE with its mark, LF")
        << int(Encoding::Form::Utf16BE) << QByteArray() << true << true << utf16(true);
    QTest::newRow("UTF-32 LE") << int(Encoding::Form::Utf32LE) << QByteArray() << true << false
                               << utf32;
    QTest::newRow("Windows-1252") << int(Encoding::Form::CodePage) << QByteArray("windows-1252")
                                  << false << false
                                  << QByteArrayList{"a",    "\xe9", "\x80", "\x81",
                                                    "\r\n", "\n",   "\r"};
    QTest::newRow("Shift_JIS") << int(Encoding::Form::CodePage) << QByteArray("Shift_JIS") << false
                               << true
                               << QByteArrayList{"a", "\x82\xa0", "\x82", "\n", "\r\n", "\x93\xfa"};
}

// A file held in pieces, read again through a cache that keeps almost
// nothing, gives the text, the lines and the bytes that the same file read
// into memory gives; and so do the two after the same random edits, the
// pieces cut around each edit. Undoing them all gives the file's text back.
void TestTextModel::piecesAgreeWithMemory()
{
    QFETCH(int, form);
    QFETCH(QByteArray, codePage);
    QFETCH(bool, mark);
    QFETCH(bool, lineFeeds);
    QFETCH(QByteArrayList, bytes);
    const Encoding encoding = form == int(Encoding::Form::CodePage)
                                  ? Encoding::codePage(codePage)
                                  : Encoding::unicode(Encoding::Form(form), mark);
    const TextFileFormat::FileFormat format{encoding, lineFeeds ? LineBreak::Lf : LineBreak::CrLf};
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pezzi.txt"));
    QRandomGenerator random(form * 31 + mark);
    for (int round = 0; round < 25; ++round) {
        QByteArray file = encoding.mark().toByteArray();
        for (int k = random.bounded(120); k > 0; --k)
            file += bytes[random.bounded(int(bytes.size()))];
        if (random.bounded(4) == 0)
            file += 'q'; // a stray last byte of UTF-16 or UTF-32
        put(path, file);
        Reference reference;
        reference.text = TextFileFormat::decode(QByteArrayView(file).sliced(encoding.mark().size()),
                                                encoding, format.lineBreak);
        TextModel model(random.bounded(4, 24));
        const std::optional<PiecedFile> pieced =
            putPieces(model, path, format, random.bounded(1, 40), random.bounded(1, 9), 64);
        QVERIFY(pieced);
        QCOMPARE(model.text(), reference.text);
        compareLines(model, reference, random, true);
        QCOMPARE(model.bytes(), 0);
        QCOMPARE(model.storedLength(), model.length());
        const QString original = reference.text;
        for (int step = 0; step < 40; ++step) {
            const qint64 length = reference.text.size();
            const qint64 from = random.bounded(int(length + 1));
            const qint64 to = std::min(length, from + random.bounded(random.bounded(6) ? 4 : 60));
            const QString text = randomText(random, 3);
            model.replace(from, to, text);
            reference.text.replace(from, to - from, text);
            QCOMPARE(model.text(), reference.text);
            QCOMPARE(model.at(from),
                     from < reference.text.size() ? reference.text[from].unicode() : u'\0');
            if (step % 8 == 0)
                compareLines(model, reference, random, true);
            if (QTest::currentTestFailed())
                return;
        }
        compareLines(model, reference, random, true);
        TextModel inMemory;
        inMemory.setText(reference.text);
        QByteArray saved;
        QByteArray expected;
        QCOMPARE(TextFileFormat::encode(
                     model, [&](QByteArrayView b) { return saved += b, true; }, encoding),
                 TextFileFormat::encode(
                     inMemory, [&](QByteArrayView b) { return expected += b, true; }, encoding));
        QCOMPARE(saved, expected);
        while (model.history().undo()) {
        }
        QCOMPARE(model.text(), original);
        // Everything taken away and given back again stays in the file.
        const qint64 storedBefore = model.storedLength();
        model.replace(0, model.length(), QString());
        QVERIFY(model.history().undo());
        QCOMPARE(model.text(), original);
        QCOMPARE(model.storedLength(), storedBefore);
    }
}

QTEST_GUILESS_MAIN(TestTextModel)
#include "tst_textmodel.moc"
