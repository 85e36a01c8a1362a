#include "textviewaccessibleevents.h"

#include "accessibleeditabletext.h"
#include "accessibletext.h"
#include "textview.h"
#include "textviewaccessible.h"

#include "text/textmodel.h"

#include <QAccessible>

#include <algorithm>
#include <utility>

using AccessibleText::clamped;
using AccessibleText::Limit;

TextViewAccessibleEvents::TextViewAccessibleEvents(TextView &view) : view_(view)
{
    AccessibleEditableText::install();
    // Every edit of the model, undo, redo and a replace-all included, gives
    // its removed text here before it is gone.
    QObject::connect(&view.model(), &TextModel::aboutToReplace, &view,
                     [this](qint64 from, qint64 to) { aboutToReplace(from, to); });
}

void TextViewAccessibleEvents::aboutToReplace(qint64 from, qint64 to)
{
    editing_ = true;
    if (!QAccessible::isActive())
        return;
    keptFrom_ = from;
    kept_ = view_.model().text(from, std::min(to, from + Limit));
}

QString TextViewAccessibleEvents::removedText(qint64 position, qint64 removed) const
{
    const qint64 offset = position - keptFrom_;
    if (keptFrom_ < 0 || offset < 0 || offset > kept_.size())
        return {};
    return kept_.mid(offset, std::min(removed, Limit));
}

void TextViewAccessibleEvents::contentsChanged(qint64 position, qint64 removed, qint64 added)
{
    const bool loaded = !std::exchange(editing_, false);
    // Whoever waits for the view to have something to read hears of it
    // before anything else of this change.
    busyMayHaveChanged();
    if (!QAccessible::isActive()) {
        keptFrom_ = -1;
        kept_.clear();
        return;
    }
    TextView *view = &view_;
    if (removed > 0) {
        QAccessibleTextRemoveEvent event(view, clamped(position),
                                         AccessibleText::readable(removedText(position, removed)));
        QAccessible::updateAccessibility(&event);
    }
    keptFrom_ = -1;
    kept_.clear();
    if (added > 0 && !loaded) {
        const TextModel &model = view_.model();
        QAccessibleTextInsertEvent event(
            view, clamped(position),
            AccessibleText::readable(model.text(position, position + std::min(added, Limit))));
        QAccessible::updateAccessibility(&event);
    }
}

void TextViewAccessibleEvents::busyMayHaveChanged()
{
    const bool busy = TextViewAccessible::isBusy(view_);
    if (busy == busy_)
        return;
    busy_ = busy;
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.busy = true;
    QAccessibleStateChangeEvent event(&view_, changed);
    QAccessible::updateAccessibility(&event);
}

void TextViewAccessibleEvents::caretMoved()
{
    if (!QAccessible::isActive())
        return;
    const TextCursor &cursor = view_.cursor();
    if (cursor.position() == caret_ && cursor.anchor() == anchor_)
        return;
    const bool hadSelection = caret_ != anchor_;
    caret_ = cursor.position();
    anchor_ = cursor.anchor();
    TextView *view = &view_;
    // The caret first, then the selection, as a screen reader hears it from
    // the text views it knows best: it tells the selection that the caret
    // made with the caret's own move, and says nothing more of it; told the
    // other way round, it also read the line the caret landed on.
    QAccessibleTextCursorEvent moved(view, clamped(caret_));
    QAccessible::updateAccessibility(&moved);
    if (hadSelection || cursor.hasSelection()) {
        QAccessibleTextSelectionEvent event(view, clamped(cursor.selectionStart()),
                                            clamped(cursor.selectionEnd()));
        QAccessible::updateAccessibility(&event);
    }
}
