#pragma once

#include "findrequest.h"

#include <QtGlobal>

class QKeyEvent;
class TextView;

/// What the keys do in a text view: moving the caret (with Shift, extending
/// the selection), typing, deleting, undoing (Ctrl+Z) and redoing (Ctrl+Y,
/// Ctrl+Shift+Z), opening the context menu, asking for find and replace,
/// zooming (TextViewZoom) and going to a line (Ctrl+G).
/// Cut, Copy and Paste are left to the program's commands.
class TextViewKeys
{
public:
    explicit TextViewKeys(TextView &view) : view_(view) {}

    /// Whether the view takes the key before any shortcut of the window.
    bool takes(const QKeyEvent *event) const;
    /// Carries the key out; false when it means nothing to the view.
    bool press(const QKeyEvent *event);

private:
    enum class Move {
        NextCharacter,
        PreviousCharacter,
        NextWord,
        PreviousWord,
        NextLine,
        PreviousLine,
        NextPage,
        PreviousPage,
        LineStart,
        LineEnd,
        DocumentStart,
        DocumentEnd,
    };
    bool findMove(const QKeyEvent *event, Move &move, bool &extend) const;
    bool findEdit(const QKeyEvent *event) const;
    static bool opensMenu(const QKeyEvent *event);
    static bool findFind(const QKeyEvent *event, FindRequest &request);
    static bool isUndo(const QKeyEvent *event);
    static bool isRedo(const QKeyEvent *event);
    static bool isGoToLine(const QKeyEvent *event);
    bool edit(const QKeyEvent *event);
    void go(Move move, bool extend);
    qint64 target(Move move, bool extend);
    qint64 lineBelow(qint64 lines);
    static QString typedText(const QKeyEvent *event);

    TextView &view_;
    /// Where Up and Down keep the caret across lines of other lengths.
    qreal column_ = -1;
};
