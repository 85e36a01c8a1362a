#pragma once

#include "fuzzcheck.h"

#include "text/lineiterator.h"
#include "text/textmodel.h"

#include <QChar>

#include <QList>
#include <QString>

#include <algorithm>

// The lines of a string as a plain scan finds them: where each starts and
// where its line break (or the text) ends it.
struct PlainLines
{
    explicit PlainLines(const QString &text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            if (!pair && text[i] != u'\r' && text[i] != u'\n')
                continue;
            ends << i;
            i += pair ? 1 : 0;
            starts << i + 1;
        }
        ends << text.size();
    }

    QList<qint64> starts = {0};
    QList<qint64> ends;
};

// The lines' starts and ends, the longest line, and the lines walked from
// a line to the end.
inline void checkLines(const TextModel &model, const QString &text, const PlainLines &lines)
{
    const QList<qint64> &starts = lines.starts;
    const QList<qint64> &ends = lines.ends;
    FUZZ_CHECK(model.lineCount() == starts.size());
    qint64 longest = 0;
    for (qsizetype line = 0; line < starts.size(); ++line) {
        FUZZ_CHECK(model.lineStart(line) == starts[line]);
        FUZZ_CHECK(model.lineEnd(line) == ends[line]);
        longest = std::max(longest, ends[line] - starts[line]);
    }
    FUZZ_CHECK(model.longestLineLength() == longest);
    const qsizetype first = text.size() % starts.size();
    qsizetype walked = first;
    for (LineIterator line(model, first); !line.atEnd(); line.next(), ++walked) {
        const qint64 next = walked + 1 < starts.size() ? starts[walked + 1] : text.size();
        FUZZ_CHECK(line.line() == walked);
        FUZZ_CHECK(line.bounds() == LineBounds({starts[walked], ends[walked], next}));
        FUZZ_CHECK(line.text() == text.mid(starts[walked], ends[walked] - starts[walked]));
    }
    FUZZ_CHECK(walked == starts.size());
}

// The stored pieces never cut a CR LF pair or a surrogate pair, so each
// counts its own line breaks.
inline void checkPieces(const TextModel &model)
{
    char16_t last = 0;
    model.forEachSpan(0, model.length(), [&last](const TextSpan &span) {
        FUZZ_CHECK(span.size > 0);
        FUZZ_CHECK(!(last == u'\r' && span.at(0) == u'\n'));
        FUZZ_CHECK(!(QChar::isHighSurrogate(last) && QChar::isLowSurrogate(span.at(0))));
        last = span.at(span.size - 1);
        return true;
    });
}

// The character and the line of every position; out of range, lines and
// positions are clamped.
inline void checkPositions(const TextModel &model, const QString &text, const PlainLines &lines)
{
    const QList<qint64> &starts = lines.starts;
    qint64 line = 0;
    for (qint64 position = 0; position <= text.size(); ++position) {
        while (line + 1 < starts.size() && starts[line + 1] <= position)
            ++line;
        FUZZ_CHECK(model.lineAt(position) == line);
        FUZZ_CHECK(model.at(position) == (position < text.size() ? text[position].unicode() : 0));
    }
    FUZZ_CHECK(model.lineStart(-1) == 0 && model.lineStart(starts.size()) == starts.last());
    FUZZ_CHECK(model.lineAt(-1) == 0 && model.lineAt(text.size() + 1) == starts.size() - 1);
    FUZZ_CHECK(model.at(-1) == 0);
}

// Checks everything a text model tells about its text against a plain scan
// of the string it should hold: the characters, the lines with their
// starts and ends, the longest line, the line of every position.
inline void checkModel(const TextModel &model, const QString &text)
{
    FUZZ_CHECK(model.length() == text.size());
    FUZZ_CHECK(model.text() == text);
    const PlainLines lines(text);
    checkLines(model, text, lines);
    checkPieces(model);
    checkPositions(model, text, lines);
}

// Checks a range of the text, read whole and piece by piece.
inline void checkRange(const TextModel &model, const QString &text, qint64 from, qint64 to)
{
    const qint64 start = std::clamp<qint64>(from, 0, text.size());
    const qint64 end = std::clamp<qint64>(to, start, text.size());
    const QString expected = text.mid(start, end - start);
    FUZZ_CHECK(model.text(from, to) == expected);
    QString spans;
    model.forEachSpan(from, to, [&spans](const TextSpan &span) {
        span.appendTo(spans);
        return true;
    });
    FUZZ_CHECK(spans == expected);
}
