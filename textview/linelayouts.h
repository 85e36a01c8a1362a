#pragma once

#include "laidouttext.h"
#include "layoutcache.h"
#include "longline.h"

#include <QList>

#include <functional>
#include <memory>
#include <unordered_map>

class TextModel;

/// Lays out the lines of a model as they come into view, and keeps what it
/// laid out until the text it shows changes.
///
/// A line up to ShortLineLength characters is laid out whole, once. A
/// longer line is a LongLine: only its segments in view are laid out, so a
/// line costs what the screen shows of it, whatever its length. An edit
/// lays out again only what it touched: the layouts of the other lines, and
/// the segments of a long line that the edit did not reach, are kept.
class LineLayouts
{
public:
    static constexpr qint64 ShortLineLength = LongLine::SegmentSize;
    /// Layouts take some tens of bytes a character: this keeps a few
    /// megabytes, several screens of long lines.
    static constexpr qint64 CachedCharacters = 1 << 18;

    /// A laid-out piece of a line: the whole of a short line, or a segment
    /// of a long one.
    struct Piece
    {
        qint64 start = 0;
        qint64 end = 0;
        qreal x = 0; ///< its left edge, from the line's left edge
        const LaidOutText *text = nullptr;
    };

    explicit LineLayouts(const TextModel &model);

    void setStyle(const LaidOutText::Style &style);
    const LaidOutText::Style &style() const { return style_; }
    qreal lineHeight() const { return lineHeight_; }

    /// Forgets what the edit made stale and keeps the rest.
    void textChanged(qint64 position, qint64 removed, qint64 added);

    /// The pieces of a line that reach into [left, right), laying out and
    /// measuring those not laid out yet. Valid until the next call.
    QList<Piece> pieces(qint64 line, qreal left, qreal right);
    /// x of a position, from its line's left edge.
    qreal xOf(qint64 position);
    /// The position on a line nearest to x.
    qint64 positionAt(qint64 line, qreal x);

    /// How wide the widest line is, as far as known: the widest measured so
    /// far (edits do not forget it), and the longest line's length at the
    /// average width.
    qreal widestLine() const;
    /// Called with (line start, x, change) when measuring moved the part of
    /// a long line from x on by change.
    void setWidthCorrected(std::function<void(qint64, qreal, qreal)> corrected)
    {
        widthCorrected_ = std::move(corrected);
    }

    /// How many layouts were made so far, and the characters those kept hold.
    quint64 layoutsMade() const { return layoutsMade_; }
    qint64 cachedCharacters() const { return cache_.characters(); }

private:
    struct Line
    {
        qint64 start = 0;
        qint64 end = 0;
    };
    struct KeptLongLine
    {
        std::unique_ptr<LongLine> line;
        quint64 used = 0;
    };

    Line lineAt(qint64 line) const;
    const LaidOutText *layOut(qint64 start, qint64 end, const LaidOutText::Placement &placement);
    const LaidOutText *shortLine(const Line &range);
    LongLine &longLine(const Line &range);
    void dropLongLinesOver(qint64 keptStart);
    /// Segment i of a long line, laid out; measures it on the way, and says
    /// so when corrects and the measure moved what follows it.
    const LaidOutText *segment(LongLine &longLine, int i, bool corrects = true);
    /// Where segment i is drawn, from the line's left edge.
    static qreal leftOf(const LongLine &longLine, int i);

    const TextModel &model_;
    LaidOutText::Style style_;
    qreal lineHeight_ = 0;
    qreal averageWidth_ = 0;
    qreal widestMeasured_ = 0;
    LayoutCache cache_;
    /// Long lines by where they start.
    std::unordered_map<qint64, KeptLongLine> longLines_;
    quint64 uses_ = 0;
    quint64 layoutsMade_ = 0;
    std::function<void(qint64, qreal, qreal)> widthCorrected_;
};
