// The program's detection and uchardet's on files whose encoding is known,
// for bench/score_detection.py. Reads lines "PATH<TAB>ENCODING" on its input
// and prints "PATH<TAB>OURS<TAB>RIGHT<TAB>UCHARDET<TAB>RIGHT" for each, where
// a guess is right (1) when the text it decodes is the text the file holds.
//
// Usage: bench_detect_corpus [LANGUAGE]   (the user's language; default: it)

#include "textfile/detection.h"
#include "textfile/textfileformat.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTextStream>

#include <uchardet/uchardet.h>

#include <memory>
#include <optional>

using namespace TextFileFormat;

namespace {

QByteArray uchardetGuess(const QByteArray &bytes)
{
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                         uchardet_delete);
    uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size()));
    uchardet_data_end(detector.get());
    return uchardet_get_charset(detector.get());
}

// The encoding an editor would read uchardet's answer as; nothing when it
// gave none or one no converter knows.
std::optional<Encoding> encodingNamed(const QByteArray &name)
{
    if (name == "ASCII" || name == "UTF-8")
        return Encoding::utf8();
    // uchardet's name for Windows' Korean page, which the converters know by another.
    if (name == "UHC")
        return Encoding::codePage("windows-949");
    if (name.isEmpty() || !QStringDecoder(name.constData()).isValid())
        return std::nullopt;
    return Encoding::codePage(name);
}

bool readsRight(const QByteArray &bytes, const std::optional<Encoding> &guess,
                const QString &expected)
{
    return guess && decode(bytes, *guess) == expected;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QLocale locale(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("it"));
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 2)
            continue;
        QFile file(fields[0]);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        const QString expected = decode(bytes, Encoding::codePage(fields[1].toLatin1()));
        const Encoding ours =
            detectFormat(bytes.first(std::min(bytes.size(), DetectionSample)), bytes.size(), locale)
                .encoding;
        const QByteArray theirs = uchardetGuess(bytes);
        out << fields[0] << '\t' << ours.displayName() << '\t'
            << int(readsRight(bytes, ours, expected)) << '\t' << theirs << '\t'
            << int(readsRight(bytes, encodingNamed(theirs), expected)) << '\n';
    }
    return 0;
}
