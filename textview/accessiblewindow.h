#pragma once

#include <QtGlobal>

#include <climits>

class TextModel;

/// The part of a view's text that assistive technology sees, whose offsets
/// are ints. A text within the limit is seen whole, with the view's own
/// positions. A longer one is seen through a window of whole lines around
/// the caret, about a span of characters, whose offsets count from the
/// window's start; on a line longer than the span, the window is the part
/// of that line around the caret.
///
/// The window stays where it is while the caret is in it; edits inside it
/// make it longer or shorter, and edits before it move it with its text.
/// Whoever moves it tells assistive technology (TextViewAccessibleEvents).
class AccessibleWindow
{
public:
    struct Bounds
    {
        /// The longest text seen whole: as far as an int offset reaches.
        qint64 limit = INT_MAX;
        /// About how many characters a window holds; edits inside it may
        /// make it up to twice as long before it is placed again.
        qint64 span = 1 << 19;
    };

    /// Where an edit of the text falls, for the window as it stands.
    enum class Edit { Inside, Before, After, Across };

    explicit AccessibleWindow(const TextModel &model) : model_(model) {}

    /// Smaller bounds, so that a small text shows how a huge one is seen.
    void setBounds(Bounds bounds) { bounds_ = bounds; }

    bool isWhole() const { return whole_; }
    qint64 start() const { return whole_ ? 0 : from_; }
    qint64 end() const;
    qint64 length() const { return end() - start(); }

    /// The offset of a position in the window, held to the window.
    int offsetOf(qint64 position) const;
    /// The position of an offset from assistive technology, held to the
    /// window; a negative offset means the window's end.
    qint64 positionOf(int offset) const;

    /// Where an edit of [from, to) falls, for a text length long before it.
    Edit classify(qint64 from, qint64 to, qint64 length) const;
    /// Follows an edit that fell inside the window or before it.
    void follow(Edit edit, qint64 removed, qint64 added);
    /// Whether the window may stay as it is for the text as it is: seen
    /// whole just when the text is within the limit, and not grown past
    /// twice the span.
    bool fitsText() const;
    /// Whether it may also stay with the caret at position.
    bool fits(qint64 caret) const { return fitsText() && holds(caret); }
    /// Places the window around the caret, whole if the text is within the
    /// limit.
    void placeAround(qint64 caret);
    /// Makes the window the empty text at position, which it is for a moment
    /// while it moves.
    void collapseAt(qint64 position);

    /// Whether position is in the window, its end only where the window
    /// ends with the text: elsewhere that place starts the next line.
    bool holds(qint64 position) const;

private:
    void placeInsideLine(qint64 caret, qint64 lineStart, qint64 lineNext);
    qint64 wholeLinesBefore(qint64 start, qint64 room) const;
    qint64 wholeLinesAfter(qint64 next, qint64 room) const;

    const TextModel &model_;
    Bounds bounds_;
    bool whole_ = true;
    qint64 from_ = 0;
    qint64 to_ = 0;
};
