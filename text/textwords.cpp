#include "textwords.h"

#include "textmodel.h"
#include "wordcharacters.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <utility>

namespace TextWords {

namespace {

using TextBoundaries::Context;
using TextBoundaries::FirstReach;
using TextBoundaries::MaxReach;
using WordCharacters::Kind;

// A window of a line's text cut into characters as a reader sees them. The
// edges it gives lie where they are sure (see TextBoundaries::Context), or
// are -1.
class Window
{
public:
    Window(const TextModel &model, const LineBounds &line, qint64 from, qint64 to)
        : from_(from), text_(model.text(from, to)),
          characters_(QTextBoundaryFinder::Grapheme, text_),
          sureFrom_(from == line.start ? from : from + Context),
          sureTo_(to == line.end ? to : to - Context)
    {
    }

    qint64 sureTo() const { return sureTo_; }
    // The start of the character that holds position.
    qint64 start(qint64 position)
    {
        characters_.setPosition(qsizetype(position - from_));
        if (characters_.isAtBoundary())
            return position;
        return from_ + std::max<qsizetype>(0, characters_.toPreviousBoundary());
    }
    qint64 next(qint64 edge)
    {
        characters_.setPosition(qsizetype(edge - from_));
        return sure(characters_.toNextBoundary());
    }
    qint64 previous(qint64 edge)
    {
        characters_.setPosition(qsizetype(edge - from_));
        return sure(characters_.toPreviousBoundary());
    }
    // The kind of the character that starts at edge.
    Kind kindAt(qint64 edge) const
    {
        const QStringView rest = QStringView(text_).sliced(edge - from_);
        return WordCharacters::kindOf(WordCharacters::firstCodePoint(rest));
    }

private:
    qint64 sure(qsizetype found) const
    {
        const qint64 at = from_ + found;
        return found >= 0 && at >= sureFrom_ && at <= sureTo_ ? at : -1;
    }

    const qint64 from_;
    const QString text_;
    QTextBoundaryFinder characters_;
    const qint64 sureFrom_;
    const qint64 sureTo_;
};

struct Run
{
    qint64 from;
    qint64 to;
    bool cut; ///< stopped by the window's edge, not by the text
};

// The run of characters of one kind around offset; a character that is
// neither of a word nor blank is a run of its own.
Run runAround(Window &window, const LineBounds &line, qint64 offset)
{
    const qint64 start = window.start(offset);
    const Kind kind = window.kindAt(start);
    Run run{start, window.next(start), false};
    if (run.to < 0)
        return {start, window.sureTo(), true};
    if (kind == Kind::Other)
        return run;
    while (run.from > line.start) {
        const qint64 before = window.previous(run.from);
        if (before < 0) {
            run.cut = true;
            break;
        }
        if (window.kindAt(before) != kind)
            break;
        run.from = before;
    }
    while (run.to < line.end && window.kindAt(run.to) == kind) {
        const qint64 after = window.next(run.to);
        if (after < 0) {
            run.cut = true;
            break;
        }
        run.to = after;
    }
    return run;
}

} // namespace

TextBoundaries::Range at(const TextModel &model, qint64 offset)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    for (qint64 reach = FirstReach;; reach *= 2) {
        Window window(model, line, std::max(line.start, offset - reach - Context),
                      std::min(line.end, offset + reach + Context));
        const Run run = runAround(window, line, offset);
        if (!run.cut || reach >= MaxReach)
            return {run.from, run.to};
    }
}

qint64 nextStart(const TextModel &model, qint64 position)
{
    const LineBounds line = model.lineBounds(model.lineAt(position));
    if (position >= line.end)
        return line.end;
    for (qint64 reach = FirstReach; reach <= MaxReach; reach *= 2) {
        Window window(model, line, std::max(line.start, position - Context),
                      std::min(line.end, position + reach + Context));
        qint64 edge = window.start(position);
        Kind kind = window.kindAt(edge);
        for (qint64 after = window.next(edge); after >= 0; after = window.next(after)) {
            if (after == line.end)
                return line.end;
            const Kind before = std::exchange(kind, window.kindAt(after));
            if (kind == Kind::Word && before != Kind::Word)
                return after;
        }
    }
    return -1;
}

qint64 previousStart(const TextModel &model, qint64 position)
{
    const LineBounds line = model.lineBounds(model.lineAt(position));
    position = std::min(position, line.end);
    if (position <= line.start)
        return line.start;
    for (qint64 reach = FirstReach; reach <= MaxReach; reach *= 2) {
        Window window(model, line, std::max(line.start, position - reach - Context),
                      std::min(line.end, position + Context));
        for (qint64 edge = window.previous(position); edge >= 0;) {
            if (edge == line.start)
                return line.start;
            const qint64 before = window.previous(edge);
            if (before >= 0 && window.kindAt(edge) == Kind::Word &&
                window.kindAt(before) != Kind::Word)
                return edge;
            edge = before;
        }
    }
    return -1;
}

bool isWordBefore(const TextModel &model, qint64 position)
{
    if (position <= model.lineStart(model.lineAt(position)))
        return false;
    const qint64 start = TextBoundaries::previous(model, position, TextBoundaries::Unit::Character);
    if (start < 0) // inside a character longer than MaxReach: its last code point tells
        return WordCharacters::isWordCharacter(
            WordCharacters::lastCodePoint(model.text(position - 2, position)));
    return WordCharacters::kindOf(WordCharacters::firstCodePoint(model.text(start, position))) ==
           Kind::Word;
}

} // namespace TextWords
