#pragma once

#include "fuzzcheck.h"

#include "text/textmodel.h"

#include <QList>
#include <QString>

#include <algorithm>

// Checks everything a text model tells about its text against a plain scan
// of the string it should hold: the characters, the lines with their
// starts and ends, the longest line, the line of every position.
inline void checkModel(const TextModel &model, const QString &text)
{
    FUZZ_CHECK(model.length() == text.size());
    FUZZ_CHECK(model.text() == text);
    QList<qint64> starts = {0};
    QList<qint64> ends;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        if (!pair && text[i] != u'\r' && text[i] != u'\n')
            continue;
        ends << i;
        i += pair ? 1 : 0;
        starts << i + 1;
    }
    ends << text.size();
    FUZZ_CHECK(model.lineCount() == starts.size());
    qint64 longest = 0;
    for (qsizetype line = 0; line < starts.size(); ++line) {
        FUZZ_CHECK(model.lineStart(line) == starts[line]);
        FUZZ_CHECK(model.lineEnd(line) == ends[line]);
        longest = std::max(longest, ends[line] - starts[line]);
    }
    FUZZ_CHECK(model.longestLineLength() == longest);
    qint64 line = 0;
    for (qint64 position = 0; position <= text.size(); ++position) {
        while (line + 1 < starts.size() && starts[line + 1] <= position)
            ++line;
        FUZZ_CHECK(model.lineAt(position) == line);
        FUZZ_CHECK(model.at(position) == (position < text.size() ? text[position].unicode() : 0));
    }
    // Out of range, lines and positions are clamped.
    FUZZ_CHECK(model.lineStart(-1) == 0 && model.lineStart(starts.size()) == starts.last());
    FUZZ_CHECK(model.lineAt(-1) == 0 && model.lineAt(text.size() + 1) == starts.size() - 1);
    FUZZ_CHECK(model.at(-1) == 0);
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
