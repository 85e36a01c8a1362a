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
#include "text/textnavigation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Margin = TextView::Margin;
constexpr qreal TabStop = 80;
constexpr int CaretWidth = 1;
// Places far out of view are put just as far out, within int.
constexpr qint64 FarOut = qint64(1) << 28;

} // namespace

TextView::TextView(TextModel &model, QWidget *parent)
    : QAbstractScrollArea(parent), model_(model), cursor_(model), loadingEnd_(model, cursor_),
      layouts_(model), keys_(std::make_unique<TextViewKeys>(*this)),
      drag_(std::make_unique<TextViewDrag>(*this)),
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
    verticalScrollBar()->setSingleStep(1);
    // The scroll bar counts in int: in a document of more lines than that,
    // a step of it is several lines, and its end is the last line.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == int(firstLine_ / linesPerStep_))
            return;
        firstLine_ = value >= verticalScrollBar()->maximum() ? lastFirstLine()
                                                             : qint64(value) * linesPerStep_;
    });
    connect(&model, &TextModel::contentsChanged, this, &TextView::onContentsChanged);
    connect(&model, &TextModel::loadingChanged, this, &TextView::loadingChanged);
    // Measuring the caret's line left of the view moves what is in view of
    // it; the view follows, so that the caret and the text around it stay put.
    layouts_.setWidthCorrected([this](qint64 lineStart, qreal x, qreal change) {
        if (lineStart == model_.lineStart(model_.lineAt(cursor_.position())) &&
            x < horizontalOffset() - Margin) {
            ++viewMoves_;
            updateScrollBars();
            const QSignalBlocker quiet(horizontalScrollBar());
            setHorizontalOffset(horizontalOffset() + change);
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
    accessibleEvents_->aboutToReplace(0, model_.length());
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

void TextView::insertText(QStringView text, TextHistory::Kind kind)
{
    if (!mayAdd(text.size()))
        return;
    if (!waitsForLoad([this, kept = text.toString(), kind] { insertText(kept, kind); }))
        editAtCaret(kind, text, [this, text] { cursor_.insert(text); });
}

void TextView::deletePrevious(TextHistory::Kind kind)
{
    if (!waitsForLoad([this, kind] { deletePrevious(kind); }))
        editAtCaret(kind, {}, [this] { cursor_.deletePrevious(); });
}

void TextView::deleteNext(TextHistory::Kind kind)
{
    if (!waitsForLoad([this, kind] { deleteNext(kind); }))
        editAtCaret(kind, {}, [this] { cursor_.deleteNext(); });
}

bool TextView::mayAdd(qint64 characters)
{
    // Small edits always fit in what is kept free.
    constexpr qint64 LargeEdit = qint64(1) << 20;
    if (characters < LargeEdit || !editCheck_)
        return true;
    if (const std::optional<QString> refusal = editCheck_(characters)) {
        emit editRefused(*refusal);
        return false;
    }
    return true;
}

bool TextView::waitsForLoad(std::function<void()> edit)
{
    if (!loadingEnd_.mustWait())
        return false;
    loadingEnd_.wait(std::move(edit));
    return true;
}

void TextView::loadingChanged(bool loading)
{
    if (loading)
        return;
    loadingEnd_.makeWaitingEdits();
    caretMoved();
}

// An edit at the caret is one step of the history (or goes on the step
// being made), and leaves the caret in view.
void TextView::editAtCaret(TextHistory::Kind kind, QStringView typed,
                           const std::function<void()> &edit)
{
    accessibleEvents_->aboutToEditAtCaret();
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

bool TextView::undo()
{
    const std::optional<TextHistory::Selection> selection = model_.history().undo();
    if (selection)
        restoreSelection(*selection);
    return selection.has_value();
}

bool TextView::redo()
{
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
        board_->offer(
            new PrimarySelection(model_, cursor_.selectionStart(), cursor_.selectionEnd()));
}

void TextView::onContentsChanged(qint64 position, qint64 removed, qint64 added)
{
    layouts_.textChanged(position, removed, added);
    const bool caretShown = model_.isLoading() && cursor_.position() == position &&
                            viewport()->rect().intersects(caretRect());
    cursor_.follow(position, removed, added);
    const bool caretFollowedTheEnd = loadingEnd_.follow(position, removed, added);
    accessibleEvents_->contentsChanged(position, removed, added);
    const ScrollPlace before = scrollPlace();
    updateScrollBars();
    // An edit that keeps the lines where they were repaints only its own.
    const qint64 lines = model_.lineCount();
    if (lines == lineCount_ && scrollPlace() == before) {
        const int top = lineTop(model_.lineAt(position));
        const int bottom = lineTop(model_.lineAt(position + added)) + lineHeight();
        viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
    } else {
        viewport()->update();
    }
    lineCount_ = lines;
    // A caret watching the end of a loading text keeps it in view.
    if (caretFollowedTheEnd && caretShown)
        caretMoved();
}

void TextView::caretMoved()
{
    const ScrollPlace before = scrollPlace();
    ensureCaretVisible();
    blink_.restart(hasFocus());
    // A caret that moves alone repaints where it was and where it is.
    const QRect caret = caretRect().adjusted(-1, 0, 1, 0);
    if (cursor_.hasSelection() || hadSelection_ || scrollPlace() != before) {
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

// Geometry.

TextView::ScrollPlace TextView::scrollPlace() const
{
    return {firstLine_, horizontalOffset(), viewMoves_};
}

int TextView::lineHeight() const
{
    return std::max(1, int(std::ceil(layouts_.lineHeight())));
}

qint64 TextView::visibleLines() const
{
    return std::max(1, (viewport()->height() - Margin) / lineHeight());
}

qreal TextView::horizontalOffset() const
{
    return horizontalScrollBar()->value() * pixelsPerStep_;
}

void TextView::setHorizontalOffset(qreal pixels)
{
    horizontalScrollBar()->setValue(int(std::round(pixels / pixelsPerStep_)));
}

qint64 TextView::firstVisibleLine() const
{
    return firstLine_;
}

qint64 TextView::lastFirstLine() const
{
    return std::max<qint64>(0, model_.lineCount() - visibleLines());
}

void TextView::setFirstVisibleLine(qint64 line)
{
    const qint64 first = std::clamp<qint64>(line, 0, lastFirstLine());
    if (first == firstLine_)
        return;
    firstLine_ = first;
    verticalScrollBar()->setValue(int(firstLine_ / linesPerStep_));
    viewport()->update();
}

int TextView::lineTop(qint64 line) const
{
    return int(std::clamp<qint64>(Margin + (line - firstLine_) * lineHeight(), -FarOut, FarOut));
}

qreal TextView::viewportX(qint64 position)
{
    return Margin - horizontalOffset() + layouts_.xOf(position);
}

qint64 TextView::positionAt(QPoint point)
{
    const qint64 line = std::clamp<qint64>(firstVisibleLine() +
                                               std::floor(qreal(point.y() - Margin) / lineHeight()),
                                           0, model_.lineCount() - 1);
    return layouts_.positionAt(line, point.x() - Margin + horizontalOffset());
}

qint64 TextView::characterAt(QPoint point)
{
    const qint64 position = positionAt(point);
    // The nearest place may be after the character under the point.
    if (position > model_.lineStart(model_.lineAt(position)) && viewportX(position) > point.x())
        return TextNavigation::previousCharacter(model_, position);
    return position;
}

QRect TextView::caretRect()
{
    // While composing, the caret stands in the pre-edit text.
    return caretRectAt(cursor_.position()).translated(qRound(inputMethod_->caretOffset()), 0);
}

QRect TextView::caretRectAt(qint64 position)
{
    const int x = int(std::clamp<qreal>(std::floor(viewportX(position)), -FarOut, FarOut));
    return QRect(x, lineTop(model_.lineAt(position)), CaretWidth, lineHeight());
}

void TextView::updateScrollBars()
{
    const qint64 lines = visibleLines();
    const qint64 lastFirst = lastFirstLine();
    linesPerStep_ = std::max<qint64>(1, (lastFirst + INT_MAX / 2 - 1) / (INT_MAX / 2));
    firstLine_ = std::min(firstLine_, lastFirst);
    QScrollBar *vertical = verticalScrollBar();
    {
        const QSignalBlocker quietly(vertical);
        vertical->setPageStep(int(std::max<qint64>(1, lines / linesPerStep_)));
        vertical->setRange(0, int((lastFirst + linesPerStep_ - 1) / linesPerStep_));
        vertical->setValue(int(firstLine_ / linesPerStep_));
    }
    // A scroll bar counts in int: a line wider than that many pixels is
    // scrolled by more than a pixel a step.
    QScrollBar *horizontal = horizontalScrollBar();
    const qreal offset = horizontalOffset();
    // Room past the widest line's end, so that typing there scrolls the
    // view by a quarter now and then rather than by a character at every key.
    const qreal width =
        std::ceil(layouts_.widestLine()) + 2 * Margin + CaretWidth + viewport()->width() / 4;
    const qreal range = std::max<qreal>(width - viewport()->width(), 0);
    pixelsPerStep_ = std::max<qreal>(1, std::ceil(range / (INT_MAX / 2)));
    const QSignalBlocker quiet(horizontal);
    horizontal->setPageStep(int(std::max<qreal>(1, viewport()->width() / pixelsPerStep_)));
    horizontal->setSingleStep(int(std::max<qreal>(1, 20 / pixelsPerStep_)));
    horizontal->setRange(0, int(std::ceil(range / pixelsPerStep_)));
    setHorizontalOffset(offset);
    rangeWidth_ = width;
}

void TextView::ensureCaretVisible()
{
    ensureVisible(cursor_.position());
}

void TextView::ensureVisible(qint64 position)
{
    const qint64 line = model_.lineAt(position);
    // The caret's line is measured around it first, as far as a view
    // showing it could reach, so that the scroll range holds it and the
    // paint that follows moves nothing.
    const qreal width = viewport()->width() - 2 * Margin - CaretWidth;
    const qreal around = layouts_.xOf(position);
    layouts_.pieces(line, around - 2 * width, around + 2 * width);
    const qreal x = layouts_.xOf(position);
    updateScrollBars();
    if (line < firstVisibleLine())
        setFirstVisibleLine(line);
    else if (line >= firstVisibleLine() + visibleLines())
        setFirstVisibleLine(line - visibleLines() + 1);
    // Past an edge the view moves on by a quarter, so that typing along a
    // long line does not scroll at every key.
    if (x < horizontalOffset())
        setHorizontalOffset(std::max<qreal>(0, x - width / 4));
    else if (x > horizontalOffset() + width)
        setHorizontalOffset(std::ceil(x - width + width / 4));
}

// Drawing.

void TextView::applyStyle()
{
    LaidOutText::Style style;
    style.font = font();
    style.tabStop = TabStop;
    style.dimmed = palette().color(QPalette::PlaceholderText);
    layouts_.setStyle(style);
    updateScrollBars();
    viewport()->update();
}

void TextView::paintEvent(QPaintEvent *event)
{
    const quint64 corrections = viewMoves_;
    {
        QPainter painter(viewport());
        TextViewPainter lines(*this, layouts_);
        const bool caretShown = blink_.shown() && hasFocus();
        lines.paint(painter, event->rect(), caretShown && !inputMethod_->isComposing());
        inputMethod_->paint(painter, lines, caretShown);
        drag_->paint(painter);
    }
    // Lines measured while painting may be wider than the scroll range
    // knew, or may have moved what is in view: the range follows and the
    // view is painted again.
    if (layouts_.widestLine() + 2 * Margin + CaretWidth > rangeWidth_ + 0.5 ||
        corrections != viewMoves_) {
        updateScrollBars();
        viewport()->update();
    }
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
    updateScrollBars();
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
        openContextMenuAtCaret();
    else
        showContextMenu(event->globalPos(), false);
}

void TextView::openContextMenuAtCaret()
{
    ensureCaretVisible();
    const QRect caret = caretRect();
    const QRect area = viewport()->rect();
    const QPoint below(std::clamp(caret.left(), area.left(), area.right()),
                       std::clamp(caret.bottom() + 1, area.top(), area.bottom()));
    showContextMenu(viewport()->mapToGlobal(below), true);
}

void TextView::showContextMenu(QPoint globalPosition, bool fromKeyboard)
{
    const std::unique_ptr<QMenu> menu(TextViewMenu::create(*this));
    TextViewMenu::exec(*menu, globalPosition, fromKeyboard);
}
