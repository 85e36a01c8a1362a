#pragma once

#include "textboundaries.h"

#include <QStringView>

class TextModel;

/// What a word is made of, one rule for every part of the program that
/// asks: whole-word search, the steps of undo and a double click.
///
/// A word is a run of letters, digits, marks, connector punctuation (the
/// underscore and its like) and the zero-width joiner and non-joiner, taken
/// by code point, so a letter beyond U+FFFF counts as a letter and a lone
/// surrogate as nothing of a word. An apostrophe ends a word: "dell'uomo"
/// is two words, as an Italian reader sees them, and a dot ends one too, so
/// "file" is a whole word of "file.txt".
namespace WordCharacters {

bool isWordCharacter(char32_t c);
/// The first and the last code point of text (0 for an empty one).
char32_t firstCodePoint(QStringView text);
char32_t lastCodePoint(QStringView text);

/// The word that holds the character at offset (which lies before its
/// line's end), or the run of blanks there, or the one character there, in
/// whole characters as a reader sees them: what a double click selects. A
/// run longer than TextBoundaries::MaxReach on either side is cut that far
/// from offset.
TextBoundaries::Range wordAt(const TextModel &model, qint64 offset);

} // namespace WordCharacters
