#include "textviewinputmethod.h"

#include "textview.h"
#include "textviewpainter.h"

#include "text/historystep.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

TextViewInputMethod::TextViewInputMethod(TextView &view) : view_(view)
{
    view.installEventFilter(this);
}

TextViewInputMethod::~TextViewInputMethod() = default;

// A long line's window starts on a grid a quarter of its length wide, so
// that it stays put while the caret moves a little, and holds at least a
// quarter before the caret and half after it.
TextViewInputMethod::Window TextViewInputMethod::surrounding() const
{
    const TextModel &model = view_.model();
    const qint64 caret = view_.cursor().position();
    const qint64 line = model.lineAt(caret);
    const qint64 start = model.lineStart(line);
    const qint64 end = model.lineEnd(line);
    if (end - start <= SurroundingLength)
        return {start, end};
    constexpr qint64 step = SurroundingLength / 4;
    const qint64 from = start + std::max<qint64>(0, ((caret - start) / step - 1) * step);
    const qint64 to = std::min(end, from + SurroundingLength);
    return {TextNavigation::snapped(model, from), TextNavigation::snapped(model, to)};
}

bool TextViewInputMethod::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::InputMethod) {
        inputMethodEvent(static_cast<QInputMethodEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::InputMethodQuery) {
        answer(static_cast<QInputMethodQueryEvent *>(event));
        return true;
    }
    return false;
}

void TextViewInputMethod::answer(QInputMethodQueryEvent *event) const
{
    for (int bit = 0; bit < 32; ++bit) {
        const auto one = Qt::InputMethodQuery(1u << bit);
        if (!(event->queries() & one))
            continue;
        const QVariant answer = query(one);
        event->setValue(one, answer.isValid() ? answer : view_.inputMethodQuery(one));
    }
    event->accept();
}

void TextViewInputMethod::inputMethodEvent(QInputMethodEvent *event)
{
    // Whatever the event changes is one step to undo.
    const HistoryStep step(view_.model().history(), view_.cursor());
    const bool typing = !event->commitString().isEmpty() || event->replacementLength() > 0 ||
                        event->preeditString() != preedit_;
    // Composing replaces the selection, as typing does; a commit over the
    // selection with no replacement of its own replaces it in one edit.
    const bool replacesSelection = event->replacementLength() == 0 &&
                                   event->replacementStart() == 0 &&
                                   !event->commitString().isEmpty();
    if (typing && view_.cursor().hasSelection() && !replacesSelection)
        view_.deletePrevious();
    if (!event->commitString().isEmpty() || event->replacementLength() > 0)
        replace(event);
    setPreedit(event);
    applySelection(event);
    view_.viewport()->update();
    caretMoved();
}

// The replacement counts from the caret and reaches no further than the
// surrounding text the input method was given.
void TextViewInputMethod::replace(const QInputMethodEvent *event)
{
    const Window window = surrounding();
    const qint64 caret = view_.cursor().position();
    const qint64 from =
        std::clamp<qint64>(caret + event->replacementStart(), window.start, window.end);
    const qint64 to = std::clamp<qint64>(from + event->replacementLength(), from, window.end);
    if (from != to)
        view_.select(from, to);
    if (from != to || !event->commitString().isEmpty())
        view_.insertText(event->commitString());
}

void TextViewInputMethod::setPreedit(const QInputMethodEvent *event)
{
    preedit_ = event->preeditString();
    preeditCursor_ = int(preedit_.size());
    preeditCursorShown_ = true;
    if (preedit_.isEmpty()) {
        layout_.reset();
        return;
    }
    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    QList<QTextLayout::FormatRange> formats{{0, int(preedit_.size()), underlined}};
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = std::clamp(attribute.start, 0, int(preedit_.size()));
            preeditCursorShown_ = attribute.length != 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                formats.append({attribute.start, attribute.length, format});
        }
    }
    layout_ = std::make_unique<QTextLayout>(preedit_, view_.font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout_->setTextOption(option);
    layout_->setFormats(formats);
    layout_->beginLayout();
    layout_->createLine().setPosition(QPointF(0, 0));
    layout_->endLayout();
}

// A selection the input method asks for counts from the surrounding text's
// start.
void TextViewInputMethod::applySelection(const QInputMethodEvent *event)
{
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type != QInputMethodEvent::Selection)
            continue;
        const Window window = surrounding();
        const qint64 anchor =
            std::clamp<qint64>(window.start + attribute.start, window.start, window.end);
        const qint64 position =
            std::clamp<qint64>(anchor + attribute.length, window.start, window.end);
        view_.select(anchor, position);
    }
}

qreal TextViewInputMethod::caretOffset() const
{
    return layout_ ? layout_->lineAt(0).cursorToX(preeditCursor_) : 0;
}

void TextViewInputMethod::paint(QPainter &painter, TextViewPainter &lines, bool caretShown) const
{
    if (!layout_)
        return;
    const qint64 caret = view_.cursor().position();
    const qreal x = view_.viewportX(caret);
    const int top = view_.lineTop(view_.model().lineAt(caret));
    const int height = view_.lineHeight();
    const qreal width = layout_->lineAt(0).horizontalAdvance();
    const int right = view_.viewport()->width();
    // The line right of the caret, drawn again as far right as the pre-edit
    // text is wide.
    painter.fillRect(QRectF(x, top, right - x, height), view_.palette().base());
    painter.save();
    painter.setClipRect(QRectF(x + width, top, right, height));
    painter.translate(width, 0);
    lines.paint(painter, QRect(int(x), top, right, height), false);
    painter.restore();
    painter.setPen(view_.palette().color(QPalette::Text));
    layout_->draw(&painter, QPointF(x, top));
    if (caretShown && preeditCursorShown_)
        painter.fillRect(view_.caretRect(), view_.palette().text());
}

void TextViewInputMethod::commit()
{
    if (!isComposing())
        return;
    QGuiApplication::inputMethod()->commit();
    if (!isComposing())
        return;
    preedit_.clear();
    layout_.reset();
    view_.viewport()->update();
}

void TextViewInputMethod::caretMoved() const
{
    if (view_.hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
}

QVariant TextViewInputMethod::query(Qt::InputMethodQuery query) const
{
    const TextCursor &cursor = view_.cursor();
    const QPoint viewport = view_.viewport()->pos();
    const Window window = surrounding();
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImReadOnly:
        return false;
    case Qt::ImHints:
        return int(view_.inputMethodHints() | Qt::ImhMultiLine);
    case Qt::ImFont:
        return view_.font();
    case Qt::ImCursorRectangle:
        return view_.caretRect().translated(viewport);
    case Qt::ImAnchorRectangle:
        return view_.caretRectAt(cursor.anchor()).translated(viewport);
    case Qt::ImCursorPosition:
        return int(cursor.position() - window.start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(cursor.anchor(), window.start, window.end) - window.start);
    case Qt::ImAbsolutePosition:
        return qlonglong(cursor.position());
    case Qt::ImSurroundingText:
        return view_.model().text(window.start, window.end);
    case Qt::ImCurrentSelection: // the part of it in the surrounding text
        return view_.model().text(std::max(cursor.selectionStart(), window.start),
                                  std::min(cursor.selectionEnd(), window.end));
    case Qt::ImTextBeforeCursor:
        return view_.model().text(window.start, cursor.position());
    case Qt::ImTextAfterCursor:
        return view_.model().text(cursor.position(), window.end);
    case Qt::ImMaximumTextLength:
        return {}; // no limit
    default:
        return {};
    }
}
