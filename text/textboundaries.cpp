#include "textboundaries.h"

#include "textmodel.h"

#include <algorithm>

namespace TextBoundaries {

namespace {

// A boundary this close to a window's edge inside the line may depend on
// what lies beyond it ("a.b" is one word, "a." two), so it is trusted only
// once the window has grown past it.
constexpr qint64 Context = 16;

struct Line
{
    qint64 start;
    qint64 end;
};

Line lineOf(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    return {model.lineStart(line), model.lineEnd(line)};
}

bool wanted(const QTextBoundaryFinder &finder, Reasons reasons)
{
    return !reasons || (finder.boundaryReasons() & reasons);
}

} // namespace

bool isBoundary(const TextModel &model, qint64 position, Type type)
{
    const Line line = lineOf(model, position);
    if (position <= line.start || position >= line.end)
        return true;
    const qint64 from = std::max(line.start, position - FirstReach);
    QTextBoundaryFinder finder(type, model.text(from, std::min(line.end, position + FirstReach)));
    finder.setPosition(qsizetype(position - from));
    return finder.isAtBoundary();
}

qint64 next(const TextModel &model, qint64 position, Type type, Reasons reasons)
{
    const Line line = lineOf(model, position);
    if (position >= line.end)
        return line.end;
    const qint64 from = std::max(line.start, position - Context);
    for (qint64 reach = FirstReach;; reach *= 2) {
        const qint64 to = std::min(line.end, position + reach + Context);
        const qint64 sure = to == line.end ? to : to - Context;
        QTextBoundaryFinder finder(type, model.text(from, to));
        finder.setPosition(qsizetype(position - from));
        for (qsizetype found = finder.toNextBoundary(); found >= 0 && from + found <= sure;
             found = finder.toNextBoundary()) {
            if (from + found == line.end || wanted(finder, reasons))
                return from + found;
        }
        if (to == line.end || reach >= MaxReach)
            return -1;
    }
}

qint64 previous(const TextModel &model, qint64 position, Type type, Reasons reasons)
{
    const Line line = lineOf(model, position);
    if (position <= line.start)
        return line.start;
    const qint64 to = std::min(line.end, position + Context);
    for (qint64 reach = FirstReach;; reach *= 2) {
        const qint64 from = std::max(line.start, position - reach - Context);
        const qint64 sure = from == line.start ? from : from + Context;
        QTextBoundaryFinder finder(type, model.text(from, to));
        finder.setPosition(qsizetype(position - from));
        for (qsizetype found = finder.toPreviousBoundary(); found >= 0 && from + found >= sure;
             found = finder.toPreviousBoundary()) {
            if (from + found == line.start || wanted(finder, reasons))
                return from + found;
        }
        if (from == line.start || reach >= MaxReach)
            return -1;
    }
}

Range itemAt(const TextModel &model, qint64 offset, Type type)
{
    const Line line = lineOf(model, offset);
    qint64 from = isBoundary(model, offset, type) ? offset : previous(model, offset, type);
    qint64 to = next(model, offset, type);
    if (from < 0)
        from = std::max(line.start, offset - MaxReach);
    if (to < 0)
        to = std::min(line.end, offset + MaxReach);
    return {from, to};
}

} // namespace TextBoundaries
