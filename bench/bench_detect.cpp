// How long telling a file's encoding and line ends takes, in process, on the
// sample that is all detection reads, for the kinds of files people have.
// The file's size does not enter: the same sample is read from a small file
// or a huge one. Prints figures only.
//
// Usage: bench_detect [rounds]   (default: 200)

#include "textfile/detection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTextStream>

#include <algorithm>

using namespace TextFileFormat;

namespace {

QByteArray repeatedTo(const QByteArray &piece, qsizetype size)
{
    QByteArray out;
    while (out.size() < size)
        out += piece;
    out.truncate(size);
    return out;
}

QByteArray encoded(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

struct Sample
{
    const char *name;
    QByteArray head;
};

QList<Sample> samples()
{
    const QString italian = QStringLiteral(
        "Perché la città è più bella d'estate? Così dicono: «caffè, tè e però» — 12 €.\r\n");
    QByteArray random(DetectionSample, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &b : random)
        b = char(generator.bounded(256));
    return {
        {"Italian, UTF-8", repeatedTo(italian.toUtf8(), DetectionSample)},
        {"Italian, Windows-1252", repeatedTo(encoded("windows-1252", italian), DetectionSample)},
        {"Italian, UTF-16 LE with a mark",
         "\xFF\xFE" + repeatedTo(encoded("UTF-16LE", italian), DetectionSample - 2)},
        {"Italian, UTF-16 BE without a mark",
         repeatedTo(encoded("UTF-16BE", italian), DetectionSample)},
        {"Russian, Windows-1251",
         repeatedTo(encoded("windows-1251",
                            QStringLiteral("Москва — столица России, город на реке Москве.\r\n")),
                    DetectionSample)},
        {"Polish, ISO-8859-2",
         repeatedTo(encoded("ISO-8859-2", QStringLiteral("Zażółć gęślą jaźń, powiedział.\r\n")),
                    DetectionSample)},
        {"Japanese, Shift_JIS",
         repeatedTo(encoded("Shift_JIS", QStringLiteral("日本語のテキストです。\n")),
                    DetectionSample)},
        {"random bytes", random},
        {"ASCII, LF lines", repeatedTo("#!/bin/sh\necho ciao\n", DetectionSample)},
    };
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;
    QTextStream out(stdout);
    out << "| sample of " << (DetectionSample >> 10)
        << " KiB | detected as | median ms | worst ms |\n"
        << "|---|---|---:|---:|\n";
    for (const Sample &sample : samples()) {
        QList<double> times;
        FileFormat format;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            format = detectFormat(sample.head, qint64(1) << 40);
            times << double(timer.nsecsElapsed()) / 1e6;
        }
        std::sort(times.begin(), times.end());
        const QString lineEnds =
            format.lineBreak == LineBreak::Lf ? QStringLiteral(", LF") : QString();
        out << "| " << sample.name << " | " << format.encoding.displayName() << lineEnds << " | "
            << times[times.size() / 2] << " | " << times.last() << " |\n";
    }
    return 0;
}
