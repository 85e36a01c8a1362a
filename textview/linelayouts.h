#pragma once

#include "laidouttext.h"
#include "longline.h"

#include <QCache>
#include <QList>

#include <memory>
#include <unordered_map>

class TextModel;

/// Lays out the lines of a model as they come into view, and keeps what it
/// laid out until the text changes.
///
/// A line up to LongLineLength characters is laid out whole, once. A longer
/// line is a LongLine: only its segments in view are laid out, so a line of
/// any length costs what the screen shows.
class LineLayouts
{
public:
    static constexpr qint64 LongLineLength = 4096;

    /// A laid-out piece of a line: the whole of a short line, or a segment
    /// of a long one (text is null for a tab).
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

    /// Forgets what the edit made stale; keeps the segments of a long line
    /// that the edit only changed inside.
    void textChanged(qint64 position, qint64 removed, qint64 added, bool linesKept);

    /// The pieces of a line that reach into [left, right), laying out and
    /// measuring those not laid out yet. Valid until the next call.
    QList<Piece> pieces(qint64 line, qreal left, qreal right);
    /// x of a position, from its line's left edge.
    qreal xOf(qint64 position);
    /// The position on a line nearest to x.
    qint64 positionAt(qint64 line, qreal x);

    /// How wide the widest line is, as far as known: lines measured so far,
    /// and the longest line's length at the average width.
    qreal widestLine() const;
    /// Called with (x, change) when measuring moved the part of a long line
    /// from x on by change.
    void setWidthCorrected(std::function<void(qreal, qreal)> corrected)
    {
        widthCorrected_ = std::move(corrected);
    }

private:
    struct Line
    {
        qint64 start = 0;
        qint64 end = 0;
    };
    Line lineAt(qint64 line) const;
    const LaidOutText *shortLine(qint64 line, const Line &range);
    LongLine &longLine(qint64 line, const Line &range);
    const LaidOutText *segment(LongLine &longLine, int i);

    const TextModel &model_;
    LaidOutText::Style style_;
    qreal lineHeight_ = 0;
    qreal averageWidth_ = 0;
    qreal widestMeasured_ = 0;
    QCache<qint64, LaidOutText> shortLines_;
    QCache<qint64, LaidOutText> segments_; ///< by the segment's start
    std::unordered_map<qint64, std::unique_ptr<LongLine>> longLines_;
    std::function<void(qreal, qreal)> widthCorrected_;
};
