#pragma once

#include <QtGlobal>

class TextModel;

/// Where the caret may stand and where it goes, on a model's text.
///
/// The caret stands only between whole characters as a reader sees them
/// (grapheme clusters): never between the CR and the LF of a pair, never
/// between the halves of a surrogate pair, never before a combining mark.
/// Inside a character longer than TextBoundaries::MaxReach units it stands
/// between code points, so that it crosses such a character too.
namespace TextNavigation {

/// The nearest place where the caret may stand, at or before position (or
/// at or after it, forward).
qint64 snapped(const TextModel &model, qint64 position, bool forward = false);
/// The place after the character (or line break) that follows position.
qint64 nextCharacter(const TextModel &model, qint64 position);
/// The place before the character (or line break) that precedes position.
qint64 previousCharacter(const TextModel &model, qint64 position);
/// The start of the next word; after the line's last word, and from its
/// end, the start of the next line.
qint64 nextWord(const TextModel &model, qint64 position);
/// The start of this or the previous word, or the start of the line; from a
/// line's start, the start of the previous line's last word.
qint64 previousWord(const TextModel &model, qint64 position);

struct Range
{
    qint64 from = 0;
    qint64 to = 0;
};
/// The word that holds the character at position (or the run of blanks or
/// the one character there, see TextWords::at), for a double click; at a
/// line's end, what stands before it. A word of up to
/// TextBoundaries::MaxReach units is found whole.
Range wordAt(const TextModel &model, qint64 position);

} // namespace TextNavigation
