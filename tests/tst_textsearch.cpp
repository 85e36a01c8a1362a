#include "tests/support/piecedfile.h"
#include "tests/support/testfiles.h"
#include "tests/support/textshapes.h"
#include "text/piecedsearch.h"
#include "text/replaceall.h"
#include "text/searchsnapshot.h"
#include "text/textmodel.h"
#include "text/textsearch.h"
#include "text/textwords.h"
#include "text/wordcharacters.h"
#include "text/wrappedfind.h"
#include "textfile/textfileformat.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBoundaryFinder>

#include <thread>

namespace {

// Characters that make searching hard: both halves and the whole of a CR LF
// pair, letters in both cases on both sides of U+0100 (the micro sign folds
// to a Greek letter) and beyond U+FFFF (two of the same first half), a
// surrogate pair, word and non-word
// characters, a combining accent (alone and after "e"), a joiner between
// pictographs and a regional indicator (two make a flag).
const QStringList Pieces = {
    QStringLiteral("a"),          QStringLiteral("A"),         QStringLiteral("\u00e0"),
    QStringLiteral("\u00c0"),     QStringLiteral("\r"),        QStringLiteral("\n"),
    QStringLiteral("\r\n"),       QStringLiteral("ab"),        QStringLiteral(" "),
    QStringLiteral("_"),          QStringLiteral("\u00b5"),    QStringLiteral("\u039c"),
    QStringLiteral("\u0416"),     QStringLiteral("\u0436"),    QStringLiteral("\U0001F600"),
    QStringLiteral("."),          QStringLiteral("B"),         QStringLiteral("e"),
    QStringLiteral("e\u0301"),    QStringLiteral("\u0301"),    QStringLiteral("\U00010400"),
    QStringLiteral("\U00010428"), QStringLiteral("\u200d"),    QStringLiteral("'"),
    QStringLiteral("\U0001F1EE"), QStringLiteral("\U00010401")};

QString randomText(QRandomGenerator &random, int maxPieces)
{
    return TextShapes::randomText(random, Pieces, maxPieces);
}

// A needle cut from the text, in another case half the time, or made up.
QString randomNeedle(QRandomGenerator &random, const QString &text)
{
    if (text.isEmpty() || random.bounded(4) == 0)
        return randomText(random, 3);
    const int from = random.bounded(int(text.size()));
    QString needle = text.mid(from, random.bounded(1, 6));
    return random.bounded(2) ? needle.toUpper() : needle;
}

// Whether the character as a reader sees it that ends at place (or, not
// before, starts there) is of a word, by its first code point.
bool isWordBeside(QTextBoundaryFinder &characters, const QString &text, qsizetype place,
                  bool before)
{
    characters.setPosition(place);
    const qsizetype start = before ? characters.toPreviousBoundary() : place;
    return start >= 0 && start < text.size() &&
           WordCharacters::kindOf(WordCharacters::firstCodePoint(
               QStringView(text).sliced(start))) == WordCharacters::Kind::Word;
}

// Every place where QString::indexOf finds the query and that keeps whole
// the characters as a reader sees them in the whole text (and stands as a
// whole word when asked), overlapping or not.
QList<qint64> referenceStarts(const QString &text, const SearchQuery &query)
{
    QList<qint64> starts;
    const Qt::CaseSensitivity cs = query.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype m = query.text.size();
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    const auto whole = [&](qsizetype at) {
        characters.setPosition(at);
        return characters.isAtBoundary();
    };
    for (qsizetype i = text.indexOf(query.text, 0, cs); i >= 0 && m > 0;
         i = text.indexOf(query.text, i + 1, cs)) {
        if (!whole(i) || !whole(i + m))
            continue;
        if (query.wholeWord && (isWordBeside(characters, text, i, true) ||
                                isWordBeside(characters, text, i + m, false)))
            continue;
        starts << i;
    }
    return starts;
}

// The starts that a replace-all uses: left to right, none overlapping.
QList<qint64> withoutOverlap(const QList<qint64> &starts, qsizetype length)
{
    QList<qint64> kept;
    for (qint64 start : starts)
        if (kept.isEmpty() || start >= kept.last() + length)
            kept << start;
    return kept;
}

qint64 breaksIn(const QString &text)
{
    qint64 breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++breaks;
    return breaks;
}

// Threads started for a search, waited for when it is over.
class JoinedThreads
{
public:
    ~JoinedThreads()
    {
        for (std::thread &thread : threads_)
            thread.join();
    }
    PieceVerdicts::Starter starter(int most)
    {
        return [this, most](std::function<void()> work) {
            if (int(threads_.size()) >= most)
                return false;
            threads_.emplace_back(std::move(work));
            return true;
        };
    }

private:
    std::vector<std::thread> threads_;
};

} // namespace

// The search finds exactly what QString::indexOf finds in the same text,
// whatever the chunks; replace-all gives what replacing in a string gives.
class TestTextSearch : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithIndexOf_data();
    void agreesWithIndexOf();
    void findsAtEdges_data();
    void findsAtEdges();
    void replaceAllAgreesWithString_data();
    void replaceAllAgreesWithString();
    void foldingBeyondU_FFFFKeepsTheFirstHalf();
    void piecedSearchAgreesWithTextSearch_data();
    void piecedSearchAgreesWithTextSearch();
    void piecedSearchReadsARewrittenPieceAsLost();
};

void TestTextSearch::agreesWithIndexOf_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("window");
    const int whole = int(TextSearch::DefaultWindow);
    // Tiny chunks put a chunk edge inside almost every match.
    QTest::newRow("chunks of 4, any case") << 4 << false << false << whole;
    QTest::newRow("chunks of 4, match case") << 4 << true << false << whole;
    QTest::newRow("chunks of 5, whole words") << 5 << false << true << whole;
    QTest::newRow("chunks of 9, match case, whole words") << 9 << true << true << whole;
    QTest::newRow("chunks of the program")
        << int(TextModel::DefaultChunkSize) << false << false << whole;
    // The text scanned a few places at a time: matches across each window's end.
    QTest::newRow("windows of 1") << 5 << false << false << 1;
    QTest::newRow("windows of 3, whole words") << 7 << false << true << 3;
}

void TestTextSearch::agreesWithIndexOf()
{
    QFETCH(int, chunkSize);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, window);
    QRandomGenerator random(chunkSize * 31 + matchCase * 2 + wholeWord + window);
    for (int round = 0; round < 300; ++round) {
        TextModel model(chunkSize);
        const QString text = randomText(random, 120);
        model.setText(text);
        const SearchQuery query{randomNeedle(random, text), matchCase, wholeWord};
        const TextSearch search(model, query, window);
        const QList<qint64> starts = referenceStarts(text, query);
        const qsizetype m = query.text.size();

        QList<qint64> found;
        search.forEach(0, model.length(), [&](const TextSearch::Match &match) {
            found << match.from;
            return match.to == match.from + m;
        });
        QCOMPARE(found, withoutOverlap(starts, m));
        // A whole word found is what a double click on it selects.
        const QList<uint> codePoints = query.text.toUcs4();
        const bool oneWord = wholeWord && std::all_of(codePoints.begin(), codePoints.end(),
                                                      WordCharacters::isWordCharacter);
        for (qint64 start : found) {
            if (!oneWord)
                break;
            const TextBoundaries::Range word = TextWords::at(model, start);
            QCOMPARE(word.from, start);
            QCOMPARE(word.to, start + m);
        }

        for (int probe = 0; probe < 10; ++probe) {
            qint64 from = random.bounded(int(text.size() + 1));
            qint64 to = random.bounded(int(text.size() + 1));
            if (from > to)
                std::swap(from, to);
            const auto inside = [&](qint64 start) { return start >= from && start + m <= to; };
            const auto firstInside = std::find_if(starts.begin(), starts.end(), inside);
            const auto lastInside = std::find_if(starts.rbegin(), starts.rend(), inside);
            const std::optional<TextSearch::Match> first = search.first(from, to);
            const std::optional<TextSearch::Match> last = search.last(from, to);
            QCOMPARE(first ? first->from : -1, firstInside == starts.end() ? -1 : *firstInside);
            QCOMPARE(last ? last->from : -1, lastInside == starts.rend() ? -1 : *lastInside);
            if (first)
                QVERIFY(search.isMatch(first->from, first->to));
        }
        if (QTest::currentTestFailed()) {
            qDebug() << "text" << text << "needle" << query.text;
            return;
        }
    }
}

void TestTextSearch::findsAtEdges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QList<qint64>>("starts");
    using L = QList<qint64>;
    QTest::newRow("whole word at both ends of the text") << "foo foobar foo"
                                                         << "foo" << false << true << L{0, 11};
    QTest::newRow("accented capital finds small letter")
        << "citt\u00e0 CITT\u00c0"
        << "CITT\u00c0" << false << false << L{0, 6};
    QTest::newRow("accented letter in its own case only") << "citt\u00e0 CITT\u00c0"
                                                          << "citt\u00e0" << true << false << L{0};
    QTest::newRow("line break in the needle matches the stored break")
        << "a\r\nb a\nb a\r\nb"
        << "a\r\nb" << true << false << L{0, 9};
    QTest::newRow("never half a CR LF pair") << "a\r\nb"
                                             << "\n"
                                             << true << false << L{};
    QTest::newRow("lone LF found") << "a\r\nb\nc"
                                   << "\n"
                                   << true << false << L{4};
    QTest::newRow("no overlap") << "aaaaaa"
                                << "aaa" << true << false << L{0, 3};
    QTest::newRow("underscore joins a word") << "x_foo foo_ foo"
                                             << "foo" << false << true << L{11};
    QTest::newRow("an apostrophe or a dot ends a word") << "dell'uomo file.txt"
                                                        << "uomo" << false << true << L{5};
    QTest::newRow("never before a combining accent") << "caffe\u0301 cafe caffe"
                                                     << "caffe" << true << false << L{12};
    QTest::newRow("the letter and its accent found whole") << "cafe\u0301 cafe"
                                                           << "e\u0301" << true << false << L{3};
    QTest::newRow("a letter beyond U+FFFF in either case")
        << "\U00010400 \U00010428 \U00010401"
        << "\U00010428" << false << false << L{0, 3};
    QTest::newRow("a pictograph joined to another is not found alone")
        << "\U0001F469\u200d\U0001F4BB \U0001F4BB"
        << "\U0001F4BB" << true << false << L{6};
}

// Chunks of four put the edges between and inside the matches.
void TestTextSearch::findsAtEdges()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QList<qint64>, starts);
    TextModel model(4);
    model.setText(text);
    QList<qint64> found;
    TextSearch(model, {needle, matchCase, wholeWord})
        .forEach(0, model.length(), [&found](const TextSearch::Match &match) {
            found << match.from;
            return true;
        });
    QCOMPARE(found, starts);
}

void TestTextSearch::replaceAllAgreesWithString_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("replacement");
    // Bytes a piece of the file the text is left in, when it is.
    QTest::addColumn<int>("pieceSize");
    // With no text given, random texts, queries and replacements.
    QTest::newRow("chunks of 4") << 4 << QString() << QString() << QString() << 0;
    QTest::newRow("chunks of 7") << 7 << QString() << QString() << QString() << 0;
    QTest::newRow("chunks of the program")
        << int(TextModel::DefaultChunkSize) << QString() << QString() << QString() << 0;
    QTest::newRow("the last replacement's CR meets the LF after it") << 4 << "a a a a a a a a\nb"
                                                                     << "a"
                                                                     << "x\r" << 0;
    QTest::newRow("the first replacement's LF meets the CR before it") << 4 << "b\ra a a a a a a a"
                                                                       << "a"
                                                                       << "\nx" << 0;
    QTest::newRow("pieces of 9 bytes") << 4 << QString() << QString() << QString() << 9;
    QTest::newRow("pieces of 60 bytes") << 7 << QString() << QString() << QString() << 60;
    QTest::newRow("a replacement's CR meets a piece's first LF")
        << 4 << "ab\n\nab\n\nab\n\nab\n\nab\n\n"
        << "b\n"
        << "\r" << 4;
    QTest::newRow("one match among pieces leaves the rest in the file")
        << 16 << QString(1000, u'a').replace(500, 1, u'x').replace(u'a', QStringLiteral("riga\n"))
        << "x"
        << "y" << 64;
}

// A replacement may join a CR before it or an LF after it into a pair, and
// replaces any stretch of the text: the line count must follow. Text left
// in a file keeps in pieces what the matches leave as it was.
void TestTextSearch::replaceAllAgreesWithString()
{
    QFETCH(int, chunkSize);
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(QString, replacement);
    QFETCH(int, pieceSize);
    const bool given = !text.isEmpty();
    QRandomGenerator random(chunkSize + pieceSize);
    QTemporaryDir folder;
    for (int round = 0; round < (given ? 1 : 300); ++round) {
        TextModel model(chunkSize);
        if (!given)
            text = randomText(random, round % 10 == 0 ? 3000 : 100);
        if (pieceSize > 0) {
            // The text as UTF-16 in a file, left there: what it reads as
            // (lone surrogates as escapes) is the text.
            const QString path = folder.filePath(QStringLiteral("testo.txt"));
            put(path, QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
            const TextFileFormat::FileFormat format{
                TextFileFormat::Encoding::unicode(TextFileFormat::Encoding::Form::Utf16LE, false),
                LineBreak::Lf};
            QVERIFY(putPieces(model, path, format, pieceSize, 3, 64));
            text = model.text();
        } else {
            model.setText(text);
        }
        const SearchQuery query = given
                                      ? SearchQuery{needle, true, false}
                                      : SearchQuery{randomNeedle(random, text),
                                                    random.bounded(2) == 1, random.bounded(4) == 0};
        if (!given)
            replacement = randomText(random, 4);
        const qint64 from = given ? 0 : random.bounded(int(text.size() + 1));
        const qint64 to = given ? text.size() : random.bounded(int(from), int(text.size() + 1));
        QList<qint64> starts = referenceStarts(text, query);
        starts.removeIf([&](qint64 s) { return s < from || s + query.text.size() > to; });
        starts = withoutOverlap(starts, query.text.size());
        QSignalSpy changes(&model, &TextModel::contentsChanged);

        const qint64 count = replaceAll(model, query, replacement, from, to);

        for (auto start = starts.rbegin(); start != starts.rend(); ++start)
            text.replace(*start, query.text.size(), replacement);
        QCOMPARE(count, starts.size());
        QCOMPARE(changes.size(), count > 0 ? 1 : 0);
        QCOMPARE(model.text(), text);
        QCOMPARE(model.lineCount(), breaksIn(text) + 1);
        if (given && pieceSize > 0)
            QVERIFY2(model.storedLength() > text.size() - 100,
                     qPrintable(QString::number(model.storedLength())));
        if (QTest::currentTestFailed())
            return;
    }
}

// The scan folds a surrogate pair's first half alone, as itself: it must be
// that of the folded letter too.
void TestTextSearch::foldingBeyondU_FFFFKeepsTheFirstHalf()
{
    for (char32_t c = 0x10000; c <= 0x10FFFF; ++c) {
        const char32_t folded = QChar::toCaseFolded(c);
        if (!QChar::requiresSurrogates(folded) ||
            QChar::highSurrogate(folded) != QChar::highSurrogate(c))
            QFAIL(qPrintable(QString::number(c, 16)));
    }
}

void TestTextSearch::piecedSearchAgreesWithTextSearch_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("pieceSize");
    // Threads a search may start: with none, it looks at every piece itself.
    QTest::addColumn<int>("threads");
    QTest::newRow("UTF-8, pieces of 9 bytes") << QByteArray("UTF-8") << 9 << 2;
    QTest::newRow("UTF-8, pieces of 40 bytes, no threads") << QByteArray("UTF-8") << 40 << 0;
    QTest::newRow("Windows-1252, pieces of 7 bytes") << QByteArray("windows-1252") << 7 << 2;
    QTest::newRow("UTF-16, pieces of 12 bytes") << QByteArray("UTF-16LE") << 12 << 1;
}

// A text left in its file in tiny pieces, some of them edited, searched
// through a snapshot on threads: the same matches as TextSearch finds in
// the document itself, wrap-around included, the long s and the Kelvin
// sign that fold to ASCII letters included.
void TestTextSearch::piecedSearchAgreesWithTextSearch()
{
    QFETCH(QByteArray, encoding);
    QFETCH(int, pieceSize);
    QFETCH(int, threads);
    const TextFileFormat::Encoding format =
        encoding == "UTF-8" ? TextFileFormat::Encoding::utf8()
        : encoding == "UTF-16LE"
            ? TextFileFormat::Encoding::unicode(TextFileFormat::Encoding::Form::Utf16LE, false)
            : TextFileFormat::Encoding::codePage(encoding);
    const QStringList pieces =
        Pieces + QStringList{QStringLiteral("s"), QStringLiteral("\u017f"), QStringLiteral("K"),
                             QStringLiteral("\u212a"), QStringLiteral("\u00e9sk ")};
    QRandomGenerator random(pieceSize * 7 + threads);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("testo.txt"));
    for (int round = 0; round < 150; ++round) {
        QString written = TextShapes::randomText(random, pieces, 150);
        if (!format.isUnicode())
            written.replace(QRegularExpression(QStringLiteral("[^\\x00-\\xff]")),
                            QStringLiteral("x"));
        put(path, *TextFileFormat::encode(written, format));
        TextModel model(8);
        QVERIFY(putPieces(model, path, {format, LineBreak::Lf}, pieceSize, 3, 64));
        for (int edit = random.bounded(3); edit > 0; --edit) {
            const qint64 at = random.bounded(int(model.length() + 1));
            model.replace(at, std::min(model.length(), at + random.bounded(4)),
                          TextShapes::randomText(random, pieces, 3));
        }
        const QString text = model.text();
        const SearchQuery query{randomNeedle(random, text), random.bounded(2) == 1,
                                random.bounded(4) == 0};
        const TextSearch expected(model, query);
        SearchSnapshot snapshot(model);
        const std::unique_ptr<TextModel> copy = snapshot.takeModel();
        auto stop = std::make_shared<std::atomic<bool>>(false);
        for (int probe = 0; probe < 6; ++probe) {
            qint64 from = random.bounded(int(text.size() + 1));
            qint64 to = random.bounded(int(text.size() + 1));
            if (from > to)
                std::swap(from, to);
            JoinedThreads started;
            const PiecedSearch search(*copy, query, started.starter(threads), stop);
            QCOMPARE(search.first(from, to), expected.first(from, to));
            QCOMPARE(search.last(from, to), expected.last(from, to));
            const bool forward = probe % 2 == 0;
            const std::optional<WrappedMatch> wrapped =
                findWrapped(search, text.size(), from, to, forward);
            const std::optional<WrappedMatch> wanted =
                findWrapped(expected, text.size(), from, to, forward);
            QCOMPARE(wrapped.has_value(), wanted.has_value());
            if (wrapped) {
                QCOMPARE(wrapped->match, wanted->match);
                QCOMPARE(wrapped->wrapped, wanted->wrapped);
            }
        }
        if (QTest::currentTestFailed()) {
            qDebug() << "text" << text << "needle" << query.text << query.matchCase
                     << query.wholeWord;
            return;
        }
    }
}

// Another program rewrites the file in place once the search has its
// snapshot: the pieces read as lost text (blank lines), never as the new
// bytes, even where only their bytes are looked at, and the document's
// store is told of them, its cache left as it was.
void TestTextSearch::piecedSearchReadsARewrittenPieceAsLost()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("testo.txt"));
    QByteArray bytes;
    for (int i = 0; i < 200; ++i)
        bytes += "riga " + QByteArray::number(i) + "\n";
    put(path, bytes);
    TextModel model;
    const std::optional<PiecedFile> file =
        putPieces(model, path, {TextFileFormat::Encoding::utf8(), LineBreak::Lf}, 64, 16, 64);
    QVERIFY(file);
    SearchSnapshot snapshot(model);
    bytes.replace("riga 100", "RIGA 100");
    put(path, bytes); // the same file, written over
    const std::unique_ptr<TextModel> copy = snapshot.takeModel();
    JoinedThreads started;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    const PiecedSearch blanks(*copy, {QStringLiteral("   "), true, false},
                              started.starter(PiecedSearch::Helpers), stop);
    const PiecedSearch rewritten(*copy, {QStringLiteral("RIGA"), true, false},
                                 started.starter(PiecedSearch::Helpers), stop);
    const std::optional<TextSearch::Match> blank = blanks.first(0, copy->length());
    QVERIFY(blank);
    QVERIFY(file->store->hasLost());
    QCOMPARE(file->store->cachedBytes(), 0); // the search read through stores of its own
    QCOMPARE(blank,
             TextSearch(model, {QStringLiteral("   "), true, false}).first(0, model.length()));
    QCOMPARE(rewritten.first(0, copy->length()), std::nullopt);
}

QTEST_GUILESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
