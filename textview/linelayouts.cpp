#include "linelayouts.h"

#include "text/textmodel.h"

#include <QFontMetricsF>

// Enough for every line and segment of a large screen, so that nothing a
// paint uses is dropped while it paints.
constexpr int CachedLayouts = 2000;
constexpr size_t MaximumLongLines = 128;

LineLayouts::LineLayouts(const TextModel &model)
    : model_(model), shortLines_(CachedLayouts), segments_(CachedLayouts)
{
}

void LineLayouts::setStyle(const LaidOutText::Style &style)
{
    style_ = style;
    const QFontMetricsF metrics(style.font);
    lineHeight_ = metrics.height();
    averageWidth_ = metrics.averageCharWidth();
    textChanged(0, 0, 0, false);
}

void LineLayouts::textChanged(qint64 position, qint64 removed, qint64 added, bool linesKept)
{
    shortLines_.clear();
    segments_.clear();
    widestMeasured_ = 0;
    // A long line edited inside, without a line break coming or going, keeps
    // its segments; every other long line is cut again when it is next seen.
    std::unique_ptr<LongLine> kept;
    qint64 keptLine = 0;
    for (auto &[line, longLine] : longLines_) {
        const bool inside = position >= longLine->start() && position + removed <= longLine->end();
        const qint64 length = longLine->end() - longLine->start() + added - removed;
        if (linesKept && inside && length > LongLineLength) {
            longLine->edit(position, removed, added);
            kept = std::move(longLine);
            keptLine = line;
        }
    }
    longLines_.clear();
    if (kept)
        longLines_[keptLine] = std::move(kept);
}

LineLayouts::Line LineLayouts::lineAt(qint64 line) const
{
    return {model_.lineStart(line), model_.lineEnd(line)};
}

const LaidOutText *LineLayouts::shortLine(qint64 line, const Line &range)
{
    if (const LaidOutText *cached = shortLines_.object(line))
        return cached;
    auto *laidOut = new LaidOutText(model_.text(range.start, range.end), style_);
    widestMeasured_ = std::max(widestMeasured_, laidOut->width());
    shortLines_.insert(line, laidOut);
    return laidOut;
}

LongLine &LineLayouts::longLine(qint64 line, const Line &range)
{
    std::unique_ptr<LongLine> &found = longLines_[line];
    if (!found || found->start() != range.start || found->end() != range.end) {
        // More long lines than a screen shows start the collection afresh;
        // the ones out of sight are cut again when they come back.
        if (longLines_.size() > MaximumLongLines)
            longLines_.clear();
        std::unique_ptr<LongLine> &slot = longLines_[line];
        slot = std::make_unique<LongLine>(model_, range.start, range.end, averageWidth_,
                                          style_.tabStop);
        return *slot;
    }
    return *found;
}

const LaidOutText *LineLayouts::segment(LongLine &longLine, int i)
{
    if (longLine.isTab(i))
        return nullptr;
    const qint64 start = longLine.segmentStart(i);
    if (const LaidOutText *cached = segments_.object(start))
        return cached;
    auto *laidOut = new LaidOutText(model_.text(start, longLine.segmentEnd(i)), style_);
    if (!longLine.isMeasured(i)) {
        const qreal before = longLine.x(i + 1);
        longLine.setMeasuredWidth(i, laidOut->width());
        if (widthCorrected_ && longLine.x(i + 1) != before)
            widthCorrected_(longLine.x(i), longLine.x(i + 1) - before);
    }
    segments_.insert(start, laidOut);
    return laidOut;
}

QList<LineLayouts::Piece> LineLayouts::pieces(qint64 line, qreal left, qreal right)
{
    const Line range = lineAt(line);
    if (range.end - range.start <= LongLineLength)
        return {{range.start, range.end, 0, shortLine(line, range)}};
    LongLine &whole = longLine(line, range);
    QList<Piece> out;
    for (int i = whole.segmentAtX(left); i < whole.segmentCount() && whole.x(i) < right; ++i) {
        const LaidOutText *text = segment(whole, i);
        out.append({whole.segmentStart(i), whole.segmentEnd(i), whole.x(i), text});
    }
    return out;
}

qreal LineLayouts::xOf(qint64 position)
{
    const qint64 line = model_.lineAt(position);
    const Line range = lineAt(line);
    if (range.end - range.start <= LongLineLength)
        return shortLine(line, range)->xOf(int(position - range.start));
    LongLine &whole = longLine(line, range);
    const int i = whole.segmentOf(position);
    const LaidOutText *text = segment(whole, i);
    if (!text)
        return position > whole.segmentStart(i) ? whole.x(i + 1) : whole.x(i);
    return whole.x(i) + text->xOf(int(position - whole.segmentStart(i)));
}

qint64 LineLayouts::positionAt(qint64 line, qreal x)
{
    const Line range = lineAt(line);
    if (range.end - range.start <= LongLineLength)
        return range.start + shortLine(line, range)->columnAt(x);
    LongLine &whole = longLine(line, range);
    const int i = whole.segmentAtX(x);
    const LaidOutText *text = segment(whole, i);
    if (!text) {
        const bool nearerEnd = x - whole.x(i) > (whole.x(i + 1) - whole.x(i)) / 2;
        return whole.segmentStart(i) + (nearerEnd ? 1 : 0);
    }
    return whole.segmentStart(i) + text->columnAt(x - whole.x(i));
}

qreal LineLayouts::widestLine() const
{
    qreal widest = std::max(widestMeasured_, averageWidth_ * qreal(model_.longestLineLength()));
    for (const auto &[line, longLine] : longLines_)
        widest = std::max(widest, longLine->width());
    return widest;
}
