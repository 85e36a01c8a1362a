#pragma once

#include "text/linebreak.h"

// Sample text files for the file tests, and what the editor must make of them.

#include <QByteArray>
#include <QRandomGenerator>

#include <iterator>

// What a file must look like after Open and Save: lines end at CR or CR LF,
// each is written back followed by CR LF, and every other byte stays.
inline QByteArray normalised(const QByteArray &file, LineBreak lineBreak = LineBreak::CrLf,
                             qsizetype markSize = 0)
{
    if (markSize > 0)
        return file.first(markSize) + normalised(file.sliced(markSize), lineBreak);
    if (lineBreak == LineBreak::Lf)
        return file.isEmpty() || file.endsWith('\n') ? file : file + '\n';
    QByteArray out;
    QByteArray line;
    for (qsizetype i = 0; i < file.size(); ++i) {
        if (file[i] != '\r') {
            line += file[i];
            continue;
        }
        out += line + "\r\n";
        line.clear();
        if (i + 1 < file.size() && file[i + 1] == '\n')
            ++i;
    }
    if (!line.isEmpty())
        out += line + "\r\n";
    return out;
}

// Files made of the pieces that trouble decoders and line splitters.
inline QByteArray randomFile(QRandomGenerator &random)
{
    static const QByteArray pieces[] = {
        "a",
        "Z",
        " ",
        "\t",
        QByteArray(1, '\0'),
        "\r",
        "\n",
        "\r\n",
        "\n\r",
        "\r\r\n",
        "\xc3\xa8",         // è
        "\xe2\x80\xa8",     // U+2028
        "\xe2\x80\xa9",     // U+2029
        "\xef\xbb\xbf",     // U+FEFF
        "\xef\xb7\x90",     // U+FDD0
        "\xc2\xa0",         // U+00A0
        "\xf0\x9f\x98\x80", // U+1F600
        "\xf0\x90\x82\x80", // U+10080: its low surrogate looks like an escape
        "\x80",
        "\xbf",
        "\xff",
        "\xfe",
        "\xc0\xaf",
        "\xc1\xbf",         // never valid
        "\xe0\x80\xaf",     // overlong
        "\xed\xa0\x80",     // an encoded surrogate
        "\xf4\x90\x80\x80", // past U+10FFFF
        "\xe2\x82",
        "\xf0\x9f\x98",
        "\xc3",         // cut short
        "\xee\x80\x80", // private use
    };
    QByteArray file;
    const int count = random.bounded(40);
    for (int i = 0; i < count; ++i) {
        if (random.bounded(50) == 0)
            file += QByteArray(random.bounded(3000), 'x'); // a long line
        else
            file += pieces[random.bounded(int(std::size(pieces)))];
    }
    return file;
}
