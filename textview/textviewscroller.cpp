#include "textviewscroller.h"

#include "linelayouts.h"
#include "textview.h"

#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int Margin = TextView::Margin;
constexpr int CaretWidth = 1;

} // namespace

TextViewScroller::TextViewScroller(TextView &view, LineLayouts &layouts)
    : view_(view), layouts_(layouts)
{
    view.verticalScrollBar()->setSingleStep(1);
    QObject::connect(view.verticalScrollBar(), &QScrollBar::valueChanged, &view,
                     [this](int value) { verticalBarMoved(value); });
    layouts.setWidthCorrected(
        [this](qint64 lineStart, qreal x, qreal change) { widthCorrected(lineStart, x, change); });
}

// The scroll bar counts in int: in a document of more lines than that, a
// step of it is several lines, and its end is the last line.
void TextViewScroller::verticalBarMoved(int value)
{
    if (value == int(firstLine_ / linesPerStep_))
        return;
    firstLine_ = value >= view_.verticalScrollBar()->maximum() ? lastFirstLine()
                                                               : qint64(value) * linesPerStep_;
}

// Measuring the caret's line left of the view moves what is in view of it;
// the view follows, so that the caret and the text around it stay put.
void TextViewScroller::widthCorrected(qint64 lineStart, qreal x, qreal change)
{
    const TextModel &model = view_.model();
    if (lineStart == model.lineStart(model.lineAt(view_.cursor().position())) &&
        x < horizontalOffset() - Margin) {
        ++corrections_;
        updateScrollBars();
        const QSignalBlocker quiet(view_.horizontalScrollBar());
        setHorizontalOffset(horizontalOffset() + change);
    }
}

TextViewScroller::Place TextViewScroller::place() const
{
    return {firstLine_, horizontalOffset(), corrections_};
}

qreal TextViewScroller::horizontalOffset() const
{
    return view_.horizontalScrollBar()->value() * pixelsPerStep_;
}

void TextViewScroller::setHorizontalOffset(qreal pixels)
{
    view_.horizontalScrollBar()->setValue(int(std::round(pixels / pixelsPerStep_)));
}

qint64 TextViewScroller::visibleLines() const
{
    return std::max(1, (view_.viewport()->height() - Margin) / view_.lineHeight());
}

int TextViewScroller::lineTop(qint64 line) const
{
    return int(
        std::clamp<qint64>(Margin + (line - firstLine_) * view_.lineHeight(), -FarOut, FarOut));
}

qreal TextViewScroller::viewportX(qint64 position) const
{
    return Margin - horizontalOffset() + layouts_.xOf(position);
}

qint64 TextViewScroller::positionAt(QPoint point) const
{
    const qint64 below = std::floor(qreal(point.y() - Margin) / view_.lineHeight());
    const qint64 line = std::clamp<qint64>(firstLine_ + below, 0, view_.model().lineCount() - 1);
    return layouts_.positionAt(line, point.x() - Margin + horizontalOffset());
}

qint64 TextViewScroller::characterAt(QPoint point) const
{
    const qint64 position = positionAt(point);
    // The nearest place may be after the character under the point.
    const TextModel &model = view_.model();
    if (position > model.lineStart(model.lineAt(position)) && viewportX(position) > point.x())
        return TextNavigation::previousCharacter(model, position);
    return position;
}

QRect TextViewScroller::caretRectAt(qint64 position) const
{
    const int x = int(std::clamp<qreal>(std::floor(viewportX(position)), -FarOut, FarOut));
    return QRect(x, lineTop(view_.model().lineAt(position)), CaretWidth, view_.lineHeight());
}

qint64 TextViewScroller::lastFirstLine() const
{
    return std::max<qint64>(0, view_.model().lineCount() - visibleLines());
}

void TextViewScroller::setFirstLine(qint64 line)
{
    const qint64 first = std::clamp<qint64>(line, 0, lastFirstLine());
    if (first == firstLine_)
        return;
    firstLine_ = first;
    view_.verticalScrollBar()->setValue(int(firstLine_ / linesPerStep_));
    view_.viewport()->update();
}

void TextViewScroller::updateScrollBars()
{
    const qint64 lines = visibleLines();
    const qint64 lastFirst = lastFirstLine();
    linesPerStep_ = std::max<qint64>(1, (lastFirst + INT_MAX / 2 - 1) / (INT_MAX / 2));
    firstLine_ = std::min(firstLine_, lastFirst);
    QScrollBar *vertical = view_.verticalScrollBar();
    {
        const QSignalBlocker quietly(vertical);
        vertical->setPageStep(int(std::max<qint64>(1, lines / linesPerStep_)));
        vertical->setRange(0, int((lastFirst + linesPerStep_ - 1) / linesPerStep_));
        vertical->setValue(int(firstLine_ / linesPerStep_));
    }
    // A scroll bar counts in int: a line wider than that many pixels is
    // scrolled by more than a pixel a step.
    QScrollBar *horizontal = view_.horizontalScrollBar();
    const qreal offset = horizontalOffset();
    const int viewWidth = view_.viewport()->width();
    // Room past the widest line's end, so that typing there scrolls the
    // view by a quarter now and then rather than by a character at every key.
    const qreal width = std::ceil(layouts_.widestLine()) + 2 * Margin + CaretWidth + viewWidth / 4;
    const qreal range = std::max<qreal>(width - viewWidth, 0);
    pixelsPerStep_ = std::max<qreal>(1, std::ceil(range / (INT_MAX / 2)));
    const QSignalBlocker quiet(horizontal);
    horizontal->setPageStep(int(std::max<qreal>(1, viewWidth / pixelsPerStep_)));
    horizontal->setSingleStep(int(std::max<qreal>(1, 20 / pixelsPerStep_)));
    horizontal->setRange(0, int(std::ceil(range / pixelsPerStep_)));
    setHorizontalOffset(offset);
    rangeWidth_ = width;
}

void TextViewScroller::ensureVisible(qint64 position)
{
    const qint64 line = view_.model().lineAt(position);
    // The line is measured around the place first, as far as a view showing
    // it could reach, so that the scroll range holds it and the paint that
    // follows moves nothing.
    const qreal width = view_.viewport()->width() - 2 * Margin - CaretWidth;
    const qreal around = layouts_.xOf(position);
    layouts_.pieces(line, around - 2 * width, around + 2 * width);
    const qreal x = layouts_.xOf(position);
    updateScrollBars();
    const qint64 lines = visibleLines();
    if (line < firstLine_)
        setFirstLine(line);
    else if (line >= firstLine_ + lines)
        setFirstLine(line - lines + 1);
    // Past an edge the view moves on by a quarter, so that typing along a
    // long line does not scroll at every key.
    if (x < horizontalOffset())
        setHorizontalOffset(std::max<qreal>(0, x - width / 4));
    else if (x > horizontalOffset() + width)
        setHorizontalOffset(std::ceil(x - width + width / 4));
}

bool TextViewScroller::followPaint(quint64 corrections)
{
    if (layouts_.widestLine() + 2 * Margin + CaretWidth <= rangeWidth_ + 0.5 &&
        corrections == corrections_)
        return false;
    updateScrollBars();
    return true;
}
