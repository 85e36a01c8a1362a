#pragma once

#include <QtGlobal>

class TextModel;

/// Boundaries of characters as a reader sees them (grapheme clusters) and
/// of sentences on a model's text, within a line. Words are found by
/// TextWords, after the program's own rule.
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
/// A boundary this close to a window's edge inside the line may depend on
/// what lies beyond it (a pictograph joined to the one before it, "a.b" one
/// sentence where "a." ends one), so it is trusted only once the window has
/// grown past it.
constexpr qint64 Context = 16;

enum class Unit { Character, Sentence };

/// Whether position is a boundary of the unit (a line's start and end are).
bool isBoundary(const TextModel &model, qint64 position, Unit unit);
/// The first boundary after position on its line; the line's end counts as
/// one. -1 when none lies within MaxReach.
qint64 next(const TextModel &model, qint64 position, Unit unit);
/// The last boundary before position on its line; the line's start counts
/// as one. -1 when none lies within MaxReach.
qint64 previous(const TextModel &model, qint64 position, Unit unit);

struct Range
{
    qint64 from = 0;
    qint64 to = 0;
};
/// The item of the unit that holds the character at offset (which lies
/// before its line's end). An item longer than MaxReach on either side is
/// cut MaxReach units from offset.
Range itemAt(const TextModel &model, qint64 offset, Unit unit);

} // namespace TextBoundaries
