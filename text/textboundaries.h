#pragma once

#include <QTextBoundaryFinder>
#include <QtGlobal>

class TextModel;

/// Boundaries of characters as a reader sees them (grapheme clusters),
/// words and sentences on a model's text, within a line.
///
/// They are found in a window of the line around the position asked about:
/// FirstReach units on each side at first, doubled while what is sought lies
/// past the window's edge, up to MaxReach. So a character, word or token of
/// up to MaxReach units is found whole wherever it is asked about, at a cost
/// that follows its length; a longer one is not searched further, and the
/// functions below say so by returning -1.
namespace TextBoundaries {

constexpr qint64 FirstReach = 256;
constexpr qint64 MaxReach = 1 << 16;

using Type = QTextBoundaryFinder::BoundaryType;
using Reasons = QTextBoundaryFinder::BoundaryReasons;

/// Whether position is a boundary of the kind (a line's start and end are).
bool isBoundary(const TextModel &model, qint64 position, Type type);
/// The first boundary after position on its line that has one of the
/// reasons (any, with none given); the line's end counts as one. -1 when
/// none lies within MaxReach.
qint64 next(const TextModel &model, qint64 position, Type type, Reasons wanted = {});
/// The last boundary before position on its line that has one of the
/// reasons; the line's start counts as one. -1 when none lies within
/// MaxReach.
qint64 previous(const TextModel &model, qint64 position, Type type, Reasons wanted = {});

struct Range
{
    qint64 from = 0;
    qint64 to = 0;
};
/// The item of the kind that holds the character at offset (which lies
/// before its line's end). An item longer than MaxReach on either side is
/// cut MaxReach units from offset.
Range itemAt(const TextModel &model, qint64 offset, Type type);

} // namespace TextBoundaries
