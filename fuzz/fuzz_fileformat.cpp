// Reads the input as a file, whole and in pieces, into a string and into a
// text model with small chunks, and as the program loads a file (in parts,
// on threads), and writes it back: every way must give the same text, and
// writing must give the file's bytes with its line ends made CR LF. The
// input read as UTF-16 text must be written the same way whole and streamed
// from a model, or refused by both.

#include "modelcheck.h"

#include "text/plainbytes.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "text/textsink.h"
#include "textfile/bytecounting.h"
#include "textfile/escapes.h"
#include "textfile/fileload.h"
#include "textfile/filesnapshot.h"
#include "textfile/piececounter.h"
#include "textfile/piecedecoding.h"
#include "textfile/textdecoder.h"
#include "textfile/textfileformat.h"

#include <QByteArray>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>
#include <optional>

using TextFileFormat::Encoding;

namespace {

// Sizes of the pieces a file is read in, mostly small so that characters
// and CR LF pairs are cut between them.
class Pieces
{
public:
    explicit Pieces(unsigned seed) : state_(seed | 1u) {}
    qsizetype next(qsizetype left)
    {
        state_ = state_ * 1103515245u + 12345u;
        const unsigned value = state_ >> 16;
        return 1 + qsizetype(value % unsigned(std::min<qsizetype>(left, value & 1 ? 5 : 300)));
    }

private:
    unsigned state_;
};

QByteArray lineEndsMadeCrLf(QByteArrayView file)
{
    QByteArray out;
    for (qsizetype i = 0; i < file.size(); ++i) {
        out += file[i];
        if (file[i] == '\r' && (i + 1 == file.size() || file[i + 1] != '\n'))
            out += '\n';
    }
    if (!out.isEmpty() && !out.endsWith("\r\n"))
        out += "\r\n";
    return out;
}

void decodeInPieces(QByteArrayView file, Encoding encoding, unsigned seed, TextSink &sink,
                    TextModelAppender *appender)
{
    TextFileFormat::Decoder decoder(encoding);
    Pieces pieces(seed);
    for (qsizetype at = 0; at < file.size();) {
        const qsizetype size = pieces.next(file.size() - at);
        decoder.decode(file.sliced(at, size), sink);
        at += size;
        if (appender && size % 3 == 0)
            appender->flush();
    }
    decoder.finish(sink);
    if (appender)
        appender->flush();
}

std::optional<QByteArray> streamed(const TextModel &model, Encoding encoding)
{
    QByteArray bytes;
    const bool written = TextFileFormat::encode(
        model,
        [&bytes](QByteArrayView piece) {
            bytes += piece;
            return true;
        },
        encoding);
    return written ? std::optional<QByteArray>(bytes) : std::nullopt;
}

// The input saved as a file and loaded as the program loads one: cut in
// parts after its LF bytes, decoded on threads in blocks of a small size;
// half the time with its plain text kept where it was read.
void checkFileLoad(QByteArrayView file, Encoding encoding, qsizetype chunkSize, unsigned seed,
                   const QString &text)
{
    QTemporaryFile saved;
    FUZZ_CHECK(saved.open() && saved.write(file.data(), file.size()) == file.size() &&
               saved.flush());
    TextModel model(chunkSize);
    TextModelAppender appender(model);
    FileLoad::Options options;
    options.blockSize = 1 + seed % 37;
    options.threads = 1 + int(seed % 3);
    options.partSize = 1 + seed % 11;
    options.readInPlace = seed % 2 == 0;
    options.format = TextFileFormat::FileFormat{encoding, LineBreak::CrLf};
    std::shared_ptr<FileSnapshot> snapshot = FileSnapshot::open(saved.fileName());
    FUZZ_CHECK(snapshot);
    FileLoad load(std::move(snapshot), appender.chunkBuilder(), options);
    load.start({});
    while (!load.isFinished())
        appender.append(load.take().chunks);
    FUZZ_CHECK(!load.failure());
    checkModel(model, text);
}

// Every width of the scan of plain bytes against the narrowest, from the
// first starting points: the end of a run, and the summary of bytes that are
// all plain.
void checkPlainBytes(QByteArrayView file)
{
    const auto *bytes = reinterpret_cast<const uchar *>(file.data());
    const std::vector<PlainBytes::Width> widths = PlainBytes::availableWidths();
    for (qsizetype from = 0; from < std::min<qsizetype>(file.size(), 64); ++from) {
        const qsizetype end = PlainBytes::runEnd(bytes, from, file.size(), widths.front());
        const std::optional<LineSummary> word =
            PlainBytes::summary(bytes + from, file.size() - from, widths.front());
        for (const PlainBytes::Width width : widths) {
            FUZZ_CHECK(PlainBytes::runEnd(bytes, from, file.size(), width) == end);
            FUZZ_CHECK(PlainBytes::summary(bytes + from, file.size() - from, width) == word);
        }
    }
}

// The input as a piece of a file, ending its text or not: counted from
// its bytes where the encoding allows it (always, for a code page of one
// byte a character and for valid UTF-8), the summary and whether its bytes
// are its text are those of its decoding, with every width of the count.
void checkPieceCount(QByteArrayView file, const Encoding &encoding, LineBreak lineBreak,
                     bool endsText)
{
    const TextFileFormat::FileFormat format{encoding, lineBreak};
    const PieceText text =
        PieceDecoding::decode(format, file.data(), file.size(), nullptr, endsText);
    LineSummary decoded = text.characters.summary();
    decoded.wide = 0;
    const std::optional<PieceCounter::Counted> counted =
        PieceCounter(format).count(file.data(), file.size(), endsText);
    const bool utf8 = encoding.form() == Encoding::Form::Utf8;
    const bool valid = TextFileFormat::nextLoneSurrogate(
                           TextFileFormat::decode(file, encoding.withMark(false))) < 0;
    FUZZ_CHECK(counted.has_value() == (utf8 ? valid : encoding.codePageName() == "windows-1252"));
    if (counted) {
        FUZZ_CHECK(counted->summary == decoded);
        FUZZ_CHECK(counted->bytesAreText == text.bytesAreText);
    }
    if (!utf8)
        return;
    const auto *bytes = reinterpret_cast<const uchar *>(file.data());
    for (const ByteCounting::Width width : ByteCounting::availableWidths()) {
        const std::optional<ByteCounting::Count> count =
            ByteCounting::utf8(bytes, file.size(), width);
        FUZZ_CHECK(count.has_value() == valid);
        FUZZ_CHECK(!count || endsText || count->summary == decoded);
    }
}

void checkArbitraryText(QByteArrayView data, Encoding encoding, qsizetype chunkSize)
{
    QString text(data.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), data.data(), size_t(text.size()) * 2); // the input may be unaligned
    TextModel model(chunkSize);
    model.setText(text);
    const std::optional<QByteArray> whole = TextFileFormat::encode(text, encoding);
    // The first character that cannot be written: all before it can, and
    // it cannot, on its own.
    const std::optional<qint64> at = TextFileFormat::firstUnwritable(model, encoding);
    FUZZ_CHECK(at.has_value() != whole.has_value());
    if (at) {
        const QStringView rest = QStringView(text).sliced(*at);
        const bool pair = rest.size() > 1 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate();
        FUZZ_CHECK(TextFileFormat::encode(QStringView(text).first(*at), encoding).has_value());
        FUZZ_CHECK(!TextFileFormat::encode(rest.first(pair ? 2 : 1), encoding).has_value());
    }
    if (whole)
        FUZZ_CHECK(streamed(model, encoding) == whole);
}

// Every encoding a file may be read in: the low bits of the first byte
// choose, the file's own start says whether it has a mark.
Encoding encodingFor(unsigned char choice, QByteArrayView whole)
{
    static const Encoding encodings[] = {
        Encoding::utf8(),
        Encoding::codePage(),
        Encoding::codePage("windows-1252"),
        Encoding::codePage("Shift_JIS"),
        Encoding::unicode(Encoding::Form::Utf16LE, false),
        Encoding::unicode(Encoding::Form::Utf16BE, false),
        Encoding::unicode(Encoding::Form::Utf32LE, false),
        Encoding::unicode(Encoding::Form::Utf32BE, false),
    };
    const Encoding encoding = encodings[choice % std::size(encodings)];
    return encoding.withMark(encoding.isUnicode() &&
                             whole.startsWith(encoding.withMark(true).mark()));
}

// The text written back, whole and streamed from the model that holds it.
void checkWritten(QByteArrayView file, const Encoding &encoding, const QString &text,
                  const TextModel &model)
{
    const std::optional<QByteArray> written = TextFileFormat::encode(text, encoding);
    // A file of one-byte units comes back byte for byte but for its line
    // ends; UTF-16 and UTF-32 ones come back as the same text.
    if (encoding.unitSize() == 1)
        FUZZ_CHECK(*written == encoding.mark().toByteArray() + lineEndsMadeCrLf(file));
    FUZZ_CHECK(TextFileFormat::canEncode(model, encoding));
    FUZZ_CHECK(streamed(model, encoding) == written);
    FUZZ_CHECK(TextFileFormat::decode(*written, encoding) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size < 2)
        return 0;
    const QByteArrayView whole(data + 2, qsizetype(size) - 2);
    const Encoding encoding = encodingFor(data[0], whole);
    const qsizetype chunkSize = 4 + (data[0] >> 3) % 29;
    const QByteArrayView file = whole.sliced(encoding.mark().size());
    const QString text = TextFileFormat::decode(whole, encoding);

    QString pieced;
    StringSink sink(pieced);
    decodeInPieces(file, encoding, data[1], sink, nullptr);
    FUZZ_CHECK(pieced == text);

    TextModel model(chunkSize);
    TextModelAppender appender(model);
    decodeInPieces(file, encoding, data[1] + 1u, appender, &appender);
    checkModel(model, text);
    // A load starts threads and writes a file: one input in four, so that
    // the checks above keep most of the fuzzer's time.
    if (data[1] % 4 == 0)
        checkFileLoad(whole, encoding, chunkSize, data[1] / 4u, text);
    checkPlainBytes(file);
    checkPieceCount(file, encoding, data[1] % 2 ? LineBreak::Lf : LineBreak::CrLf, data[1] % 4 < 2);
    checkWritten(file, encoding, text, model);
    checkArbitraryText(whole, encoding, chunkSize);
    return 0;
}
