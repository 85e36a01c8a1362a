#include "textviewkeys.h"

#include "gotolinedialog.h"
#include "textview.h"
#include "textviewmenu.h"

#include "text/historystep.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

struct KeyMove
{
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
};

// The platform's keys for each move, in the order of TextViewKeys::Move.
constexpr KeyMove Moves[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument},
};

constexpr QKeySequence::StandardKey Edits[] = {
    QKeySequence::SelectAll,           QKeySequence::Delete,
    QKeySequence::Backspace,           QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,     QKeySequence::InsertParagraphSeparator,
    QKeySequence::InsertLineSeparator,
};

struct FindKey
{
    QKeyCombination key;
    FindRequest request;
};

constexpr FindKey FindKeys[] = {
    {Qt::CTRL | Qt::Key_F, FindRequest::Find},
    {Qt::CTRL | Qt::Key_H, FindRequest::Replace},
    {QKeyCombination(Qt::Key_F3), FindRequest::Next},
    {Qt::SHIFT | Qt::Key_F3, FindRequest::Previous},
};

} // namespace

bool TextViewKeys::findFind(const QKeyEvent *event, FindRequest &request)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    for (const FindKey &key : FindKeys) {
        if (QKeyCombination(modifiers, Qt::Key(event->key())) == key.key) {
            request = key.request;
            return true;
        }
    }
    return false;
}

bool TextViewKeys::findMove(const QKeyEvent *event, Move &move, bool &extend) const
{
    for (size_t i = 0; i < std::size(Moves); ++i) {
        if (event->matches(Moves[i].move) || event->matches(Moves[i].select)) {
            move = Move(i);
            extend = event->matches(Moves[i].select);
            return true;
        }
    }
    return false;
}

// The Menu key and Shift+F10 open the context menu, as in every text box.
bool TextViewKeys::opensMenu(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Menu && !modifiers) ||
           (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z whatever the platform's own keys, and
// the platform's own as well.
bool TextViewKeys::isUndo(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Z && modifiers == Qt::ControlModifier) ||
           event->matches(QKeySequence::Undo);
}

bool TextViewKeys::isRedo(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
           (event->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) ||
           event->matches(QKeySequence::Redo);
}

bool TextViewKeys::isGoToLine(const QKeyEvent *event)
{
    return event->key() == Qt::Key_G &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

bool TextViewKeys::findEdit(const QKeyEvent *event) const
{
    return isUndo(event) || isRedo(event) ||
           std::any_of(std::begin(Edits), std::end(Edits),
                       [event](QKeySequence::StandardKey key) { return event->matches(key); }) ||
           event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Tab;
}

// Text a key types: anything but a command key's own control character.
// NUL, U+2028 and U+2029 are typed as they come.
QString TextViewKeys::typedText(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool command =
        (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier);
    const QString text = event->text();
    if (command || text.isEmpty())
        return {};
    static const QString keyCharacters = QStringLiteral("\x1b\b\x7f\r\n");
    if (text.size() == 1 && keyCharacters.contains(text.front()))
        return {};
    return text;
}

// Typing goes before the window's shortcuts only with no modifier but Shift,
// so that Alt and a letter still open the menus, and a command key runs its
// command.
bool TextViewKeys::takes(const QKeyEvent *event) const
{
    Move move;
    bool extend;
    FindRequest request;
    const Qt::KeyboardModifiers typing =
        Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier;
    return findMove(event, move, extend) || findEdit(event) || opensMenu(event) ||
           findFind(event, request) || TextViewZoom::isZoomKey(event) || isGoToLine(event) ||
           (!(event->modifiers() & ~typing) && !typedText(event).isEmpty());
}

bool TextViewKeys::press(const QKeyEvent *event)
{
    Move move;
    bool extend;
    if (findMove(event, move, extend)) {
        go(move, extend);
        return true;
    }
    column_ = -1;
    if (opensMenu(event)) {
        TextViewMenu::showAtCaret(view_);
        return true;
    }
    if (edit(event) || view_.zoom().key(event))
        return true;
    if (isGoToLine(event)) {
        GoToLineDialog::ask(view_);
        return true;
    }
    FindRequest request;
    if (findFind(event, request)) {
        emit view_.findRequested(request);
        return true;
    }
    const QString text = typedText(event);
    if (text.isEmpty())
        return false;
    view_.insertText(text, TextHistory::Kind::Typing);
    return true;
}

bool TextViewKeys::edit(const QKeyEvent *event)
{
    TextModel &model = view_.model();
    const TextCursor &cursor = view_.cursor();
    if (isUndo(event)) {
        view_.undo();
    } else if (isRedo(event)) {
        view_.redo();
    } else if (event->matches(QKeySequence::SelectAll)) {
        view_.select(0, model.length());
        view_.offerSelection();
    } else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
               event->matches(QKeySequence::InsertLineSeparator)) {
        view_.insertText(lineBreakText(model.lineBreak()).toString());
    } else if (event->key() == Qt::Key_Tab) {
        view_.insertText(QStringLiteral("\t"), TextHistory::Kind::Typing);
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        // Undone, the caret comes back, not the word selected on the way.
        // At a line's start it joins the lines and leaves the word above.
        const HistoryStep step(model.history(), cursor);
        const qint64 at = cursor.position();
        if (!cursor.hasSelection() && at > model.lineStart(model.lineAt(at)))
            view_.select(at, TextNavigation::previousWord(model, at));
        view_.deletePrevious();
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        // The line's last word goes without the line break after it.
        const HistoryStep step(model.history(), cursor);
        const qint64 at = cursor.position();
        const qint64 end = model.lineEnd(model.lineAt(at));
        if (!cursor.hasSelection() && at < end)
            view_.select(at, std::min(TextNavigation::nextWord(model, at), end));
        view_.deleteNext();
    } else if (event->matches(QKeySequence::Delete)) {
        view_.deleteNext(TextHistory::Kind::DeletingForward);
    } else if (event->key() == Qt::Key_Backspace) {
        view_.deletePrevious(TextHistory::Kind::DeletingBackward);
    } else {
        return false;
    }
    return true;
}

void TextViewKeys::go(Move move, bool extend)
{
    const bool vertical = move == Move::NextLine || move == Move::PreviousLine ||
                          move == Move::NextPage || move == Move::PreviousPage;
    if (!vertical)
        column_ = -1;
    view_.moveCaret(target(move, extend), extend);
    if (extend)
        view_.offerSelection();
    if (move == Move::DocumentStart || move == Move::DocumentEnd)
        view_.sayCaretLine();
}

qint64 TextViewKeys::target(Move move, bool extend)
{
    const TextModel &model = view_.model();
    const TextCursor &cursor = view_.cursor();
    const qint64 position = cursor.position();
    const qint64 line = model.lineAt(position);
    // Left and Right on a selection go to its edge.
    const bool collapse = cursor.hasSelection() && !extend;
    switch (move) {
    case Move::NextCharacter:
        return collapse ? cursor.selectionEnd() : TextNavigation::nextCharacter(model, position);
    case Move::PreviousCharacter:
        return collapse ? cursor.selectionStart()
                        : TextNavigation::previousCharacter(model, position);
    case Move::NextWord:
        return TextNavigation::nextWord(model, position);
    case Move::PreviousWord:
        return TextNavigation::previousWord(model, position);
    case Move::NextLine:
        return lineBelow(1);
    case Move::PreviousLine:
        return lineBelow(-1);
    case Move::NextPage:
        return lineBelow(view_.visibleLines());
    case Move::PreviousPage:
        return lineBelow(-view_.visibleLines());
    case Move::LineStart:
        return model.lineStart(line);
    case Move::LineEnd:
        return model.lineEnd(line);
    case Move::DocumentStart:
        return 0;
    case Move::DocumentEnd:
        return model.length();
    }
    return position;
}

// The place lines below the caret (above, for a negative count) at the
// x the caret keeps; a page also scrolls the view by a page.
qint64 TextViewKeys::lineBelow(qint64 lines)
{
    const TextModel &model = view_.model();
    const qint64 position = view_.cursor().position();
    const qint64 line = model.lineAt(position);
    const qint64 target = std::clamp<qint64>(line + lines, 0, model.lineCount() - 1);
    if (target == line)
        return position;
    if (column_ < 0)
        column_ = view_.lineX(position);
    if (std::abs(lines) > 1)
        view_.setFirstVisibleLine(view_.firstVisibleLine() + (target - line));
    return view_.positionOnLine(target, column_);
}
