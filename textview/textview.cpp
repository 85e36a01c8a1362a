#include "textview.h"

#include "primaryselection.h"
#include "systemselectionboard.h"
#include "textviewaccessibleevents.h"
#include "textviewdrag.h"
#include "textviewinputmethod.h"
#include "textviewkeys.h"
#include "textviewmenu.h"
#include "textviewmouse.h"
#include "textviewpainter.h"

#include "text/historystep.h"
#include "text/textmodel.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal TabStop = 80;

} // namespace

TextView::TextView(TextModel &model, QWidget *parent)
    : QAbstractScrollArea(parent), model_(model), cursor_(model), admission_(model, cursor_),
      layouts_(model), scroller_(*this, layouts_), zoom_(*this),
      keys_(std::make_unique<TextViewKeys>(*this)), drag_(std::make_unique<TextViewDrag>(*this)),
      mouse_(std::make_unique<TextViewMouse>(*this, *drag_)),
      inputMethod_(std::make_unique<TextViewInputMethod>(*this)),
      accessibleEvents_(std::make_unique<TextViewAccessibleEvents>(*this)),
      systemBoard_(std::make_unique<SystemSelectionBoard>()), board_(systemBoard_.get()),
      lineCount_(model.lineCount()),
      blink_([this] { viewport()->update(caretRect().adjusted(-1, 0, 1, 0)); })
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::WheelFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    connect(&model, &TextModel::contentsChanged, this, &TextView::onContentsChanged);
    connect(&model, &TextModel::loadingChanged, this, [this](bool loading) {
        accessibleEvents_->busyMayHaveChanged();
        if (!loading) {
            admission_.makeWaitingEdits();
            caretMoved();
        }
    });
    applyStyle();
}

TextView::~TextView() = default;

// The text box's interface.

QString TextView::Text() const
{
    return model_.text();
}

// A text put in whole starts a new history, as a file opened does.
void TextView::setText(const QString &text)
{
    model_.setText(text);
    model_.history().clear();
    cursor_.setPosition(0);
    setFirstVisibleLine(0);
    horizontalScrollBar()->setValue(0);
    caretMoved();
}

qsizetype TextView::textLength() const
{
    return model_.length();
}

void TextView::appendText(const QString &text)
{
    const HistoryStep step(model_.history(), cursor_);
    model_.replace(model_.length(), model_.length(), text);
}

QString TextView::SelText() const
{
    return model_.text(cursor_.selectionStart(), cursor_.selectionEnd());
}

void TextView::setSelText(const QString &text)
{
    insertText(text);
}

qsizetype TextView::SelStart() const
{
    return cursor_.selectionStart();
}

void TextView::setSelStart(qsizetype start)
{
    moveCaret(start);
}

qsizetype TextView::SelLength() const
{
    return cursor_.selectionEnd() - cursor_.selectionStart();
}

void TextView::setSelLength(qsizetype length)
{
    const qint64 start = cursor_.selectionStart();
    select(start, start + std::max<qsizetype>(length, 0));
    offerSelection(); // a command's selection (Seleziona tutto) is the primary one too
}

// Editing.

void TextView::moveCaret(qint64 position, bool extend)
{
    cursor_.setPosition(position, extend);
    model_.history().breakRun();
    caretMoved();
}

void TextView::select(qint64 anchor, qint64 position)
{
    cursor_.select(anchor, position);
    model_.history().breakRun();
    caretMoved();
}

// The string goes to the model as it is, shared: whoever keeps the edit
// (the journal) keeps a pasted megabyte for the cost of a reference.
void TextView::insertText(const QString &text, TextHistory::Kind kind)
{
    if (!mayAdd(text.size()))
        return;
    if (!admission_.waits([this, text, kind] { insertText(text, kind); }))
        editAtCaret(kind, text, [this, &text] { cursor_.insert(text); });
}

void TextView::deletePrevious(TextHistory::Kind kind)
{
    if (!admission_.waits([this, kind] { deletePrevious(kind); }))
        editAtCaret(kind, {}, [this] { cursor_.deletePrevious(); });
}

void TextView::deleteNext(TextHistory::Kind kind)
{
    if (!admission_.waits([this, kind] { deleteNext(kind); }))
        editAtCaret(kind, {}, [this] { cursor_.deleteNext(); });
}

bool TextView::mayAdd(qint64 characters)
{
    const std::optional<QString> refusal = admission_.refusalFor(characters);
    if (refusal)
        emit editRefused(*refusal);
    return !refusal;
}

// An edit at the caret is one step of the history (or goes on the step
// being made), and leaves the caret in view.
void TextView::editAtCaret(TextHistory::Kind kind, QStringView typed,
                           const std::function<void()> &edit)
{
    {
        const HistoryStep step(model_.history(), cursor_, kind, typed);
        edit();
    }
    caretMoved();
}

bool TextView::canUndo() const
{
    return model_.history().canUndo();
}

bool TextView::canRedo() const
{
    return model_.history().canRedo();
}

void TextView::holdEdits(bool held)
{
    if (held) {
        admission_.hold();
        return;
    }
    admission_.release();
    caretMoved();
}

bool TextView::undo()
{
    if (admission_.isHeld() && admission_.waits([this] { undo(); }))
        return true;
    const std::optional<TextHistory::Selection> selection = model_.history().undo();
    if (selection)
        restoreSelection(*selection);
    return selection.has_value();
}

bool TextView::redo()
{
    if (admission_.isHeld() && admission_.waits([this] { redo(); }))
        return true;
    const std::optional<TextHistory::Selection> selection = model_.history().redo();
    if (selection)
        restoreSelection(*selection);
    return selection.has_value();
}

// The selection comes back in view: its far end first, then the caret's.
void TextView::restoreSelection(TextHistory::Selection selection)
{
    cursor_.select(selection.anchor, selection.position);
    ensureVisible(cursor_.anchor());
    caretMoved();
}

void TextView::offerSelection()
{
    if (cursor_.hasSelection() && board_->available())
        board_->offer(new PrimarySelection(model_, cursor_.selectionStart(), cursor_.selectionEnd(),
                                           [check = admission_.check()](qint64 characters) {
                                               return !check || !check(characters);
                                           }));
}

void TextView::onContentsChanged(qint64 position, qint64 removed, qint64 added)
{
    layouts_.textChanged(position, removed, added);
    const bool caretShown = model_.isLoading() && cursor_.position() == position &&
                            viewport()->rect().intersects(caretRect());
    cursor_.follow(position, removed, added);
    const bool caretFollowedTheEnd = admission_.follow(position, removed, added);
    accessibleEvents_->contentsChanged(position, removed, added);
    const TextViewScroller::Place before = scroller_.place();
    scroller_.updateScrollBars();
    // An edit that keeps the lines where they were repaints only its own;
    // one that starts below the lines in view (a line partly in view counts
    // as in view), as a file's text does while it loads, nothing.
    const qint64 lines = model_.lineCount();
    const bool samePlace = scroller_.place() == before;
    const bool belowView =
        model_.lineAt(position) > scroller_.firstLine() + scroller_.visibleLines();
    if (!samePlace || (lines != lineCount_ && !belowView)) {
        viewport()->update();
    } else if (!belowView) {
        const int top = lineTop(model_.lineAt(position));
        const int bottom = lineTop(model_.lineAt(position + added)) + lineHeight();
        viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
    }
    lineCount_ = lines;
    // A caret watching the end of a loading text keeps it in view.
    if (caretFollowedTheEnd && caretShown)
        caretMoved();
}

void TextView::caretMoved()
{
    const TextViewScroller::Place before = scroller_.place();
    ensureCaretVisible();
    blink_.restart(hasFocus());
    // A caret that moves alone repaints where it was and where it is.
    const QRect caret = caretRect().adjusted(-1, 0, 1, 0);
    if (cursor_.hasSelection() || hadSelection_ || scroller_.place() != before) {
        viewport()->update();
    } else {
        viewport()->update(shownCaret_);
        viewport()->update(caret);
    }
    shownCaret_ = caret;
    hadSelection_ = cursor_.hasSelection();
    inputMethod_->caretMoved();
    accessibleEvents_->caretMoved();
}

AccessibleWindow &TextView::accessibleWindow()
{
    return accessibleEvents_->window();
}

void TextView::sayCaretLine()
{
    accessibleEvents_->sayCaretLine();
}

// Geometry.

int TextView::lineHeight() const
{
    return std::max(1, int(std::ceil(layouts_.lineHeight())));
}

QRect TextView::caretRect()
{
    // While composing, the caret stands in the pre-edit text.
    return caretRectAt(cursor_.position()).translated(qRound(inputMethod_->caretOffset()), 0);
}

// Drawing.

void TextView::applyStyle()
{
    LaidOutText::Style style;
    style.font = font();
    style.tabStop = TabStop;
    style.dimmed = palette().color(QPalette::PlaceholderText);
    layouts_.setStyle(style);
    scroller_.updateScrollBars();
    viewport()->update();
}

void TextView::paintEvent(QPaintEvent *event)
{
    const quint64 corrections = scroller_.place().corrections;
    {
        QPainter painter(viewport());
        TextViewPainter lines(*this, layouts_);
        const bool caretShown = blink_.shown() && hasFocus();
        lines.paint(painter, event->rect(), caretShown && !inputMethod_->isComposing());
        inputMethod_->paint(painter, lines, caretShown);
        drag_->paint(painter);
    }
    if (scroller_.followPaint(corrections))
        viewport()->update();
}

// Events.

bool TextView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride &&
        keys_->takes(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    // Tab types a tab here rather than moving the focus.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & ~Qt::KeypadModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TextView::keyPressEvent(QKeyEvent *event)
{
    if (!keys_->press(event))
        event->ignore();
}

void TextView::mousePressEvent(QMouseEvent *event)
{
    inputMethod_->commit();
    mouse_->press(event);
}

void TextView::mouseMoveEvent(QMouseEvent *event)
{
    mouse_->move(event);
}

void TextView::mouseReleaseEvent(QMouseEvent *event)
{
    mouse_->release(event);
}

void TextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mouse_->doubleClick(event);
}

void TextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    scroller_.updateScrollBars();
}

void TextView::scrollContentsBy(int, int)
{
    viewport()->update();
    inputMethod_->caretMoved();
}

void TextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    blink_.restart(true);
    accessibleEvents_->focusedIn();
}

void TextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    blink_.stop();
}

void TextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        applyStyle();
}

void TextView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        TextViewMenu::showAtCaret(*this);
    else
        TextViewMenu::show(*this, event->globalPos(), false);
}

// Ctrl and the wheel change the text's size; the wheel alone scrolls.
void TextView::wheelEvent(QWheelEvent *event)
{
    if (!zoom_.wheel(event))
        QAbstractScrollArea::wheelEvent(event);
}
