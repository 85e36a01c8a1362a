#include "document/frmdocument.h"
#include "document/loadmemory.h"
#include "platform/systemmemorygauge.h"
#include "platform/textbox.h"
#include "tests/support/documentloading.h"
#include "tests/support/fakememorygauge.h"
#include "text/memoryaccount.h"
#include "text/piecestore.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "text/textsink.h"
#include "textfile/bytecounting.h"
#include "textfile/detection.h"
#include "textfile/digestfeed.h"
#include "textfile/filedigest.h"
#include "textfile/encodingchoices.h"
#include "textfile/escapes.h"
#include "textfile/fileload.h"
#include "textfile/filesnapshot.h"
#include "textfile/inplacereading.h"
#include "textfile/piececounter.h"
#include "textfile/piecedecoding.h"
#include "textfile/textdecoder.h"
#include "textfile/textfileformat.h"

#include "textfilesamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace TextFileFormat;

namespace {

constexpr qint64 MB = qint64(1) << 20;

// Files of a fake /proc and /sys/fs/cgroup, by their path under one root.
using FakeTree = QMap<QString, QByteArray>;

// 8 GiB the system can give, no limit of the process's own, and what is
// given besides.
FakeTree fakeTree(const FakeTree &besides)
{
    FakeTree tree{
        {QStringLiteral("proc/meminfo"), "MemTotal: 16777216 kB\nMemAvailable: 8388608 kB\n"},
        {QStringLiteral("proc/self/status"), "VmPeak: 200000 kB\nVmSize: 100000 kB\n"
                                             "VmData:    50000 kB\n"},
        {QStringLiteral("proc/self/limits"),
         "Limit                     Soft Limit           Hard Limit           Units\n"
         "Max data size             unlimited            unlimited            bytes\n"
         "Max address space         unlimited            unlimited            bytes\n"}};
    tree.insert(besides);
    return tree;
}

// Lines of plain ASCII, ending in CR LF or LF.
QByteArray plainLines(QRandomGenerator &random)
{
    QByteArray lines;
    for (int count = random.bounded(12); count > 0; --count)
        lines += QByteArray(random.bounded(30), char('a' + random.bounded(26))) +
                 (random.bounded(3) == 0 ? "\n" : "\r\n");
    return lines;
}

// The length of the longest line, breaks left out.
qsizetype longestLine(const QString &text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
            longest = std::max(longest, i - start);
            if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    return longest;
}

// Line breaks as the text box counts them: each is one break between lines.
int lineBreaks(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        if (text[i] == u'\r' || text[i] == u'\n')
            ++count;
    }
    return count;
}

// The bytes the encoder streams out of a model, as a save writes them.
std::optional<QByteArray> streamed(const TextModel &model, Encoding encoding = Encoding::system())
{
    QByteArray bytes;
    const bool written = encode(
        model,
        [&bytes](QByteArrayView piece) {
            bytes.append(piece);
            return true;
        },
        encoding);
    return written ? std::optional<QByteArray>(bytes) : std::nullopt;
}

} // namespace

class TestFileFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void decodesLinesAndBytes_data();
    void decodesLinesAndBytes();
    void encodesExactly_data();
    void encodesExactly();
    void refusesWhatCannotBeWritten_data();
    void refusesWhatCannotBeWritten();
    void everyPieceSplitGivesTheSameText();
    void codePageBranchIsLossless();
    void everyOfferedEncodingWorks();
    void randomFilesSurviveLoadAndSave();
    void filesKeepTheirEncoding_data();
    void filesKeepTheirEncoding();
    void detectsTheFormatFromTheFileStart_data();
    void detectsTheFormatFromTheFileStart();
    void filesCutInPartsGiveTheSameText();
    void piecesCountedFromTheirBytesAsDecoded_data();
    void piecesCountedFromTheirBytesAsDecoded();
    void largeFilesReadInPlaceGiveTheSameText_data();
    void largeFilesReadInPlaceGiveTheSameText();
    void chunksReadInPlaceOutliveTheirReading();
    void loadStopsWhileThreadsAreBusy_data();
    void loadStopsWhileThreadsAreBusy();
    void digestIsTheSameHoweverTheFileIsCut();

    void largeFileShowsProgressAndHidesIt();
    void smallFileShowsNoProgress();
    void loaderReadsOrSaysWhy_data();
    void loaderReadsOrSaysWhy();
    void windowClosedWhileLoading();
    void gaugeReadsTheSystemsLimits_data();
    void gaugeReadsTheSystemsLimits();
    void loadsShareOneMemoryAccount();
    void secondLoadIsRefusedWhatTheFirstHolds();

private:
    QString writeFile(const QByteArray &bytes);

    QTemporaryDir dir_;
    int files_ = 0;
};

void TestFileFormat::initTestCase()
{
    QVERIFY(dir_.isValid());
}

QString TestFileFormat::writeFile(const QByteArray &bytes)
{
    const QString path = dir_.filePath(QStringLiteral("file%1.txt").arg(++files_));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestFileFormat::decodesLinesAndBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("lf only") << QByteArray("a\nb\n") << QStringLiteral("a\nb\n\r\n");
    QTest::newRow("cr only") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("two final crlf") << QByteArray("a\r\n\r\n") << QStringLiteral("a\r\n\r\n");
    QTest::newRow("lone cr") << QByteArray("\r") << QStringLiteral("\r\n");
    QTest::newRow("lone lf") << QByteArray("\n") << QStringLiteral("\n\r\n");
    QTest::newRow("lf then cr") << QByteArray("\n\r") << QStringLiteral("\n\r\n");
    QTest::newRow("cr cr lf") << QByteArray("\r\r\n") << QStringLiteral("\r\n\r\n");
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QStringLiteral("a") + QChar(0) + "b\r\n";
    QTest::newRow("byte-order mark is a character") << QByteArray("\xef\xbb\xbf"
                                                                  "a")
                                                    << QStringLiteral("\ufeffa\r\n");
    QTest::newRow("accented") << QByteArray("perch\xc3\xa9") << QStringLiteral("perché\r\n");
    QTest::newRow("line separator stays inside the line")
        << QByteArray("a\xe2\x80\xa8z") << QStringLiteral("a\u2028z\r\n");
    QTest::newRow("four-byte character")
        << QByteArray("\xf0\x9f\x98\x80") << QString::fromUcs4(U"\U0001F600") + "\r\n";
    QTest::newRow("stray byte") << QByteArray("a\x80z")
                                << QStringLiteral("a") + QChar(0xdc80) + "z\r\n";
    QTest::newRow("latin-1 text") << QByteArray("caff\xe8")
                                  << QStringLiteral("caff") + QChar(0xdce8) + "\r\n";
    QTest::newRow("overlong slash")
        << QByteArray("\xc0\xaf") << QString(QChar(0xdcc0)) + QChar(0xdcaf) + "\r\n";
    QTest::newRow("encoded surrogate")
        << QByteArray("\xed\xa0\x80")
        << QString(QChar(0xdced)) + QChar(0xdca0) + QChar(0xdc80) + "\r\n";
    QTest::newRow("past the last character")
        << QByteArray("\xf4\x90\x80\x80")
        << QString(QChar(0xdcf4)) + QChar(0xdc90) + QChar(0xdc80) + QChar(0xdc80) + "\r\n";
    QTest::newRow("cut short by a line end")
        << QByteArray("\xe2\x82\r\n") << QString(QChar(0xdce2)) + QChar(0xdc82) + "\r\n";
    QTest::newRow("cut short by the end of the file")
        << QByteArray("\xf0\x9f\x98")
        << QString(QChar(0xdcf0)) + QChar(0xdc9f) + QChar(0xdc98) + "\r\n";
}

void TestFileFormat::decodesLinesAndBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QCOMPARE(decode(file, Encoding::utf8()), text);
    QCOMPARE(encode(text, Encoding::utf8()), std::optional<QByteArray>(normalised(file)));
}

void TestFileFormat::encodesExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("empty") << QString() << QByteArray("");
    QTest::newRow("no line end added") << QStringLiteral("abc") << QByteArray("abc");
    QTest::newRow("line ends as they are")
        << QStringLiteral("a\r\nb\nc\rd\r\n") << QByteArray("a\r\nb\nc\rd\r\n");
    QTest::newRow("escape back to its byte")
        << QString(QChar(0xdc80)) + QChar(0xdcff) << QByteArray("\x80\xff");
    QTest::newRow("pair whose low half looks like an escape")
        << QString(QChar(0xd800)) + QChar(0xdc80) << QByteArray("\xf0\x90\x82\x80");
    QTest::newRow("escape after a pair") << QString(QChar(0xd83d)) + QChar(0xde00) + QChar(0xdc80)
                                         << QByteArray("\xf0\x9f\x98\x80\x80");
    QTest::newRow("no-break space") << QStringLiteral("\u00a0") << QByteArray("\xc2\xa0");
    QTest::newRow("byte-order mark") << QStringLiteral("\ufeff") << QByteArray("\xef\xbb\xbf");
}

void TestFileFormat::encodesExactly()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, file);
    QCOMPARE(encode(text, Encoding::utf8()), std::optional<QByteArray>(file));
}

void TestFileFormat::refusesWhatCannotBeWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lone high surrogate") << QStringLiteral("a") + QChar(0xd800) + "b";
    QTest::newRow("high surrogate at the end") << QStringLiteral("a") + QChar(0xdbff);
    QTest::newRow("low surrogate below the escapes") << QString(QChar(0xdc7f));
    QTest::newRow("low surrogate above the escapes") << QString(QChar(0xdd00));
    QTest::newRow("pair in the wrong order") << QString(QChar(0xdc00)) + QChar(0xd800);
}

void TestFileFormat::refusesWhatCannotBeWritten()
{
    QFETCH(QString, text);
    QCOMPARE(encode(text, Encoding::utf8()), std::nullopt);
    QCOMPARE(encode(text, Encoding::codePage()), std::nullopt);
}

// A file read in pieces must give the same text wherever the pieces are cut:
// inside a CR LF pair, inside a character or a surrogate pair, before a
// final lone CR or an odd last byte.
void TestFileFormat::everyPieceSplitGivesTheSameText()
{
    const QByteArray bytes("a\r\n\xf0\x9f\x98\x80\r\r\n\xe2\x82\n\xc3\xa8\x80\r");
    const QByteArray units("a\0\r\0\x3d\xd8\x00\xde\n\0\x00\xdc\x3d\xd8\r", 15);
    const Encoding utf16 = Encoding::unicode(Encoding::Form::Utf16LE, false);
    for (const auto &[file, encoding] :
         {std::pair{bytes, Encoding::utf8()}, {bytes, Encoding::codePage()}, {units, utf16}}) {
        const QString whole = decode(file, encoding);
        for (qsizetype first = 0; first <= file.size(); ++first) {
            for (qsizetype second = first; second <= file.size(); ++second) {
                Decoder decoder(encoding);
                QString text;
                StringSink sink(text);
                decoder.decode(QByteArrayView(file).first(first), sink);
                decoder.decode(QByteArrayView(file).sliced(first, second - first), sink);
                decoder.decode(QByteArrayView(file).sliced(second), sink);
                decoder.finish(sink);
                QCOMPARE(text, whole);
                // The same pieces into a model of tiny chunks, so that chunk
                // edges fall inside CR LF pairs and characters as well.
                TextModel model(4);
                TextModelAppender appender(model);
                Decoder modelDecoder(encoding);
                modelDecoder.decode(QByteArrayView(file).first(first), appender);
                appender.flush();
                modelDecoder.decode(QByteArrayView(file).sliced(first, second - first), appender);
                modelDecoder.decode(QByteArrayView(file).sliced(second), appender);
                modelDecoder.finish(appender);
                appender.flush();
                QCOMPARE(model.text(), whole);
                QCOMPARE(streamed(model, encoding), encode(whole, encoding));
            }
        }
    }
}

// The code-page branch (used where the system encoding is a Windows code
// page, and for the pages of several bytes a character) runs here on the
// system's UTF-8 and on Shift_JIS, which reads three ASCII controls as each
// other: it must keep every byte, and agree with the UTF-8 decoder on valid
// lines.
void TestFileFormat::codePageBranchIsLossless()
{
    QRandomGenerator random(2024);
    const QByteArray swappedControls("a\x1a\x1c\x7f\x82\xa0\r\n\x1a\x81");
    for (const Encoding &encoding : {Encoding::codePage(), Encoding::codePage("Shift_JIS")}) {
        for (int round = 0; round < 2000; ++round) {
            const QByteArray file = round == 0 ? swappedControls : randomFile(random);
            const QString text = decode(file, encoding);
            QCOMPARE(encode(text, encoding), std::optional<QByteArray>(normalised(file)));
        }
    }
    const QByteArray valid("perch\xc3\xa9\r\n\xf0\x9f\x98\x80\na\xe2\x80\xa8");
    QCOMPARE(decode(valid, Encoding::codePage()), decode(valid, Encoding::utf8()));
}

// Every encoding a person may choose is one Qt's converters know, writes and
// reads back a line, and has a label of its own in its list.
void TestFileFormat::everyOfferedEncodingWorks()
{
    const EncodingChoices choices(QLocale(QLocale::Russian));
    for (const QList<EncodingChoice> &list :
         {choices.commonToRead() + choices.othersToRead(),
          choices.commonToWrite() + choices.othersToWrite()}) {
        QSet<QString> labels;
        for (const EncodingChoice &choice : list) {
            QVERIFY2(!labels.contains(choice.label), qPrintable(choice.label));
            labels.insert(choice.label);
            const Encoding &encoding = choice.encoding;
            QVERIFY2(encoding.isUnicode() || QStringDecoder(encoding.codePageName()).isValid(),
                     qPrintable(choice.label));
            const std::optional<QByteArray> bytes = encode(u"Riga 1\r\n", encoding);
            QVERIFY2(bytes && decode(*bytes, encoding) == u"Riga 1\r\n", qPrintable(choice.label));
        }
    }
}

// Random files through the loader (cut in random pieces) into a document's
// text, and back out through the encoder as a stream: the bytes come back
// with only their line ends normalised, and the text has one line per line.
void TestFileFormat::randomFilesSurviveLoadAndSave()
{
    frmDocument document;
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray file = randomFile(random);
        const QString path = writeFile(file);

        document.ActiveControl().setText(QString());
        DocumentLoad::Settings settings;
        settings.reading.blockSize = 1 + random.bounded(16);
        QCOMPARE(loadAndWait(document, path, settings), std::nullopt);
        const QString text = document.ActiveControl().Text();
        const TextFileFormat::FileFormat format = TextFileFormat::detectFormat(file, file.size());
        QCOMPARE(document.encoding(), format.encoding);
        QCOMPARE(text, decode(file, format.encoding, format.lineBreak));
        const std::optional<QByteArray> saved = streamed(document.text(), format.encoding);
        QVERIFY(saved);
        // A file that happens to begin with a UTF-16 or UTF-32 mark has its line
        // ends made whole units: what is saved reads back as the same text.
        if (format.encoding.unitSize() == 1)
            QCOMPARE(*saved, normalised(file, format.lineBreak, format.encoding.mark().size()));
        else
            QCOMPARE(decode(*saved, format.encoding, format.lineBreak), text);
        QCOMPARE(document.text().lineCount(), lineBreaks(text) + 1);
        QFile::remove(path);
    }
}

namespace {

QByteArray utf16(QStringView text, bool bigEndian)
{
    QByteArray out;
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                         : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return out;
}

QString chars(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar *>(units.begin()), qsizetype(units.size()));
}

QByteArray utf32(QStringView text, bool bigEndian)
{
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        for (int k = 0; k < 4; ++k)
            out += char(c >> (bigEndian ? 24 - 8 * k : 8 * k));
    }
    return out;
}

} // namespace

void TestFileFormat::filesKeepTheirEncoding_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("saved"); // saved unchanged
    // The bytes "è" typed at the end adds: after bytes left over from a
    // last unit, first the zero bytes that make that unit whole.
    QTest::addColumn<QByteArray>("typedEnd");

    const QString letter = QStringLiteral("Perché la città è più bella.\r\n");
    QTest::newRow("Windows-1252") << QByteArray("Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella.\r\n")
                                  << letter << "Windows-1252"
                                  << QByteArray("Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella.\r\n")
                                  << QByteArray("\xe8");
    QTest::newRow("Windows-1252, undefined bytes and the euro")
        << QByteArray("citt\xe0 \x81\x8d\x8f\x90\x9d \x80\r\n")
        << QStringLiteral("città \u0081\u008d\u008f\u0090\u009d €\r\n") << "Windows-1252"
        << QByteArray("citt\xe0 \x81\x8d\x8f\x90\x9d \x80\r\n") << QByteArray("\xe8");
    QTest::newRow("UTF-8 with a mark")
        << QByteArray("\xEF\xBB\xBFpi\xC3\xB9\r\n") << QStringLiteral("più\r\n") << "UTF-8"
        << QByteArray("\xEF\xBB\xBFpi\xC3\xB9\r\n") << QByteArray("\xC3\xA8");
    QTest::newRow("UTF-8 with a few bad bytes")
        << QByteArray("caff\xC3\xA8 \xFF gi\xC3\xA0 \xC3\xB9\r\n")
        << QStringLiteral("caffè ") + QChar(0xDCFF) + QStringLiteral(" già ù\r\n") << "UTF-8"
        << QByteArray("caff\xC3\xA8 \xFF gi\xC3\xA0 \xC3\xB9\r\n") << QByteArray("\xC3\xA8");
    for (const bool bigEndian : {false, true}) {
        const QString order = bigEndian ? QStringLiteral("BE") : QStringLiteral("LE");
        const QByteArray mark = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
        const QByteArray e = utf16(u"è", bigEndian);
        const QByteArray body = utf16(letter, bigEndian);
        QTest::addRow("UTF-16 %s with a mark", qPrintable(order))
            << mark + body << letter << "UTF-16 " + order << mark + body << e;
        QTest::addRow("UTF-16 %s without a mark", qPrintable(order))
            << body << letter << "UTF-16 " + order << body << e;
        QTest::addRow("UTF-16 %s, mixed line ends", qPrintable(order))
            << mark + utf16(u"a\r\nb\rc\nd\r\n", bigEndian) << QStringLiteral("a\r\nb\r\nc\nd\r\n")
            << "UTF-16 " + order << mark + utf16(u"a\r\nb\r\nc\nd\r\n", bigEndian) << e;
        QTest::addRow("UTF-16 %s, a mark only", qPrintable(order))
            << mark << QString() << "UTF-16 " + order << mark << e;
        const QByteArray lone = bigEndian ? QByteArray("\xD8\x00", 2) : QByteArray("\x00\xD8", 2);
        QTest::addRow("UTF-16 %s, a lone surrogate and an odd last byte", qPrintable(order))
            << mark + lone + utf16(u"a\r\n", bigEndian) + "z"
            << chars({char16_t(0xDC00 + uchar(lone[0])), char16_t(0xDC00 + uchar(lone[1])), u'a',
                      u'\r', u'\n', char16_t(0xDC00 + 'z')})
            << "UTF-16 " + order << mark + lone + utf16(u"a\r\n", bigEndian) + "z"
            << QByteArray(1, '\0') + e;
        const QByteArray mark32 =
            bigEndian ? QByteArray("\0\0\xFE\xFF", 4) : QByteArray("\xFF\xFE\0\0", 4);
        const QString wide = QStringLiteral("più 😀\r\n");
        QTest::addRow("UTF-32 %s with a mark", qPrintable(order))
            << mark32 + utf32(wide, bigEndian) << wide << "UTF-32 " + order
            << mark32 + utf32(wide, bigEndian) << utf32(u"è", bigEndian);
        QTest::addRow("UTF-32 %s, three bytes of a last unit", qPrintable(order))
            << mark32 + utf32(wide, bigEndian) + "xyz"
            << wide +
                   chars({char16_t(0xDC00 + 'x'), char16_t(0xDC00 + 'y'), char16_t(0xDC00 + 'z')})
            << "UTF-32 " + order << mark32 + utf32(wide, bigEndian) + "xyz"
            << QByteArray(1, '\0') + utf32(u"è", bigEndian);
    }
    QTest::newRow("empty file") << QByteArray() << QString() << "UTF-8" << QByteArray()
                                << QByteArray("\xC3\xA8");
    QTest::newRow("binary data") << QByteArray("\x7F"
                                               "ELF\x02\x01\0\0\xFF\xFE\r\n\x90",
                                               13)
                                 << chars({u'\x7f', u'E', u'L', u'F', u'\x02', u'\x01', u'\0',
                                           u'\0', 0xDCFF, 0xDCFE, u'\r', u'\n', 0xDC90, u'\r',
                                           u'\n'})
                                 << "UTF-8"
                                 << QByteArray("\x7F"
                                               "ELF\x02\x01\0\0\xFF\xFE\r\n\x90\r\n",
                                               15)
                                 << QByteArray("\xC3\xA8");
    QTest::newRow("Unix script") << QByteArray("#!/bin/sh\necho ciao\n")
                                 << QStringLiteral("#!/bin/sh\necho ciao\n") << "UTF-8"
                                 << QByteArray("#!/bin/sh\necho ciao\n") << QByteArray("\xC3\xA8");
    QTest::newRow("Unix text without a last line end")
        << QByteArray("uno\ndue") << QStringLiteral("uno\ndue\n") << "UTF-8"
        << QByteArray("uno\ndue\n") << QByteArray("\xC3\xA8");
}

// Through the real loader: the file is read in its own encoding, saved back
// unchanged byte for byte (once its line ends are what reading makes them),
// and a letter typed at its end is written in that encoding.
void TestFileFormat::filesKeepTheirEncoding()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, typedEnd);
    for (const qsizetype pieceSize : {qsizetype(1), qsizetype(3), qsizetype(1 << 16)}) {
        frmDocument document;
        DocumentLoad::Settings settings;
        settings.reading.blockSize = pieceSize;
        QCOMPARE(loadAndWait(document, writeFile(file), settings), std::nullopt);
        QCOMPARE(document.ActiveControl().Text(), text);
        QCOMPARE(document.encoding().displayName(), encoding);
        QCOMPARE(streamed(document.text(), document.encoding()), std::optional<QByteArray>(saved));
        TextBox &box = document.ActiveControl();
        box.setSelStart(box.textLength());
        box.setSelText(QStringLiteral("è"));
        QCOMPARE(streamed(document.text(), document.encoding()),
                 std::optional<QByteArray>(saved + typedEnd));
    }
}

// The start of files as people have them, and what detection makes of it
// under the user's language: an 8-bit letter after pages of ASCII, other
// languages' code pages, and binary files, which hold zero bytes but are
// never taken for UTF-16.
void TestFileFormat::detectsTheFormatFromTheFileStart_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<bool>("lfLines");

    const auto inCodePage = [](const char *codePage, const QString &text) {
        QStringEncoder encoder(codePage);
        return QByteArray(encoder.encode(text));
    };
    const QByteArray ascii = QByteArray("Una riga come tante altre, in ASCII.\r\n").repeated(400);
    QTest::newRow("an Italian letter after 16 KB of ASCII")
        << ascii + "Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella.\r\n"
        << "it"
        << "Windows-1252" << false;
    QTest::newRow("Russian in Windows-1251 after 16 KB of ASCII")
        << ascii + inCodePage("windows-1251",
                      QStringLiteral("Москва — столица России, город на реке Москве.\r\n")
                          .repeated(20))
        << "ru" << "Windows-1251" << false;
    // Short files stay in the user's page unless they plainly say otherwise;
    // a page that lacks the user's letters needs more than a detector's
    // word, and a page that writes them takes the bytes that tell it.
    QTest::newRow("a price in Windows-1252") << QByteArray("Costo: 5 \x80\r\n") << "it"
                                             << "Windows-1252" << false;
    QTest::newRow("an Italian line a detector takes for a DOS page")
        << inCodePage("windows-1252",
                      QStringLiteral("È richiesto specificare un tipo di ricerca, es. «name»\r\n"))
        << "it" << "Windows-1252" << false;
    QTest::newRow("a Polish line that says so")
        << inCodePage("windows-1250", QStringLiteral("Zażółć gęślą jaźń, powiedział.\r\n"))
        << "it" << "Windows-1250" << false;
    QTest::newRow("a Polish line that reads as well in the user's page")
        << inCodePage("windows-1250", QStringLiteral("Polska ma 38 mln mieszkańców.\r\n")) << "it"
        << "Windows-1252" << false;
    const QString ukrainian = QStringLiteral(
        "Київ, столиця України, місто на річці Дніпро. Це одне з найстаріших міст Європи, "
        "його засновано понад тисячу років тому; тут є багато церков і музеїв.\r\n");
    QTest::newRow("2 KB of Ukrainian in Windows-1251")
        << inCodePage("windows-1251", ukrainian.repeated(13)) << "it" << "Windows-1251" << false;
    QTest::newRow("2 KB of Ukrainian in KOI8-U")
        << inCodePage("KOI8-U", ukrainian.repeated(13)) << "it" << "KOI8-U" << false;
    QTest::newRow("2 KB of Turkish in Windows-1254")
        << inCodePage("windows-1254",
                      QStringLiteral("Türkiye'nin başkenti Ankara'dır; en büyük şehri ise "
                                     "İstanbul'dur. Ağaçlı sokaklarda yürümek çok hoş.\r\n")
                          .repeated(20))
        << "it" << "Windows-1254" << false;
    // Until its first capital alpha with accent, the text reads alike in
    // ISO-8859-7, which has a quote there.
    QTest::newRow("Greek in Windows-1253, its first \"Ά\" after 4 KB")
        << inCodePage("windows-1253",
                      QStringLiteral("Η πόλη έχει πολλά μουσεία και πάρκα για τους επισκέπτες.\r\n")
                              .repeated(80) +
                          QStringLiteral("Άλλη μια μέρα.\r\n"))
        << "it" << "Windows-1253" << false;
    // Short lines that plainly say otherwise.
    QTest::newRow("a Russian line")
        << inCodePage("windows-1251", QStringLiteral("Приложение должно повторно вызвать libpam\r\n"))
        << "it" << "Windows-1251" << false;
    QTest::newRow("a Czech line")
        << inCodePage("windows-1250",
                      QStringLiteral("Autentizační služba nemůže získat informace\r\n"))
        << "it" << "Windows-1250" << false;
    QTest::newRow("a Chinese line")
        << inCodePage("GB18030", QStringLiteral("如果您真的要这样做，请使用 deluser 命令\r\n"))
        << "it" << "GB18030" << false;
    QTest::newRow("a Japanese line that is mostly ASCII")
        << inCodePage("Shift_JIS", QStringLiteral("-H, --heading     ヘッダ行を表示\r\n")) << "it"
        << "Shift_JIS" << false;
    // Bytes past the detectors' sample that only the Windows page has
    // characters for: its quotes, where the ISO page has controls.
    const QString quoted = QStringLiteral("“fine”\r\n");
    QTest::newRow("Turkish with Windows quotes after 2 KB")
        << inCodePage("windows-1254",
                      QStringLiteral("Dosya açılamadı; lütfen ayarları değiştirin.\r\n").repeated(60) +
                          quoted)
        << "it" << "Windows-1254" << false;
    QTest::newRow("Hungarian with Windows quotes after 2 KB")
        << inCodePage("windows-1250",
                      QStringLiteral("A fájl nem nyitható meg, kérjük ellenőrizze a beállításokat.\r\n")
                              .repeated(40) +
                          quoted)
        << "it" << "Windows-1250" << false;
    QTest::newRow("2 KB of Lithuanian in Windows-1257")
        << inCodePage("windows-1257",
                      QStringLiteral("Reikia nurodyti paskirties katalogą ir atsiųstinų paketų "
                                     "pavadinimus; įrašykite juos čia.\r\n")
                          .repeated(20))
        << "it" << "Windows-1257" << false;
    // Another user's page gives way as plainly.
    QTest::newRow("2 KB of German in Windows-1252, for a Russian")
        << inCodePage("windows-1252",
                      QStringLiteral("Die Größe der Datei lässt sich nicht ändern; bitte "
                                     "überprüfen Sie die Einstellungen.\r\n")
                          .repeated(20))
        << "ru" << "Windows-1252" << false;
    QTest::newRow("Japanese in EUC-JP, for a Japanese user")
        << inCodePage("EUC-JP", QStringLiteral("日本語の文章です。東京は大きな都市です。\n"))
        << "ja" << "EUC-JP" << true;
    QTest::newRow("Chinese that GB18030 and GBK read alike, for a Chinese user")
        << inCodePage("GB18030", QStringLiteral("如果您真的要这样做，请使用 deluser 命令\r\n"))
        << "zh_CN" << "GBK" << false;
    QTest::newRow("Italian in ISO-8859-15, with the euro")
        << inCodePage("ISO-8859-15",
                      QStringLiteral("Il caffè costa 1,20 € al banco, però al tavolo 2 €.\r\n")
                          .repeated(6))
        << "it" << "ISO-8859-15" << false;
    QTest::newRow("Japanese in Shift_JIS")
        << inCodePage("Shift_JIS",
                      QStringLiteral("日本語の文章です。東京は大きな都市です。\n").repeated(20))
        << "ja"
        << "Shift_JIS" << true;
    QTest::newRow("UTF-32 LE mark") << QByteArray("\xFF\xFE\0\0a\0\0\0", 8) << "it"
                                    << "UTF-32 LE" << false;
    QTest::newRow("UTF-16 LE without a mark, odd size")
        << QByteArray("c\0i\0a\0o\0\r\0\n\0!", 13) << "it"
        << "UTF-8" << false;
    QTest::newRow("PNG image") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20) << "it"
                               << "UTF-8" << false;
    QTest::newRow("gzip archive") << QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\x03\xcb\x48", 12) << "it"
                                  << "UTF-8" << false;
    QByteArray executable("\x7f"
                          "ELF\x02\x01\x01\0",
                          8);
    for (int i = 0; i < 512; ++i)
        executable += QByteArray("\x48\x89\xe5\0\0\0\0\x41", 8);
    QTest::newRow("executable") << executable << "it"
                                << "UTF-8" << false;
    QTest::newRow("Unix script") << QByteArray("#!/bin/sh\necho ciao\n") << "it"
                                 << "UTF-8" << true;
}

void TestFileFormat::detectsTheFormatFromTheFileStart()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, language);
    QFETCH(QString, encoding);
    QFETCH(bool, lfLines);
    const TextFileFormat::FileFormat format =
        TextFileFormat::detectFormat(head, head.size(), QLocale(language));
    QCOMPARE(format.encoding.displayName(), encoding);
    QCOMPARE(format.lineBreak == LineBreak::Lf, lfLines);
}

// A file cut in parts after its LF bytes, decoded by several threads in
// blocks of every small size, into a model of tiny chunks: the text is the
// one a single decoder gives, character for character and line for line,
// whatever CR LF pairs, multi-byte characters and invalid bytes stand next
// to the cuts and the block edges. Half the rounds keep the plain text where
// it was read, among stretches of plain lines; an edit afterwards that cuts
// into loaded chunks changes them like any others.
void TestFileFormat::filesCutInPartsGiveTheSameText()
{
    QRandomGenerator random(23);
    for (int round = 0; round < 600; ++round) {
        const bool inPlace = round % 2 == 0;
        QByteArray file = randomFile(random);
        if (round % 3 == 0)
            file +=
                QByteArray(random.bounded(70), 'x') + "\n" + QByteArray(random.bounded(40), 'y');
        if (inPlace)
            file = plainLines(random) + file + plainLines(random);
        const QString path = writeFile(file);
        const Encoding encoding = round % 5 == 0 ? Encoding::codePage() : Encoding::utf8();
        FileLoad::Options options;
        options.blockSize = 1 + random.bounded(40);
        options.threads = 1 + random.bounded(3);
        options.partSize = 1 + random.bounded(inPlace ? 200 : 8);
        options.readInPlace = inPlace;
        options.format = TextFileFormat::FileFormat{encoding, LineBreak::CrLf};
        // Every fourth file is left in the file, in pieces cut anywhere.
        if (round % 4 == 1) {
            options.pieces = std::make_shared<PieceStore>(random.bounded(200));
            options.pieceSize = 1 + random.bounded(60);
            options.cutSpacing = 1 + random.bounded(9);
        }
        TextModel model(4 + random.bounded(12));
        TextModelAppender appender(model);
        FileLoad load(FileSnapshot::open(path), appender.chunkBuilder(), options);
        load.start({});
        while (!load.isFinished())
            appender.append(load.take().chunks);
        QVERIFY(!load.failure());
        QString whole = decode(file, encoding);
        QCOMPARE(model.storedLength(), options.pieces ? model.length() : 0);
        QCOMPARE(model.text(), whole);
        QCOMPARE(model.lineCount(), lineBreaks(whole) + 1);
        QCOMPARE(model.longestLineLength(), longestLine(whole));
        QCOMPARE(streamed(model, encoding), encode(whole, encoding));
        const qint64 from = random.bounded(whole.size() + 1);
        const qint64 to = from + random.bounded(whole.size() - from + 1);
        const QString added = QStringLiteral("\u00e8\u20ac");
        model.replace(from, to, added);
        whole.replace(from, to - from, added);
        QCOMPARE(model.text(), whole);
        QCOMPARE(model.lineCount(), lineBreaks(whole) + 1);
    }
}

void TestFileFormat::piecesCountedFromTheirBytesAsDecoded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("codePage"); // none: UTF-8
    QTest::addColumn<bool>("lfLines");
    const QByteArray accents = "citt\xc3\xa0 perch\xc3\xa9 \xe2\x82\xac";
    QTest::newRow("accented lines") << (accents + "\r\n").repeated(9) << QByteArray() << false;
    QTest::newRow("a CR last") << accents + "\r\nriga\r" << QByteArray() << false;
    QTest::newRow("lone CRs, CR CR LF")
        << "a\rb\r\r\nc\n\r" + accents + "\r\r" << QByteArray() << false;
    QTest::newRow("lone CRs in a file of LF lines")
        << QByteArray("a\rb\nc\n") << QByteArray() << true;
    QTest::newRow("four-byte characters")
        << QByteArray("\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\n").repeated(20) << QByteArray() << false;
    QTest::newRow("a mark among the lines")
        << QByteArray("riga\n\xef\xbb\xbfriga\n") << QByteArray() << true;
    QTest::newRow("a long line") << "corta\n" + accents.repeated(40) + "\nx" << QByteArray()
                                 << true;
    QTest::newRow("overlong") << QByteArray("a\xe0\x80\xaf\n") << QByteArray() << false;
    QTest::newRow("an encoded surrogate") << QByteArray("a\xed\xa0\x80\n") << QByteArray() << false;
    QTest::newRow("past U+10FFFF") << QByteArray("a\xf4\x90\x80\x80\n") << QByteArray() << false;
    QTest::newRow("a lead cut off at the end")
        << QByteArray("riga\n\xe2\x82") << QByteArray() << false;
    QTest::newRow("a continuation byte alone") << QByteArray("riga\x80\n") << QByteArray() << false;
    QTest::newRow("Windows-1252") << QByteArray("citt\xe0\r\nperch\xe9\r\x80\xff\n")
                                  << QByteArray("windows-1252") << false;
    QRandomGenerator random(41);
    for (int round = 0; round < 60; ++round)
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(round)))
            << randomFile(random) << (round % 6 == 5 ? QByteArray("windows-1252") : QByteArray())
            << (round % 4 == 0);
}

// A piece counted straight from its bytes, wherever the 64-byte steps
// fall in it, with every width the processor has, read whole or in two
// steps, and whether it ends the text or not, gives the summary decoding
// it gives; UTF-8 with bytes that are no character is left to the decoder.
void TestFileFormat::piecesCountedFromTheirBytesAsDecoded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, codePage);
    QFETCH(bool, lfLines);
    const FileFormat format{codePage.isEmpty() ? Encoding::utf8() : Encoding::codePage(codePage),
                            lfLines ? LineBreak::Lf : LineBreak::CrLf};
    const PieceCounter counter(format);
    for (int shift = 0; shift < 140; ++shift) {
        const QByteArray piece = QByteArray(shift / 2, 'x') + bytes;
        const bool endsText = shift % 2 == 1;
        const PieceText text =
            PieceDecoding::decode(format, piece.constData(), piece.size(), nullptr, endsText);
        LineSummary decoded = text.characters.summary();
        decoded.wide = 0;
        const bool valid = nextLoneSurrogate(decode(piece, format.encoding)) < 0;
        const std::optional<PieceCounter::Counted> counted =
            counter.count(piece.constData(), piece.size(), endsText);
        QCOMPARE(counted.has_value(), valid);
        if (counted) {
            QCOMPARE(counted->summary, decoded);
            QCOMPARE(counted->bytesAreText, text.bytesAreText);
        }
        const auto *b = reinterpret_cast<const uchar *>(piece.constData());
        for (const ByteCounting::Width width : ByteCounting::availableWidths()) {
            const std::optional<ByteCounting::Count> count =
                codePage.isEmpty() ? ByteCounting::utf8(b, piece.size(), width)
                                   : ByteCounting::singleBytes(b, piece.size(), width);
            QCOMPARE(count.has_value(), valid);
            if (count && !endsText)
                QCOMPARE(count->summary, decoded);
            // The same bytes read in two steps, the first a multiple of 64.
            const qsizetype first = piece.size() / 128 * 64;
            ByteCounting::Counter steps(codePage.isEmpty(), width);
            steps.take(b, first);
            steps.take(b + first, piece.size() - first);
            const std::optional<ByteCounting::Count> stepped = steps.finish();
            QCOMPARE(stepped.has_value(), valid);
            if (stepped && count)
                QCOMPARE(stepped->summary, count->summary);
        }
    }
}

void TestFileFormat::largeFilesReadInPlaceGiveTheSameText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("windows1252");
    QTest::addColumn<bool>("lfLines");
    // 6 MB of lines, with something put at a byte of the file; a block of
    // the first part ends at every multiple of BlockEdge.
    constexpr qint64 BlockEdge = 256 << 10;
    const auto lines = [](const char *lineEnd) {
        QByteArray file;
        for (int i = 0; file.size() < (6 << 20); ++i)
            file += "riga " + QByteArray::number(i) + QByteArray(40 + i % 23, '.') + lineEnd;
        return file;
    };
    const QByteArray crlf = lines("\r\n");
    const auto with = [&](qint64 at, const QByteArray &piece) {
        QByteArray file = crlf;
        return file.insert(at, piece);
    };
    QTest::newRow("plain") << crlf << false << false;
    QTest::newRow("a character across a block edge")
        << with(3 * BlockEdge - 1, "\xc3\xa8") << false << false;
    QTest::newRow("CR last in a block, its LF first in the next")
        << with(3 * BlockEdge - 1, "\r\n") << false << false;
    QTest::newRow("a lone CR last in a block") << with(3 * BlockEdge - 1, "\r") << false << false;
    QTest::newRow("an invalid last byte") << crlf + "\xff" << false << false;
    QTest::newRow("a last line without a break") << crlf + "fine" << false << false;
    QTest::newRow("a mark") << "\xef\xbb\xbf" + crlf << false << false;
    QTest::newRow("LF lines") << lines("\n") << false << true;
    QByteArray accents = crlf;
    for (qint64 at = 1000; at < accents.size(); at += 100'000)
        accents.insert(at, "\xc3\xa0");
    QTest::newRow("an accent every 100 KB") << accents << false << false;
    QTest::newRow("accents and four-byte characters on every last line")
        << crlf.first(4 * MB) + crlf.sliced(4 * MB).replace("riga", "r\xc3\xacga \xf0\x9f\x98\x80")
        << false << false;
    QTest::newRow("Windows-1252") << with(3 * BlockEdge - 1, "citt\xe0").insert(1000, "perch\xe9")
                                  << true << false;
    QTest::newRow("nothing but line breaks")
        << QByteArray(6 << 20, '\n').replace("\n", "\r\n") << false << false;
}

// Files larger than a part, read in place with the sizes the program uses:
// the text, its lines and the bytes saved are those of one decoder over the
// whole file, whatever interrupts the plain lines, and most chunks keep
// their characters where they were read.
void TestFileFormat::largeFilesReadInPlaceGiveTheSameText()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, windows1252);
    QFETCH(bool, lfLines);
    const QString path = writeFile(file);
    const TextFileFormat::FileFormat format = TextFileFormat::detectFormat(file, file.size());
    QCOMPARE(format.encoding.displayName(),
             windows1252 ? QStringLiteral("Windows-1252") : QStringLiteral("UTF-8"));
    QCOMPARE(format.lineBreak == LineBreak::Lf, lfLines);
    FileLoad::Options options;
    options.threads = 2;
    options.partSize = 2 << 20;
    TextModel model;
    TextModelAppender appender(model);
    FileLoad load(FileSnapshot::open(path), appender.chunkBuilder(), options);
    load.start({});
    qsizetype chunks = 0;
    qsizetype inPlace = 0;
    while (!load.isFinished()) {
        FileLoad::Ready ready = load.take();
        chunks += qsizetype(ready.chunks.size());
        inPlace += std::count_if(ready.chunks.begin(), ready.chunks.end(),
                                 [](const Chunk &chunk) { return chunk.isInPlace(); });
        appender.append(std::move(ready.chunks));
    }
    QVERIFY(!load.failure());
    const QString whole = decode(file, format.encoding, format.lineBreak);
    QVERIFY(model.text() == whole);
    QCOMPARE(model.lineCount(), lineBreaks(whole) + 1);
    QCOMPARE(model.longestLineLength(), longestLine(whole));
    QVERIFY(streamed(model, format.encoding) == encode(whole, format.encoding));
    QVERIFY2(inPlace > chunks / 2, qPrintable(QStringLiteral("%1 of %2").arg(inPlace).arg(chunks)));

    // Left in the file, in pieces of about a megabyte read again through a
    // cache of three, each checked against the checksum's blocks around it.
    options.pieces = std::make_shared<PieceStore>(3 << 20);
    options.pieceSize = 1 << 20;
    TextModel pieces;
    TextModelAppender piecesAppender(pieces);
    FileLoad piecesLoad(FileSnapshot::open(path), piecesAppender.chunkBuilder(), options);
    piecesLoad.start({});
    while (!piecesLoad.isFinished())
        piecesAppender.append(piecesLoad.take().chunks);
    QVERIFY(!piecesLoad.failure());
    // The line at a piece's either end is known from the counts alone, as a
    // view asks while the text grows a piece at a time: no piece is read.
    const qint64 cached = options.pieces->cachedBytes();
    pieces.forEachChunk([&](const Chunk &chunk, qint64 start) {
        pieces.lineAt(start);
        pieces.lineAt(start + chunk.size());
        return true;
    });
    QCOMPARE(options.pieces->cachedBytes(), cached);
    QCOMPARE(pieces.storedLength(), whole.size());
    QVERIFY(pieces.text() == whole);
    QCOMPARE(pieces.lineCount(), lineBreaks(whole) + 1);
    QCOMPARE(pieces.longestLineLength(), longestLine(whole));
    QVERIFY(streamed(pieces, format.encoding) == encode(whole, format.encoding));
    QVERIFY(!options.pieces->hasLost());
}

// A stretch far longer than expected, as a file that grows while it is
// read, goes on in further regions; its chunks keep their characters once
// the reading and its regions are no longer its to hold.
void TestFileFormat::chunksReadInPlaceOutliveTheirReading()
{
    QByteArray file;
    for (int i = 0; file.size() < (5 << 20); ++i)
        file += "riga " + QByteArray::number(i) + (i % 1000 == 0 ? " \xc3\xa8\r\n" : "\r\n");
    Decoder decoder;
    ChunkBuilder builder(1000);
    std::vector<Chunk> chunks;
    {
        constexpr qsizetype Block = 4096;
        InPlaceReading reading(Block, Block, decoder, builder);
        for (qsizetype at = 0; at < file.size(); at += Block) {
            const qsizetype count = std::min(Block, file.size() - at);
            std::copy_n(file.constData() + at, count, reading.room());
            reading.take(count);
        }
        reading.finish();
        decoder.finish(builder);
        chunks = builder.take();
    }
    QString text;
    for (const Chunk &chunk : chunks)
        chunk.span().appendTo(text);
    QVERIFY(text == decode(file));
    QVERIFY(
        std::any_of(chunks.begin(), chunks.end(), [](const Chunk &c) { return c.isInPlace(); }));
}

void TestFileFormat::loadStopsWhileThreadsAreBusy_data()
{
    QTest::addColumn<bool>("outOfMemory");
    QTest::newRow("destroyed half-way") << false;
    QTest::newRow("its chunks run out of memory") << true;
}

// Three threads decode parts of a file in small blocks when the load is
// destroyed, or when the memory its chunks may take runs out on one of
// them: the load stops at once, says why when it failed, and no thread is
// left running or touching what has gone.
void TestFileFormat::loadStopsWhileThreadsAreBusy()
{
    QFETCH(bool, outOfMemory);
    QByteArray file;
    for (int i = 0; i < 100000; ++i)
        file += "riga " + QByteArray::number(i) + "\r\n";
    const QString path = writeFile(file);
    FileLoad::Options options;
    options.blockSize = 64;
    options.threads = 3;
    options.partSize = 1 << 12;
    TextModel model;
    TextModelAppender appender(model);
    ChunkBuilder builder = appender.chunkBuilder();
    MemoryAccount account([&file] { return std::optional<qint64>(file.size() / 3); }, 0);
    if (outOfMemory)
        builder.setBudget(account.reserve(0));
    auto load = std::make_unique<FileLoad>(FileSnapshot::open(path), builder, options);
    load->start({});
    while (!load->isFinished() && model.length() < file.size() / 4)
        appender.append(load->take().chunks);
    if (!outOfMemory) {
        load.reset();
        QVERIFY(model.length() < file.size());
        return;
    }
    while (!load->isFinished())
        appender.append(load->take().chunks);
    QCOMPARE(load->failure(), std::optional<QString>(FileLoad::outOfMemoryReason()));
    QVERIFY(model.length() <= file.size() / 3);
}

// A load's parts add the file's words to its digest from their threads, each
// part from wherever it was cut: the blocks come out as they do from the
// whole file read again, however it was cut and in whatever order. A byte
// changed, two words swapped or the last byte cut off change the block.
void TestFileFormat::digestIsTheSameHoweverTheFileIsCut()
{
    const qint64 Block = FileDigest::BlockSize;
    QRandomGenerator random(7);
    QByteArray file(3 * Block + 1234, Qt::Uninitialized);
    for (char &byte : file)
        byte = char(random.bounded(256));
    const auto blockOf = [Block](const QByteArray &bytes, qint64 index) {
        const qint64 length = std::min(Block, bytes.size() - index * Block);
        return FileDigest::blockOf(index, bytes.constData() + index * Block, length);
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<qint64> cuts{0, file.size()};
        for (int k = random.bounded(6); k > 0; --k)
            cuts.push_back(random.bounded(file.size()));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        FileDigest digest(file.size());
        for (size_t k = cuts.size() - 1; k-- > 0;) {
            const qint64 word = cuts[k] / FileDigest::WordSize * FileDigest::WordSize;
            DigestFeed feed(digest, cuts[k], QByteArrayView(file).sliced(word, cuts[k] - word));
            for (qint64 at = cuts[k]; at < cuts[k + 1];) {
                const qint64 piece = std::min<qint64>(cuts[k + 1] - at, 1 + random.bounded(99999));
                feed.take(file.constData() + at, piece);
                at += piece;
            }
            feed.finish();
        }
        for (qint64 index = 0; index < digest.blockCount(); ++index)
            QCOMPARE(digest.block(index), blockOf(file, index));
    }
    QByteArray changed = file;
    changed[2 * Block + 77] = char(changed[2 * Block + 77] ^ 1);
    QVERIFY(blockOf(changed, 2) != blockOf(file, 2));
    QCOMPARE(blockOf(changed, 1), blockOf(file, 1));
    QByteArray swapped = file;
    std::swap_ranges(swapped.begin() + 8, swapped.begin() + 16, swapped.begin() + 4096);
    QVERIFY(blockOf(swapped, 0) != blockOf(file, 0));
    QVERIFY(blockOf(file.chopped(1), 3) != blockOf(file, 3));
}

void TestFileFormat::largeFileShowsProgressAndHidesIt()
{
    QByteArray file;
    for (int i = 0; i < 1000; ++i)
        file += "line " + QByteArray::number(i) + "\r\n";
    const QString path = writeFile(file);
    frmDocument document;
    QSignalSpy progress(&document, &frmDocument::loadProgressChanged);
    DocumentLoad::Settings settings;
    settings.reading.blockSize = file.size() / 10 + 1;
    QCOMPARE(loadAndWait(document, path, settings), std::nullopt);
    QCOMPARE(document.ActiveControl().Text(), QString::fromLatin1(file));
    QVERIFY(!progress.isEmpty());
    QList<int> shown;
    for (const QList<QVariant> &signal : progress)
        shown << signal.front().toInt();
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QVERIFY(shown.first() >= 0);
    QCOMPARE(shown.last(), 100);
    QCOMPARE(document.loadProgress(), -1);
}

void TestFileFormat::smallFileShowsNoProgress()
{
    frmDocument document;
    QSignalSpy progress(&document, &frmDocument::loadProgressChanged);
    QCOMPARE(loadAndWait(document, writeFile("short\r\n")), std::nullopt);
    QCOMPARE(document.ActiveControl().Text(), QStringLiteral("short\r\n"));
    QVERIFY(progress.isEmpty());
    QVERIFY(!document.isLoading());
}

void TestFileFormat::loaderReadsOrSaysWhy_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qsizetype>("maximumLength");
    QTest::addColumn<QString>("reason"); // empty: the load reads the whole file

    QTest::newRow("missing file") << QStringLiteral("missing.txt") << qsizetype(1000)
                                  << QStringLiteral("No such file or directory");
    QTest::newRow("folder") << QStringLiteral(".") << qsizetype(1000)
                            << QStringLiteral("directory");
    // Opens, then fails on the first read.
    QTest::newRow("read error") << QStringLiteral("/proc/self/mem") << qsizetype(1000)
                                << QStringLiteral("Input/output error");
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero") << qsizetype(1000) << QStringLiteral("file ordinario");
    QTest::newRow("longer than the box takes")
        << QStringLiteral("long") << qsizetype(10) << QStringLiteral("troppo grande");
    // Files whose size says nothing of what they hold, read to their end.
    QTest::newRow("FIFO") << QStringLiteral("pipe") << qsizetype(1000) << QString();
    QTest::newRow("/proc, size 0")
        << QStringLiteral("/proc/version") << qsizetype(1000) << QString();
    QTest::newRow("/sys, the size of a page")
        << QStringLiteral("/sys/devices/system/cpu/online") << qsizetype(1000) << QString();
}

void TestFileFormat::loaderReadsOrSaysWhy()
{
    QFETCH(QString, path);
    QFETCH(qsizetype, maximumLength);
    QFETCH(QString, reason);
#ifndef Q_OS_LINUX
    if (path.startsWith(u'/'))
        QSKIP("these files are Linux's");
#endif
    QByteArray file;
    if (path == u"long") {
        path = writeFile(QByteArray(100, 'x'));
    } else if (path == u"pipe") {
#ifdef Q_OS_UNIX
        // The test is the writer: what it wrote is read, then the end.
        path = dir_.filePath(path);
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const int writer = ::open(QFile::encodeName(path).constData(), O_RDWR);
        file = "dal tubo\n";
        QVERIFY(::write(writer, file.constData(), size_t(file.size())) == file.size());
        QTimer::singleShot(0, [writer] { ::close(writer); });
#else
        QSKIP("pipes in the file system are a Unix thing");
#endif
    } else if (!path.startsWith(u'/')) {
        path = dir_.filePath(path);
    } else if (reason.isEmpty()) {
        QFile kernel(path);
        QVERIFY(kernel.open(QIODevice::ReadOnly));
        file = kernel.readAll();
    }
    frmDocument document;
    DocumentLoad::Settings settings;
    settings.reading.blockSize = 8;
    settings.maximumLength = maximumLength;
    const std::optional<QString> failure = loadAndWait(document, path, settings);
    QVERIFY(!document.isLoading());
    QCOMPARE(document.loadProgress(), -1);
    if (reason.isEmpty()) {
        QCOMPARE(failure, std::nullopt);
        QVERIFY(!file.isEmpty());
        QCOMPARE(document.ActiveControl().Text(), QString::fromLatin1(file));
        return;
    }
    QVERIFY(failure);
    QVERIFY2(failure->contains(reason, Qt::CaseInsensitive), qPrintable(*failure));
    QVERIFY(document.ActiveControl().textLength() <= maximumLength);
}

// The window may go away while the file loads (it is closed, or the program
// is ending): the load stops with it, and nothing touches the window again.
void TestFileFormat::windowClosedWhileLoading()
{
    QPointer<frmDocument> document = new frmDocument;
    QObject::connect(document, &frmDocument::loadProgressChanged, document,
                     [&] { delete document.data(); });
    DocumentLoad::Settings settings;
    settings.reading.blockSize = 4;
    const ReadingMark reading;
    reading.putIn(settings.reading);
    QByteArray file;
    for (int i = 0; i < 2000; ++i)
        file += "riga\r\n";
    QCOMPARE(document->load(writeFile(file), settings), std::nullopt);
    settings = {};
    QTRY_VERIFY(document.isNull());
    QTRY_VERIFY(reading.isLastHeld());
    QCoreApplication::sendPostedEvents(); // what the threads posted before they ended
}

void TestFileFormat::gaugeReadsTheSystemsLimits_data()
{
    QTest::addColumn<FakeTree>("tree");
    QTest::addColumn<qint64>("available"); // -1: nothing known

    const QString v2 = QStringLiteral("sys/app.slice/editor/");
    const QString v1 = QStringLiteral("sys/memory/grp/");
    const QByteArray cache = "anon 104857600\nfile 838860800\nactive_file 314572800\n"
                             "inactive_file 524288000\nfile_mapped 104857600\n";
    QTest::newRow("no control group, no limit: what the system has") << fakeTree({}) << 8192 * MB;
    QTest::newRow("the system does not tell")
        << fakeTree({{QStringLiteral("proc/meminfo"), "MemTotal: 16777216 kB\n"}}) << qint64(-1);
    QTest::newRow("v2, memory.max")
        << fakeTree({{QStringLiteral("proc/self/cgroup"), "0::/app.slice/editor\n"},
                     {v2 + "memory.max", "1073741824\n"},
                     {v2 + "memory.high", "max\n"},
                     {v2 + "memory.current", "314572800\n"}})
        << 724 * MB;
    QTest::newRow("v2, memory.high below memory.max")
        << fakeTree({{QStringLiteral("proc/self/cgroup"), "0::/app.slice/editor\n"},
                     {v2 + "memory.max", "1073741824\n"},
                     {v2 + "memory.high", "629145600\n"},
                     {v2 + "memory.current", "314572800\n"}})
        << 300 * MB;
    QTest::newRow("v2, nested: the tightest group counts")
        << fakeTree({{QStringLiteral("proc/self/cgroup"), "0::/app.slice/editor\n"},
                     {QStringLiteral("sys/app.slice/memory.max"), "524288000\n"},
                     {QStringLiteral("sys/app.slice/memory.current"), "419430400\n"},
                     {v2 + "memory.max", "max\n"},
                     {v2 + "memory.current", "209715200\n"}})
        << 100 * MB;
    // 500 MB inactive and 300 MB active, 100 MB of it mapped: 700 MB of
    // the 900 MB used may be dropped.
    QTest::newRow("v2, the file cache counts as free")
        << fakeTree({{QStringLiteral("proc/self/cgroup"), "0::/app.slice/editor\n"},
                     {v2 + "memory.max", "1073741824\n"},
                     {v2 + "memory.current", "943718400\n"},
                     {v2 + "memory.stat", cache}})
        << 824 * MB;
    // The cache of the groups below counts, as their usage does.
    QTest::newRow("v1, limit, usage and cache")
        << fakeTree(
               {{QStringLiteral("proc/self/cgroup"), "5:cpu,memory:/grp\n1:name=systemd:/\n0::/\n"},
                {v1 + "memory.limit_in_bytes", "1073741824\n"},
                {v1 + "memory.usage_in_bytes", "943718400\n"},
                {v1 + "memory.stat", "inactive_file 1048576\nactive_file 0\nmapped_file 0\n"
                                     "total_inactive_file 524288000\n"
                                     "total_active_file 104857600\ntotal_mapped_file 0\n"}})
        << 724 * MB;
    QTest::newRow("v1 without a limit")
        << fakeTree({{QStringLiteral("proc/self/cgroup"), "4:memory:/grp\n"},
                     {v1 + "memory.limit_in_bytes", "9223372036854771712\n"},
                     {v1 + "memory.usage_in_bytes", "7516192768\n"}})
        << 8192 * MB;
    QTest::newRow("address-space limit against VmSize")
        << fakeTree(
               {{QStringLiteral("proc/self/limits"),
                 "Max data size             unlimited            unlimited    bytes\n"
                 "Max address space         1500000000           unlimited    bytes\n"},
                {QStringLiteral("proc/self/status"), "VmSize:   500000 kB\nVmData: 100000 kB\n"}})
        << qint64(1500000000 - 500000 * 1024);
    QTest::newRow("data limit against VmData")
        << fakeTree(
               {{QStringLiteral("proc/self/limits"),
                 "Max data size             1000000000           unlimited    bytes\n"
                 "Max address space         unlimited            unlimited    bytes\n"},
                {QStringLiteral("proc/self/status"), "VmSize: 4000000 kB\nVmData: 200000 kB\n"}})
        << qint64(1000000000 - 200000 * 1024);
}

void TestFileFormat::gaugeReadsTheSystemsLimits()
{
    QFETCH(FakeTree, tree);
    QFETCH(qint64, available);
    const QTemporaryDir root;
    for (auto file = tree.cbegin(); file != tree.cend(); ++file) {
        const QString path = root.filePath(file.key());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.value()) == file.value().size());
    }
    const SystemMemoryGauge gauge(root.filePath(QStringLiteral("proc")),
                                  root.filePath(QStringLiteral("sys")));
    QCOMPARE(gauge.available(), available < 0 ? std::nullopt : std::optional<qint64>(available));
}

// What each load may take is what is left for it now: it shrinks when
// another load starts or takes more than it held, and grows when memory is
// given back; a charge that does not fit takes nothing.
void TestFileFormat::loadsShareOneMemoryAccount()
{
    qint64 system = 1000 * MB;
    MemoryAccount account([&system] { return std::optional<qint64>(system); }, 0);
    const std::shared_ptr<MemoryReservation> first = account.reserve(300 * MB);
    QCOMPARE(first->budget(), 1000 * MB);
    std::shared_ptr<MemoryReservation> second = account.reserve(200 * MB);
    QCOMPARE(first->budget(), 800 * MB);
    QCOMPARE(second->budget(), 700 * MB);
    QVERIFY(first->take(400 * MB));
    QCOMPARE(second->budget(), 600 * MB);
    QVERIFY(!first->take(401 * MB));
    QCOMPARE(first->budget(), 400 * MB);
    std::optional<MemoryCharge> cache = account.charge(100 * MB);
    QVERIFY(cache);
    QCOMPARE(first->budget(), 300 * MB);
    second.reset();
    QCOMPARE(first->budget(), 500 * MB);
    cache.reset();
    QCOMPARE(first->budget(), 600 * MB);
    // Another program ended: a charge beyond the last reading reads again.
    system = 1200 * MB;
    const std::optional<MemoryCharge> pieces = account.charge(700 * MB);
    QVERIFY(pieces);
    QCOMPARE(first->budget(), 500 * MB);
    system = 500 * MB; // as the system now sees them
    QVERIFY(!account.charge(501 * MB));
    QCOMPARE(account.left(), 500 * MB);
}

// A second file while the first still loads has only what the first does
// not hold; a large paste too.
void TestFileFormat::secondLoadIsRefusedWhatTheFirstHolds()
{
    FakeMemoryGauge gauge;
    gauge.bytes = 1000 * MB;
    LoadMemory memory(gauge);
    QString refusal;
    std::shared_ptr<MemoryReservation> first = memory.reserve(500 * MB, refusal);
    QVERIFY(first);
    QVERIFY(!memory.reserve(500 * MB, refusal));
    QCOMPARE(refusal, QStringLiteral("Il file richiede circa 533 MB di memoria, ma il programma "
                                     "ne ha a disposizione solo 404 MB."));
    QCOMPARE(memory.refusalFor(110 * MB),
             QStringLiteral("Memoria insufficiente: il testo richiede circa 440 MB, ma il "
                            "programma ne ha a disposizione solo 404 MB."));
    first.reset();
    QVERIFY(memory.reserve(500 * MB, refusal));
    QCOMPARE(memory.refusalFor(110 * MB), std::nullopt);
}

QTEST_MAIN(TestFileFormat)
#include "tst_fileformat.moc"
