#include "textboundaries.h"

#include "textmodel.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace TextBoundaries {

namespace {

LineBounds lineOf(const TextModel &model, qint64 position)
{
    return model.lineBounds(model.lineAt(position));
}

QTextBoundaryFinder::BoundaryType finderType(Unit unit)
{
    return unit == Unit::Sentence ? QTextBoundaryFinder::Sentence : QTextBoundaryFinder::Grapheme;
}

} // namespace

bool isBoundary(const TextModel &model, qint64 position, Unit unit)
{
    const LineBounds line = lineOf(model, position);
    if (position <= line.start || position >= line.end)
        return true;
    const qint64 from = std::max(line.start, position - FirstReach);
    QTextBoundaryFinder finder(finderType(unit),
                               model.text(from, std::min(line.end, position + FirstReach)));
    finder.setPosition(qsizetype(position - from));
    return finder.isAtBoundary();
}

qint64 next(const TextModel &model, qint64 position, Unit unit)
{
    const LineBounds line = lineOf(model, position);
    if (position >= line.end)
        return line.end;
    const qint64 from = std::max(line.start, position - Context);
    for (qint64 reach = FirstReach;; reach *= 2) {
        const qint64 to = std::min(line.end, position + reach + Context);
        const qint64 sure = to == line.end ? to : to - Context;
        QTextBoundaryFinder finder(finderType(unit), model.text(from, to));
        finder.setPosition(qsizetype(position - from));
        if (const qsizetype found = finder.toNextBoundary(); found >= 0 && from + found <= sure)
            return from + found;
        if (to == line.end || reach >= MaxReach)
            return -1;
    }
}

qint64 previous(const TextModel &model, qint64 position, Unit unit)
{
    const LineBounds line = lineOf(model, position);
    if (position <= line.start)
        return line.start;
    const qint64 to = std::min(line.end, position + Context);
    for (qint64 reach = FirstReach;; reach *= 2) {
        const qint64 from = std::max(line.start, position - reach - Context);
        const qint64 sure = from == line.start ? from : from + Context;
        QTextBoundaryFinder finder(finderType(unit), model.text(from, to));
        finder.setPosition(qsizetype(position - from));
        if (const qsizetype found = finder.toPreviousBoundary(); found >= 0 && from + found >= sure)
            return from + found;
        if (from == line.start || reach >= MaxReach)
            return -1;
    }
}

Range itemAt(const TextModel &model, qint64 offset, Unit unit)
{
    const LineBounds line = lineOf(model, offset);
    qint64 from = isBoundary(model, offset, unit) ? offset : previous(model, offset, unit);
    qint64 to = next(model, offset, unit);
    if (from < 0)
        from = std::max(line.start, offset - MaxReach);
    if (to < 0)
        to = std::min(line.end, offset + MaxReach);
    return {from, to};
}

} // namespace TextBoundaries
