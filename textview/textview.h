#pragma once

#include "caretblink.h"
#include "editadmission.h"
#include "findrequest.h"
#include "linelayouts.h"
#include "platform/textbox.h"
#include "textviewscroller.h"
#include "textviewzoom.h"

#include "text/textcursor.h"
#include "text/texthistory.h"

#include <QAbstractScrollArea>

#include <functional>
#include <memory>
#include <optional>

class AccessibleWindow;
class QMenu;
class SelectionBoard;
class TextModel;
class TextViewAccessibleEvents;
class TextViewDrag;
class TextViewInputMethod;
class TextViewKeys;
class TextViewMouse;

/// The text box on screen: a view of a TextModel with no wrapping and both
/// scroll bars. It lays out only the lines in view (and of a long line only
/// the part in view), so a document of any size, or a line of any length,
/// costs what the screen shows.
///
/// Lines end at CR LF, a lone CR or a lone LF; every other character is
/// drawn, control characters included (see DisplayText). Every edit made
/// through the view is a step of the model's history, which the view undoes
/// and redoes (Ctrl+Z, Ctrl+Y, and its context menu).
class TextView : public QAbstractScrollArea, public TextBox
{
    Q_OBJECT

public:
    /// Room around the text, as a plain-text box leaves it.
    static constexpr int Margin = 4;

    explicit TextView(TextModel &model, QWidget *parent = nullptr);
    ~TextView() override;

    QString Text() const override;
    void setText(const QString &text) override;
    qsizetype textLength() const override;
    void appendText(const QString &text) override;
    QString SelText() const override;
    void setSelText(const QString &text) override;
    qsizetype SelStart() const override;
    void setSelStart(qsizetype start) override;
    qsizetype SelLength() const override;
    void setSelLength(qsizetype length) override;

    TextModel &model() const { return model_; }
    const TextCursor &cursor() const { return cursor_; }
    TextViewDrag &dragAndDrop() { return *drag_; }
    const LineLayouts &layouts() const { return layouts_; }

    /// Moves the caret (extending the selection) and keeps it in view.
    void moveCaret(qint64 position, bool extend = false);
    void select(qint64 anchor, qint64 position);
    /// Replaces the selection with text typed or dropped, and keeps the
    /// caret in view. The kind says which edits may join one undo step.
    void insertText(const QString &text, TextHistory::Kind kind = TextHistory::Kind::Other);
    void deletePrevious(TextHistory::Kind kind = TextHistory::Kind::Other);
    void deleteNext(TextHistory::Kind kind = TextHistory::Kind::Other);
    /// Undoes the last step, putting back the text and the selection from
    /// before it, in view; false when there is nothing to undo.
    bool undo();
    /// Makes the last undone step again; false when there is none.
    bool redo();
    bool canUndo() const;
    bool canRedo() const;

    /// The caret place nearest to a point of the viewport.
    qint64 positionAt(QPoint point) { return scroller_.positionAt(point); }
    /// The start of the character under a point of the viewport (the one
    /// before the line's end right of the line).
    qint64 characterAt(QPoint point) { return scroller_.characterAt(point); }
    /// Where the caret is drawn, in viewport coordinates.
    QRect caretRect();
    /// Where a caret at position would be drawn, in viewport coordinates.
    QRect caretRectAt(qint64 position) { return scroller_.caretRectAt(position); }
    /// x of a position in viewport coordinates.
    qreal viewportX(qint64 position) { return scroller_.viewportX(position); }
    /// x of a position from its line's left edge.
    qreal lineX(qint64 position) { return layouts_.xOf(position); }
    /// The position on a line nearest to x from the line's left edge.
    qint64 positionOnLine(qint64 line, qreal x) { return layouts_.positionAt(line, x); }
    int lineHeight() const;
    /// Lines that fit in the viewport whole.
    qint64 visibleLines() const { return scroller_.visibleLines(); }
    qint64 firstVisibleLine() const { return scroller_.firstLine(); }
    /// Scrolls so that line is the first in view, as far as the end allows.
    void setFirstVisibleLine(qint64 line) { scroller_.setFirstLine(line); }
    /// Where a line's top is drawn in the viewport.
    int lineTop(qint64 line) const { return scroller_.lineTop(line); }
    /// How far the view is scrolled to the right, in pixels.
    qreal horizontalOffset() const { return scroller_.horizontalOffset(); }
    void setHorizontalOffset(qreal pixels) { scroller_.setHorizontalOffset(pixels); }
    void ensureCaretVisible() { scroller_.ensureVisible(cursor_.position()); }
    /// Scrolls the least that shows position.
    void ensureVisible(qint64 position) { scroller_.ensureVisible(position); }
    /// Puts the selection on the X11 primary selection, where there is one.
    void offerSelection();
    /// Where the selection is offered and a middle click pastes from: the
    /// system's primary selection unless another board is given.
    SelectionBoard &selectionBoard() const { return *board_; }
    void setSelectionBoard(SelectionBoard &board) { board_ = &board; }
    /// Asked before a large text goes in (a paste, a drop, a replacement of
    /// everything): why it may not, given how many characters it adds.
    using EditCheck = EditAdmission::Check;
    void setEditCheck(EditCheck check) { admission_.setCheck(std::move(check)); }
    /// Whether that many characters may go in now; editRefused says why not.
    bool mayAdd(qint64 characters);
    /// Whether an edit made at the end of a text still loading waits for
    /// the rest of it.
    bool hasWaitingEdits() const { return admission_.hasWaitingEdits(); }
    /// While held, every edit, undo and redo included, waits until the hold
    /// is let go, and is then made at the caret: for a text that is not
    /// yet what edits should be made on.
    void holdEdits(bool held);
    /// Adds entries of the document's own at the end of the context menu.
    using MenuAddition = std::function<void(QMenu &menu)>;
    void setMenuAddition(MenuAddition addition) { menuAddition_ = std::move(addition); }
    const MenuAddition &menuAddition() const { return menuAddition_; }

    /// What assistive technology sees of the text: all of it, or a window
    /// around the caret of a text too long for its offsets.
    AccessibleWindow &accessibleWindow();
    /// Says the caret's line number to a screen reader where the window's
    /// offsets cannot tell it, after a move across the text.
    void sayCaretLine();

    /// The text's size, which Ctrl+wheel, Ctrl+Plus, Ctrl+Minus and Ctrl+0
    /// change.
    TextViewZoom &zoom() { return zoom_; }

signals:
    /// A person asked for find and replace from the view's keys or its
    /// context menu; the document commands answer.
    void findRequested(FindRequest request);
    /// An edit was not made, for the reason given (the memory it needs).
    void editRefused(const QString &reason);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void onContentsChanged(qint64 position, qint64 removed, qint64 added);
    void applyStyle();
    void caretMoved();
    void editAtCaret(TextHistory::Kind kind, QStringView typed, const std::function<void()> &edit);
    void restoreSelection(TextHistory::Selection selection);

    TextModel &model_;
    TextCursor cursor_;
    EditAdmission admission_;
    LineLayouts layouts_;
    TextViewScroller scroller_;
    TextViewZoom zoom_;
    std::unique_ptr<TextViewKeys> keys_;
    std::unique_ptr<TextViewDrag> drag_;
    std::unique_ptr<TextViewMouse> mouse_;
    std::unique_ptr<TextViewInputMethod> inputMethod_;
    std::unique_ptr<TextViewAccessibleEvents> accessibleEvents_;
    std::unique_ptr<SelectionBoard> systemBoard_;
    SelectionBoard *board_;
    MenuAddition menuAddition_;
    qint64 lineCount_ = 1;
    CaretBlink blink_;
    /// Where the caret was last shown, and whether a selection was.
    QRect shownCaret_;
    bool hadSelection_ = false;
};
