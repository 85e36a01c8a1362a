#include "accessiblewindow.h"

#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <algorithm>

qint64 AccessibleWindow::end() const
{
    return whole_ ? model_.length() : to_;
}

int AccessibleWindow::offsetOf(qint64 position) const
{
    const qint64 offset = std::clamp<qint64>(position - start(), 0, length());
    return int(std::min<qint64>(offset, INT_MAX));
}

qint64 AccessibleWindow::positionOf(int offset) const
{
    return offset < 0 ? end() : start() + std::min<qint64>(offset, length());
}

// An insert at the window's end belongs to it only where the window ends
// with the text: elsewhere it starts the line after the window.
AccessibleWindow::Edit AccessibleWindow::classify(qint64 from, qint64 to, qint64 length) const
{
    if (whole_)
        return Edit::Inside;
    if (from >= from_ && to <= to_ && (from < to_ || to_ == length))
        return Edit::Inside;
    if (to < from_)
        return Edit::Before;
    if (from >= to_)
        return Edit::After;
    return Edit::Across; // it touches the window's edge or covers it
}

void AccessibleWindow::follow(Edit edit, qint64 removed, qint64 added)
{
    if (whole_)
        return;
    if (edit == Edit::Before)
        from_ += added - removed;
    if (edit == Edit::Before || edit == Edit::Inside)
        to_ += added - removed;
}

bool AccessibleWindow::fitsText() const
{
    const bool withinLimit = model_.length() <= bounds_.limit;
    if (whole_ || withinLimit)
        return whole_ == withinLimit;
    return length() <= 2 * bounds_.span;
}

bool AccessibleWindow::holds(qint64 position) const
{
    if (whole_)
        return true;
    return position >= from_ && (position < to_ || to_ == model_.length());
}

void AccessibleWindow::collapseAt(qint64 position)
{
    whole_ = false;
    from_ = to_ = position;
}

// The caret's line, then whole lines before it for half of the room left,
// whole lines after it for the rest, and before it again for what the end
// of the text left unused.
void AccessibleWindow::placeAround(qint64 caret)
{
    whole_ = model_.length() <= bounds_.limit;
    if (whole_)
        return;
    const qint64 span = bounds_.span;
    const LineBounds line = model_.lineBounds(model_.lineAt(caret));
    if (line.next - line.start > span) {
        placeInsideLine(caret, line.start, line.next);
        return;
    }
    from_ = wholeLinesBefore(line.start, (span - (line.next - line.start)) / 2);
    to_ = wholeLinesAfter(line.next, span - (line.next - from_));
    from_ = wholeLinesBefore(from_, span - (to_ - from_));
}

void AccessibleWindow::placeInsideLine(qint64 caret, qint64 lineStart, qint64 lineNext)
{
    const qint64 span = bounds_.span;
    to_ = std::min(lineNext, std::max(lineStart, caret - span / 2) + span);
    from_ = TextNavigation::snapped(model_, std::max(lineStart, to_ - span));
    if (to_ < lineNext) {
        to_ = TextNavigation::snapped(model_, to_);
        if (to_ <= caret) // a cluster longer than half the span
            to_ = TextNavigation::nextCharacter(model_, caret);
    }
}

// The start of the first whole line within room characters before start.
qint64 AccessibleWindow::wholeLinesBefore(qint64 start, qint64 room) const
{
    const qint64 reach = start - std::max<qint64>(room, 0);
    if (reach <= 0)
        return 0;
    const LineBounds line = model_.lineBounds(model_.lineAt(reach));
    return line.start == reach ? reach : std::min(line.next, start);
}

// The end of the last whole line within room characters after next.
qint64 AccessibleWindow::wholeLinesAfter(qint64 next, qint64 room) const
{
    const qint64 reach = next + std::max<qint64>(room, 0);
    if (reach >= model_.length())
        return model_.length();
    return std::max(next, model_.lineStart(model_.lineAt(reach)));
}
