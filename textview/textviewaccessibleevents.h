#pragma once

#include <QString>

class TextView;

/// Tells assistive technology what changed in a text view: text inserted
/// and removed (its place and the text itself), the caret and the
/// selection.
///
/// An event carries at most AccessibleText::Limit characters of the text
/// that came or went, and the value only of a document within that limit,
/// so that an edit of a large document never copies it; whoever wants
/// more reads it through the text interface. The text an edit removes is
/// kept just before the view makes the edit; a removal the view did not
/// announce carries no text.
///
/// Nothing is done while no assistive technology listens.
class TextViewAccessibleEvents
{
public:
    /// Also gives every text view its accessible interface.
    explicit TextViewAccessibleEvents(TextView &view);

    /// Keeps the text [from, to) that an edit of the view is about to replace.
    void aboutToReplace(qint64 from, qint64 to);
    /// Keeps what an edit at the caret may remove: the selection, or the
    /// character on either side of the caret.
    void aboutToEditAtCaret();
    void contentsChanged(qint64 position, qint64 removed, qint64 added);
    void caretMoved();

private:
    QString removedText(qint64 position, qint64 removed) const;

    TextView &view_;
    qint64 keptFrom_ = -1;
    QString kept_;
    qint64 caret_ = 0;
    qint64 anchor_ = 0;
};
