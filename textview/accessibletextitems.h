#pragma once

#include <QAccessible>

class TextModel;

/// The pieces of a model's text that assistive technology reads one at a
/// time: characters (as a reader sees them), words, sentences and lines.
///
/// A word runs to the next word's start, as a screen reader expects: with
/// the blanks after it, and the last word of a line with the line break. A
/// line break is an item of its own for characters, sentences and an empty
/// line's word, and ends its line for lines.
///
/// A line longer than LinePiece characters is given in pieces of about that
/// size, so that reading the line at the caret never copies a line of
/// megabytes; the pieces cut the line at fixed places, so that the piece
/// before and after are found the same way.
namespace AccessibleTextItems {

constexpr qint64 LinePiece = 4096;

struct Range
{
    qint64 from = 0;
    qint64 to = 0;
};

/// The item of a kind that holds offset (the one before it at the end of
/// the text).
Range at(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind);
/// The item before the one at offset; empty at the start of the text.
Range before(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind);
/// The item after the one at offset; empty at the end of the text.
Range after(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind);

} // namespace AccessibleTextItems
