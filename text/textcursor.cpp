#include "textcursor.h"

#include "textmodel.h"
#include "textnavigation.h"

void TextCursor::setPosition(qint64 position, bool extend)
{
    position_ = TextNavigation::snapped(model_, position);
    if (!extend)
        anchor_ = position_;
}

void TextCursor::select(qint64 anchor, qint64 position)
{
    anchor_ = TextNavigation::snapped(model_, anchor);
    position_ = TextNavigation::snapped(model_, position);
}

void TextCursor::insert(QStringView text)
{
    const qint64 from = selectionStart();
    model_.replace(from, selectionEnd(), text);
    // A CR typed before an LF joins it; the caret then goes after the pair.
    anchor_ = position_ = TextNavigation::snapped(model_, from + text.size(), true);
}

void TextCursor::insert(const QString &text)
{
    const qint64 from = selectionStart();
    model_.replace(from, selectionEnd(), text);
    // A CR typed before an LF joins it; the caret then goes after the pair.
    anchor_ = position_ = TextNavigation::snapped(model_, from + text.size(), true);
}

void TextCursor::removeRange(qint64 from, qint64 to)
{
    model_.replace(from, to, QStringView());
    anchor_ = position_ = from;
}

void TextCursor::deletePrevious()
{
    if (hasSelection())
        removeRange(selectionStart(), selectionEnd());
    else if (position_ > 0)
        removeRange(TextNavigation::previousCharacter(model_, position_), position_);
}

void TextCursor::deleteNext()
{
    if (hasSelection())
        removeRange(selectionStart(), selectionEnd());
    else if (position_ < model_.length())
        removeRange(position_, TextNavigation::nextCharacter(model_, position_));
}

void TextCursor::follow(qint64 position, qint64 removed, qint64 added)
{
    auto moved = [&](qint64 p) {
        if (p >= position + removed && p > position)
            return p + added - removed;
        return p > position ? position + added : p;
    };
    anchor_ = moved(anchor_);
    position_ = moved(position_);
}
