#pragma once

#include "textboundaries.h"

class TextModel;

/// Words on a model's text, within a line, after the rule of
/// WordCharacters: a word is a run of characters as a reader sees them whose
/// first code point is a word character. A double click, Ctrl+Left and
/// Ctrl+Right, a screen reader's words and whole-word search all ask here.
///
/// Like TextBoundaries, they are found in a window of the line that grows
/// with what is sought, up to TextBoundaries::MaxReach on each side.
namespace TextWords {

/// The word that holds the character at offset (which lies before its
/// line's end), or the run of blanks there, or the one character there:
/// what a double click selects. A run longer than MaxReach on either side is
/// cut that far from offset.
TextBoundaries::Range at(const TextModel &model, qint64 offset);
/// The start of the first word after position on its line, or the line's
/// end when no word follows. -1 when none lies within MaxReach.
qint64 nextStart(const TextModel &model, qint64 position);
/// The start of the last word before position on its line, or the line's
/// start when no word precedes. -1 when none lies within MaxReach.
qint64 previousStart(const TextModel &model, qint64 position);
/// Whether the character as a reader sees it that ends at position is of a
/// word (no line break is).
bool isWordBefore(const TextModel &model, qint64 position);

} // namespace TextWords
