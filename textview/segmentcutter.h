#pragma once

#include <QStringView>

/// Chooses where the segments of a long line end, in a stretch of its text.
///
/// A cut falls just after a tab where one is near the limit (a tab ends a
/// run of either direction, and the next segment starts on a tab stop),
/// else just after a space where letters of the line's other direction do
/// not stand on both sides (so that no run of them is split, and no word
/// or number is cut), else at the limit, on a boundary between whole
/// characters.
class SegmentCutter
{
public:
    /// text starts where a segment starts, and ends the line when endsLine;
    /// rightToLeft is the line's direction.
    SegmentCutter(QStringView text, bool endsLine, bool rightToLeft);

    /// The end of the segment that starts at from and would reach at most
    /// size characters: a little less or, to keep a run of the other
    /// direction whole, a little more.
    qsizetype next(qsizetype from, qsizetype size) const;

private:
    enum class Side { Neither, Left, Right };

    bool isBoundary(qsizetype from, qsizetype at) const;
    /// A cluster boundary near at, after from: at or before at when there is one.
    qsizetype boundaryNear(qsizetype from, qsizetype at) const;
    /// Whether a cut before at leaves letters of the other direction on at
    /// most one side.
    bool keepsRunsWhole(qsizetype at) const;
    Side sideBefore(qsizetype at) const;
    Side sideAfter(qsizetype at) const;
    /// Which way the character at i runs, if it is a letter or a number; a
    /// number runs the way of the last letter before lettersBefore.
    Side sideOf(qsizetype i, qsizetype lettersBefore) const;
    Side letterBefore(qsizetype at) const;

    QStringView text_;
    bool endsLine_;
    Side opposite_;
    /// Whether the text holds any right-to-left letter at all.
    bool mixed_;
};
