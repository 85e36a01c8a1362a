#include "textnavigation.h"

#include "textboundaries.h"
#include "textmodel.h"
#include "textwords.h"

#include <algorithm>

namespace TextNavigation {

namespace {

using TextBoundaries::MaxReach;
constexpr auto Character = TextBoundaries::Unit::Character;

// Inside a character longer than MaxReach (a letter with thousands of
// marks) the caret stands between code points, so that it never gets stuck;
// never between the halves of a surrogate pair.
qint64 codePointStep(const TextModel &model, qint64 position, bool forward)
{
    if (forward)
        return QChar::isHighSurrogate(model.at(position)) &&
                       QChar::isLowSurrogate(model.at(position + 1))
                   ? position + 2
                   : position + 1;
    return QChar::isLowSurrogate(model.at(position - 1)) &&
                   QChar::isHighSurrogate(model.at(position - 2))
               ? position - 2
               : position - 1;
}

qint64 codePointSnapped(const TextModel &model, qint64 position, bool forward)
{
    if (QChar::isLowSurrogate(model.at(position)) && QChar::isHighSurrogate(model.at(position - 1)))
        return forward ? position + 1 : position - 1;
    return position;
}

} // namespace

qint64 snapped(const TextModel &model, qint64 position, bool forward)
{
    position = std::clamp<qint64>(position, 0, model.length());
    const LineBounds line = model.lineBounds(model.lineAt(position));
    if (position > line.end) // between the CR and the LF of a pair
        return forward ? line.next : line.end;
    if (TextBoundaries::isBoundary(model, position, Character))
        return position;
    const qint64 before = TextBoundaries::previous(model, position, Character);
    const qint64 after = before < 0 ? -1 : TextBoundaries::next(model, before, Character);
    if (after < 0) // inside a character longer than MaxReach
        return codePointSnapped(model, position, forward);
    return forward ? after : before;
}

qint64 nextCharacter(const TextModel &model, qint64 position)
{
    const LineBounds line = model.lineBounds(model.lineAt(position));
    if (position >= line.end)
        return line.next;
    const qint64 next = TextBoundaries::next(model, position, Character);
    return next < 0 ? codePointStep(model, position, true) : next;
}

qint64 previousCharacter(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    const qint64 start = model.lineStart(line);
    if (position <= start)
        return line > 0 ? model.lineEnd(line - 1) : 0;
    const qint64 previous = TextBoundaries::previous(model, position, Character);
    return previous < 0 ? codePointStep(model, position, false) : previous;
}

qint64 nextWord(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    if (position >= model.lineEnd(line))
        return nextCharacter(model, position);
    const qint64 next = TextWords::nextStart(model, position);
    if (next < 0)
        return snapped(model, position + MaxReach);
    // Past the line's last word to the next line's start, as in the
    // platform's text boxes, never to the bare line break.
    return next >= model.lineEnd(line) ? nextCharacter(model, model.lineEnd(line)) : next;
}

qint64 previousWord(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    if (position <= model.lineStart(line)) {
        // From a line's start to the start of the last word before it, as
        // in the platform's text boxes, never to the bare line break.
        const qint64 end = previousCharacter(model, position);
        return end < position && end > model.lineStart(model.lineAt(end)) ? previousWord(model, end)
                                                                          : end;
    }
    const qint64 previous = TextWords::previousStart(model, position);
    return previous < 0 ? snapped(model, position - MaxReach, true) : previous;
}

Range wordAt(const TextModel &model, qint64 position)
{
    const qint64 line = model.lineAt(position);
    const qint64 start = model.lineStart(line);
    const qint64 end = model.lineEnd(line);
    if (start == end)
        return {position, position};
    // At the line's end (or in its break), the character before it.
    const qint64 offset = std::clamp<qint64>(position, start, end - 1);
    const TextBoundaries::Range word = TextWords::at(model, offset);
    return {snapped(model, word.from), snapped(model, word.to, true)};
}

} // namespace TextNavigation
