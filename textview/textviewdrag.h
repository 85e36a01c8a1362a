#pragma once

#include <QObject>

#include <functional>

class QDrag;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QPainter;
class QPoint;
class TextCursor;
class TextView;

/// Drag and drop of text in a text view.
///
/// A selection dragged out goes as plain text (taken through SelText); when
/// the drop moves it elsewhere, it is removed here. Text dropped in goes in
/// at the place under the mouse through setSelText, and a caret shows that
/// place while the drag hovers. A drag that ends in the view it came from
/// moves the text there (or copies it, when the drop asks for a copy).
///
/// It takes the drag events of the view, as the view's event filter.
class TextViewDrag : public QObject
{
public:
    /// Carries a drag out and says what the drop did with it.
    using Exec = std::function<Qt::DropAction(QDrag &)>;

    explicit TextViewDrag(TextView &view);

    /// Replaces the platform's drag loop, for tests that drop the drag
    /// themselves.
    void setExec(Exec exec) { exec_ = std::move(exec); }

    /// Whether a press at point (in the viewport) lands on the selection,
    /// so that moving on drags it rather than selecting.
    bool grabsSelection(QPoint point);
    /// Drags the selection out; returns once it is dropped or given up.
    void start();

    bool eventFilter(QObject *watched, QEvent *event) override;

    /// Draws the drop caret while a drag hovers.
    void paint(QPainter &painter);

private:
    void move(QDragMoveEvent *event);
    void drop(QDropEvent *event);
    QPoint inViewport(const QDropEvent *event) const;
    void showDropCaret(qint64 position);
    bool movesWithin(const QDropEvent *event) const;
    void moveWithin(qint64 target, const QString &text);

    TextView &view_;
    qint64 dropCaret_ = -1;
    /// The text being dragged out of this view, following edits; null when
    /// no drag started here.
    TextCursor *source_ = nullptr;
    const QMimeData *dragged_ = nullptr;
    Exec exec_;
    bool movedWithin_ = false;
};
