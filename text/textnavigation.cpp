#include "textnavigation.h"

#include "textmodel.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace TextNavigation {

namespace {

// Boundaries are found in a window of the line around the position: no
// character cluster or word worth moving by is longer.
constexpr qint64 Reach = 256;

struct Window
{
    QString text;
    qint64 start = 0; ///< position of text[0]
};

Window windowAround(const TextModel &model, qint64 position, qint64 before, qint64 after)
{
    const LineBounds line = model.lineBounds(model.lineAt(position));
    const qint64 from = std::max(line.start, position - before);
    const qint64 to = std::min(line.end, position + after);
    return {model.text(from, to), from};
}

bool isBoundary(QTextBoundaryFinder &finder, qint64 offset)
{
    finder.setPosition(qsizetype(offset));
    return finder.isAtBoundary();
}

} // namespace

qint64 snapped(const TextModel &model, qint64 position, bool forward)
{
    position = std::clamp<qint64>(position, 0, model.length());
    const LineBounds line = model.lineBounds(model.lineAt(position));
    if (position > line.end) // between the CR and the LF of a pair
        return forward ? line.next : line.end;
    if (position == line.start || position == line.end)
        return position;
    const Window window = windowAround(model, position, Reach, Reach);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window.text);
    if (isBoundary(finder, position - window.start))
        return position;
    const qsizetype found = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    if (found < 0)
        return forward ? window.start + window.text.size() : window.start;
    return window.start + found;
}

qint64 nextCharacter(const TextModel &model, qint64 position)
{
    const LineBounds line = model.lineBounds(model.lineAt(position));
    if (position >= line.end)
        return line.next;
    const Window window = windowAround(model, position, 0, Reach);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window.text);
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? line.end : window.start + next;
}

qint64 previousCharacter(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    const qint64 start = model.lineStart(line);
    if (position <= start)
        return line > 0 ? model.lineEnd(line - 1) : 0;
    const Window window = windowAround(model, position, Reach, 0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window.text);
    finder.toEnd();
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? start : window.start + previous;
}

qint64 nextWord(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    const qint64 end = model.lineEnd(line);
    if (position >= end)
        return nextCharacter(model, position);
    const Window window = windowAround(model, position, 0, Reach);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, window.text);
    for (qsizetype next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        if (next == window.text.size())
            return window.start + next;
        if (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem)
            return window.start + next;
    }
    return window.start + window.text.size();
}

qint64 previousWord(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    const qint64 start = model.lineStart(line);
    if (position <= start)
        return previousCharacter(model, position);
    const Window window = windowAround(model, position, Reach, 0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, window.text);
    finder.toEnd();
    for (qsizetype previous = finder.toPreviousBoundary(); previous >= 0;
         previous = finder.toPreviousBoundary()) {
        if (previous == 0 || (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
            return window.start + previous;
    }
    return window.start;
}

Range wordAt(const TextModel &model, qint64 position)
{
    const Window window = windowAround(model, position, Reach, Reach);
    if (window.text.isEmpty())
        return {position, position};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, window.text);
    qsizetype offset = std::min<qsizetype>(position - window.start, window.text.size() - 1);
    finder.setPosition(offset + 1);
    if (!finder.isAtBoundary())
        finder.toNextBoundary();
    const qsizetype to = std::max<qsizetype>(finder.position(), offset + 1);
    finder.setPosition(offset);
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    const qsizetype from = std::max<qsizetype>(finder.position(), 0);
    return {snapped(model, window.start + from), snapped(model, window.start + to)};
}

} // namespace TextNavigation
