#include "linelayouts.h"

#include "text/textmodel.h"

#include <QFontMetricsF>

namespace {

// The long lines kept, by number and by their segments (some tens of bytes
// each); the line in use is kept whatever its length.
constexpr size_t KeptLongLines = 1024;
constexpr qint64 KeptSegments = 1 << 17;

} // namespace

LineLayouts::LineLayouts(const TextModel &model) : model_(model), cache_(CachedCharacters) {}

void LineLayouts::setStyle(const LaidOutText::Style &style)
{
    style_ = style;
    const QFontMetricsF metrics(style.font);
    lineHeight_ = metrics.height();
    averageWidth_ = metrics.averageCharWidth();
    cache_.clear();
    longLines_.clear();
    widestMeasured_ = 0;
}

void LineLayouts::textChanged(qint64 position, qint64 removed, qint64 added)
{
    if (position == 0 && model_.length() == added) { // a new text altogether
        cache_.clear();
        longLines_.clear();
        widestMeasured_ = 0;
        return;
    }
    cache_.edit(position, removed, added);
    const qint64 delta = added - removed;
    std::unordered_map<qint64, KeptLongLine> kept;
    for (auto &[start, longLine] : longLines_) {
        LongLine &line = *longLine.line;
        if (line.end() < position) {
            kept.emplace(start, std::move(longLine));
        } else if (line.start() > position + removed) {
            line.move(delta);
            kept.emplace(start + delta, std::move(longLine));
        } else if (line.start() <= position && position + removed <= line.end()) {
            // Edited inside: kept if it is still one long line.
            const Line now = lineAt(model_.lineAt(position));
            if (now.start == line.start() && now.end == line.end() + delta &&
                now.end - now.start > ShortLineLength) {
                // The segments cut again are measured at once: what they
                // move is the edit's doing, which the view follows itself.
                const LongLine::Segments made = line.edit(position, removed, added);
                for (int i = made.first; i < made.first + made.count; ++i)
                    segment(line, i, false);
                kept.emplace(start, std::move(longLine));
            }
        }
    }
    longLines_ = std::move(kept);
}

LineLayouts::Line LineLayouts::lineAt(qint64 line) const
{
    return {model_.lineStart(line), model_.lineEnd(line)};
}

const LaidOutText *LineLayouts::layOut(qint64 start, qint64 end,
                                       const LaidOutText::Placement &placement)
{
    ++layoutsMade_;
    return cache_.insert(start, end, placement,
                         std::make_unique<LaidOutText>(model_.text(start, end), style_, placement));
}

const LaidOutText *LineLayouts::shortLine(const Line &range)
{
    if (const LaidOutText *cached = cache_.find(range.start, range.end, {}))
        return cached;
    const LaidOutText *laidOut = layOut(range.start, range.end, {});
    widestMeasured_ = std::max(widestMeasured_, laidOut->width());
    return laidOut;
}

LongLine &LineLayouts::longLine(const Line &range)
{
    const auto found = longLines_.find(range.start);
    if (found != longLines_.end() && found->second.line->end() == range.end) {
        found->second.used = ++uses_;
        return *found->second.line;
    }
    KeptLongLine &slot = longLines_[range.start];
    slot.line =
        std::make_unique<LongLine>(model_, range.start, range.end, averageWidth_, style_.tabStop);
    slot.used = ++uses_;
    widestMeasured_ = std::max(widestMeasured_, slot.line->width());
    LongLine &made = *slot.line;
    dropLongLinesOver(range.start);
    return made;
}

// Past the bounds, the long lines used least recently are cut again when
// they come back.
void LineLayouts::dropLongLinesOver(qint64 keptStart)
{
    qint64 segments = 0;
    for (const auto &[start, longLine] : longLines_)
        segments += longLine.line->segmentCount();
    while ((segments > KeptSegments || longLines_.size() > KeptLongLines) &&
           longLines_.size() > 1) {
        auto oldest = longLines_.end();
        for (auto it = longLines_.begin(); it != longLines_.end(); ++it)
            if (it->first != keptStart &&
                (oldest == longLines_.end() || it->second.used < oldest->second.used))
                oldest = it;
        segments -= oldest->second.line->segmentCount();
        longLines_.erase(oldest);
    }
}

qreal LineLayouts::leftOf(const LongLine &longLine, int i)
{
    return longLine.isRightToLeft() ? longLine.width() - longLine.x(i + 1) : longLine.x(i);
}

const LaidOutText *LineLayouts::segment(LongLine &longLine, int i, bool corrects)
{
    const LaidOutText::Placement placement{
        longLine.tabPhase(i), longLine.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight};
    const qint64 start = longLine.segmentStart(i);
    const qint64 end = longLine.segmentEnd(i);
    if (const LaidOutText *cached = cache_.find(start, end, placement))
        return cached;
    const LaidOutText *laidOut = layOut(start, end, placement);
    const qreal before = longLine.x(i + 1);
    const qreal rightEdge = longLine.width() - longLine.x(i);
    longLine.setMeasuredWidth(i, laidOut->width());
    const qreal change = longLine.x(i + 1) - before;
    if (corrects && widthCorrected_ && change != 0)
        widthCorrected_(longLine.start(), longLine.isRightToLeft() ? rightEdge : longLine.x(i),
                        change);
    widestMeasured_ = std::max(widestMeasured_, longLine.width());
    return laidOut;
}

QList<LineLayouts::Piece> LineLayouts::pieces(qint64 line, qreal left, qreal right)
{
    const Line range = lineAt(line);
    if (range.end - range.start <= ShortLineLength)
        return {{range.start, range.end, 0, shortLine(range)}};
    LongLine &whole = longLine(range);
    // A right-to-left line runs from its right edge: the part in view is
    // found from there, and placed once its segments are measured.
    const bool mirrored = whole.isRightToLeft();
    const qreal from = mirrored ? whole.width() - right : left;
    QList<Piece> out;
    QList<int> shown;
    for (int i = whole.segmentAtX(from); i < whole.segmentCount(); ++i) {
        if (whole.x(i) >= (mirrored ? whole.width() - left : right))
            break;
        out.append({whole.segmentStart(i), whole.segmentEnd(i), 0, segment(whole, i)});
        shown.append(i);
    }
    for (qsizetype k = 0; k < out.size(); ++k)
        out[k].x = leftOf(whole, shown[k]);
    return out;
}

qreal LineLayouts::xOf(qint64 position)
{
    const Line range = lineAt(model_.lineAt(position));
    if (range.end - range.start <= ShortLineLength)
        return shortLine(range)->xOf(int(position - range.start));
    LongLine &whole = longLine(range);
    const int i = whole.segmentOf(position);
    const LaidOutText *text = segment(whole, i);
    return leftOf(whole, i) + text->xOf(int(position - whole.segmentStart(i)));
}

qint64 LineLayouts::positionAt(qint64 line, qreal x)
{
    const Line range = lineAt(line);
    if (range.end - range.start <= ShortLineLength)
        return range.start + shortLine(range)->columnAt(x);
    LongLine &whole = longLine(range);
    const int i = whole.segmentAtX(whole.isRightToLeft() ? whole.width() - x : x);
    const LaidOutText *text = segment(whole, i);
    return whole.segmentStart(i) + text->columnAt(x - leftOf(whole, i));
}

qreal LineLayouts::widestLine() const
{
    return std::max(widestMeasured_, averageWidth_ * qreal(model_.longestLineLength()));
}
