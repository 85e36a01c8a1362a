#include "textviewaccessibleevents.h"

#include "accessibleeditabletext.h"
#include "accessibletext.h"
#include "textview.h"
#include "textviewaccessible.h"

#include "platform/announcement.h"
#include "text/textmodel.h"

#include <QAccessible>
#include <QTimer>

#include <algorithm>
#include <utility>

using AccessibleText::Limit;

TextViewAccessibleEvents::TextViewAccessibleEvents(TextView &view)
    : view_(view), window_(view.model()), announcement_(new Announcement(view))
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
    if (window_.classify(from, to, view_.model().length()) == AccessibleWindow::Edit::Across)
        keptWindow_ = windowText();
}

QString TextViewAccessibleEvents::removedText(qint64 position, qint64 removed) const
{
    const qint64 offset = position - keptFrom_;
    if (keptFrom_ < 0 || offset < 0 || offset > kept_.size())
        return {};
    return kept_.mid(offset, std::min(removed, Limit));
}

QString TextViewAccessibleEvents::windowText() const
{
    const qint64 start = window_.start();
    return AccessibleText::readable(
        view_.model().text(start, start + std::min(window_.length(), Limit)));
}

void TextViewAccessibleEvents::contentsChanged(qint64 position, qint64 removed, qint64 added)
{
    const bool loaded = !std::exchange(editing_, false);
    // Whoever waits for the view to have something to read hears of it
    // before anything else of this change.
    busyMayHaveChanged();
    const qint64 lengthBefore = view_.model().length() - added + removed;
    const AccessibleWindow::Edit edit =
        window_.classify(position, position + removed, lengthBefore);
    window_.follow(edit, removed, added);
    const bool across = edit == AccessibleWindow::Edit::Across;
    if (loaded || !QAccessible::isActive()) {
        // Neither the text of a load nor the window it moves is told.
        if (across || !window_.fitsText())
            window_.placeAround(view_.cursor().position());
    } else if (across) {
        moveWindow(keptWindow_);
    } else {
        if (edit == AccessibleWindow::Edit::Inside)
            tellEdit(position, removed, added);
        if (!window_.fitsText())
            moveWindow(windowText());
    }
    keptFrom_ = -1;
    kept_.clear();
    keptWindow_.clear();
}

void TextViewAccessibleEvents::tellEdit(qint64 position, qint64 removed, qint64 added)
{
    TextView *view = &view_;
    const int offset = window_.offsetOf(position);
    if (removed > 0) {
        QAccessibleTextRemoveEvent event(view, offset,
                                         AccessibleText::readable(removedText(position, removed)));
        QAccessible::updateAccessibility(&event);
    }
    if (added > 0) {
        const TextModel &model = view_.model();
        QAccessibleTextInsertEvent event(
            view, offset,
            AccessibleText::readable(model.text(position, position + std::min(added, Limit))));
        QAccessible::updateAccessibility(&event);
    }
}

// The text told goes, then the new text comes; the caret in it follows
// with caretMoved. A screen reader skips a caret event at the offset it
// heard last, hears only the last of caret events that come together, and
// reads the caret where it is when it gets there: where the caret keeps its
// offset in the new text, it is told instead at the start of the empty
// text between the two, the one caret event of the move.
void TextViewAccessibleEvents::moveWindow(const QString &told)
{
    const qint64 caret = view_.cursor().position();
    windowMoved_ = true;
    if (!QAccessible::isActive()) {
        window_.placeAround(caret);
        return;
    }
    const int heard = window_.offsetOf(caret_);
    window_.placeAround(caret);
    caretTold_ = heard != 0 && window_.offsetOf(caret) == heard;
    TextView *view = &view_;
    window_.collapseAt(caret);
    if (!told.isEmpty()) {
        QAccessibleTextRemoveEvent removal(view, 0, told);
        QAccessible::updateAccessibility(&removal);
    }
    if (caretTold_) {
        QAccessibleTextCursorEvent between(view, 0);
        QAccessible::updateAccessibility(&between);
    }
    window_.placeAround(caret);
    const QString text = windowText();
    if (!text.isEmpty()) {
        QAccessibleTextInsertEvent insertion(view, 0, text);
        QAccessible::updateAccessibility(&insertion);
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

// A caret that leaves the window with a selection told or made tells the
// selection before the window moves, and only then: a screen reader that
// still had the old one, the whole window after Ctrl+A, would take the text
// that goes for the selection deleted. It hears only the last of several
// events of a kind that come together, and reads the selection as it is
// when it gets there.
void TextViewAccessibleEvents::caretMoved()
{
    const TextCursor &cursor = view_.cursor();
    const bool active = QAccessible::isActive();
    const bool hadSelection = caret_ != anchor_;
    bool selectionTold = false;
    if (!window_.fits(cursor.position())) {
        selectionTold = active && (hadSelection || cursor.hasSelection());
        if (selectionTold)
            tellSelection();
        moveWindow(active ? windowText() : QString());
    }
    const bool windowMoved = std::exchange(windowMoved_, false);
    const bool caretTold = std::exchange(caretTold_, false);
    if (!active)
        return;
    if (!windowMoved && cursor.position() == caret_ && cursor.anchor() == anchor_)
        return;
    caret_ = cursor.position();
    anchor_ = cursor.anchor();
    // The caret first, then the selection, as a screen reader hears it from
    // the text views it knows best: it tells the selection that the caret
    // made with the caret's own move, and says nothing more of it; told the
    // other way round, it also read the line the caret landed on.
    if (!caretTold) {
        QAccessibleTextCursorEvent moved(&view_, window_.offsetOf(caret_));
        QAccessible::updateAccessibility(&moved);
    }
    if (!selectionTold && (hadSelection || cursor.hasSelection()))
        tellSelection();
}

void TextViewAccessibleEvents::tellSelection()
{
    const TextCursor &cursor = view_.cursor();
    QAccessibleTextSelectionEvent event(&view_, window_.offsetOf(cursor.selectionStart()),
                                        window_.offsetOf(cursor.selectionEnd()));
    QAccessible::updateAccessibility(&event);
}

void TextViewAccessibleEvents::sayCaretLine()
{
    if (window_.isWhole())
        return;
    const qint64 line = view_.model().lineAt(view_.cursor().position()) + 1;
    const QString text = QStringLiteral("Riga %1").arg(view_.locale().toString(line));
    if (view_.hasFocus())
        announcement_->say(text);
    else
        pendingLine_ = text;
}

// Said after the focus event that a screen reader hears as the view takes
// the focus, which would otherwise cut it short.
void TextViewAccessibleEvents::focusedIn()
{
    if (pendingLine_.isEmpty())
        return;
    QTimer::singleShot(0, announcement_, [this, text = std::exchange(pendingLine_, {})] {
        announcement_->say(text);
    });
}
