#pragma once

#include <QStringView>

/// What a word is made of: the one rule that whole-word search, the steps
/// of undo, a double click, Ctrl+Left and Ctrl+Right and a screen reader's
/// words all follow.
///
/// A word is a run of letters, digits, marks, connector punctuation (the
/// underscore and its like) and the zero-width joiner and non-joiner, taken
/// by code point, so a letter beyond U+FFFF counts as a letter and a lone
/// surrogate as nothing of a word. Anything else ends a word: an apostrophe
/// ("dell'uomo" is "dell" and "uomo", as an Italian reader sees them), a
/// hyphen ("e-mail" is "e" and "mail"), a dot, a comma between digits, a
/// pictograph. A character as a reader sees it (a letter with its accents, a
/// pictograph with what is joined to it) is of the kind of its first code
/// point, so an accent never splits a word and an accent alone is part of
/// one.
namespace WordCharacters {

bool isWordCharacter(char32_t c);
/// The first and the last code point of text (0 for an empty one).
char32_t firstCodePoint(QStringView text);
char32_t lastCodePoint(QStringView text);

enum class Kind { Word, Blank, Other };
/// The kind of a character as a reader sees it, from its first code point.
Kind kindOf(char32_t first);

} // namespace WordCharacters
