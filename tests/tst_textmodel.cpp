#include "tests/support/textshapes.h"
#include "text/chunkbuilder.h"
#include "text/lineiterator.h"
#include "text/plainbytes.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QRandomGenerator>
#include <QSignalSpy>
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

QTEST_GUILESS_MAIN(TestTextModel)
#include "tst_textmodel.moc"
