#include "textviewdrag.h"

#include "textview.h"

#include "platform/droppedfiles.h"
#include "text/historystep.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace {

// Files dropped on a document open in windows of their own, which the
// window around the view sees to; only text goes into the text.
bool takesDrop(const QMimeData &data)
{
    return data.hasText() && droppedFiles(data).isEmpty();
}

} // namespace

TextViewDrag::TextViewDrag(TextView &view)
    : view_(view),
      exec_([](QDrag &drag) { return drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction); })
{
    view.setAcceptDrops(true);
    view.installEventFilter(this);
}

bool TextViewDrag::grabsSelection(QPoint point)
{
    const TextCursor &cursor = view_.cursor();
    if (!cursor.hasSelection())
        return false;
    // The place nearest the point may be an edge of the selection; the point
    // is on it when it lies on the selected side of that edge.
    const qint64 position = view_.positionAt(point);
    if (position == cursor.selectionStart())
        return point.x() >= view_.viewportX(position);
    if (position == cursor.selectionEnd())
        return point.x() < view_.viewportX(position);
    return position > cursor.selectionStart() && position < cursor.selectionEnd();
}

void TextViewDrag::start()
{
    // The dragged text is a string: one larger than the memory left is
    // refused, as a copy is.
    if (!view_.mayAdd(view_.SelLength()))
        return;
    TextModel &model = view_.model();
    TextCursor source(model);
    source.select(view_.cursor().selectionStart(), view_.cursor().selectionEnd());
    // The dragged text keeps its place if the text changes before the drop.
    const auto follow = QObject::connect(&model, &TextModel::contentsChanged,
                                         [&source](qint64 position, qint64 removed, qint64 added) {
                                             source.follow(position, removed, added);
                                         });
    auto *data = new QMimeData;
    data->setText(view_.SelText());
    // Another program may ask for the dropped text after exec() has
    // returned, so the drag lives on the heap: the toolkit deletes it once
    // the drop is finished, the view at the latest.
    auto *drag = new QDrag(&view_);
    drag->setMimeData(data);
    source_ = &source;
    dragged_ = data;
    movedWithin_ = false;
    const Qt::DropAction action = exec_(*drag);
    source_ = nullptr;
    dragged_ = nullptr;
    QObject::disconnect(follow);
    if (action == Qt::MoveAction && !movedWithin_ && source.hasSelection()) {
        view_.select(source.selectionStart(), source.selectionEnd());
        view_.deleteNext();
    }
}

// Drops land on the view, whose viewport holds the text.
QPoint TextViewDrag::inViewport(const QDropEvent *event) const
{
    return view_.viewport()->mapFrom(&view_, event->position().toPoint());
}

bool TextViewDrag::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        move(static_cast<QDragMoveEvent *>(event));
        return true;
    case QEvent::DragLeave:
        showDropCaret(-1);
        return true;
    case QEvent::Drop:
        drop(static_cast<QDropEvent *>(event));
        return true;
    default:
        return false;
    }
}

void TextViewDrag::move(QDragMoveEvent *event)
{
    if (!takesDrop(*event->mimeData())) {
        event->ignore();
        return;
    }
    showDropCaret(view_.positionAt(inViewport(event)));
    event->acceptProposedAction();
}

void TextViewDrag::showDropCaret(qint64 position)
{
    // The text may have changed under a hovering drag.
    const qint64 length = view_.model().length();
    if (dropCaret_ >= 0)
        view_.viewport()->update(view_.caretRectAt(std::min(dropCaret_, length)));
    dropCaret_ = position;
    if (dropCaret_ >= 0)
        view_.viewport()->update(view_.caretRectAt(dropCaret_));
}

bool TextViewDrag::movesWithin(const QDropEvent *event) const
{
    const bool ours = event->source() == &view_ || event->mimeData() == dragged_;
    return source_ && ours && event->dropAction() == Qt::MoveAction;
}

void TextViewDrag::drop(QDropEvent *event)
{
    showDropCaret(-1);
    if (!takesDrop(*event->mimeData())) {
        event->ignore();
        return;
    }
    const qint64 target = view_.positionAt(inViewport(event));
    const QString text = event->mimeData()->text();
    if (movesWithin(event)) {
        // Onto the dragged text itself: nothing moves.
        if (target >= source_->selectionStart() && target <= source_->selectionEnd()) {
            event->setDropAction(Qt::IgnoreAction);
            event->accept();
            return;
        }
        moveWithin(target, text);
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    {
        // Undone, the selection from before the drop comes back.
        const HistoryStep step(view_.model().history(), view_.cursor());
        view_.setSelStart(target);
        view_.setSelText(text);
    }
    event->acceptProposedAction();
}

// The dragged text goes first; a target after it moves back by its length,
// and stays after whatever taking the text out joined before it.
void TextViewDrag::moveWithin(qint64 target, const QString &text)
{
    const qint64 from = source_->selectionStart();
    const qint64 to = source_->selectionEnd();
    movedWithin_ = true;
    // Taking the text out and putting it in again is one step to undo.
    const HistoryStep step(view_.model().history(), view_.cursor());
    view_.select(from, to);
    view_.deleteNext();
    if (target > to)
        target = TextNavigation::snapped(view_.model(), target - (to - from), true);
    view_.setSelStart(target);
    view_.setSelText(text);
}

void TextViewDrag::paint(QPainter &painter)
{
    if (dropCaret_ >= 0)
        painter.fillRect(view_.caretRectAt(std::min(dropCaret_, view_.model().length())),
                         view_.palette().text());
}
