#pragma once

#include <QString>

class TextView;

/// Tells assistive technology what changed in a text view: text inserted
/// and removed (its place and the text itself), the caret and the
/// selection.
///
/// An event carries at most AccessibleText::Limit characters of the text
/// that came or went, so that an edit of a large document never copies
/// it; whoever wants
/// more reads it through the text interface. The text an edit removes is
/// kept as the model is about to replace it, whatever made the edit.
///
/// Nothing is done while no assistive technology listens.
class TextViewAccessibleEvents
{
public:
    /// Also gives every text view its accessible interface.
    explicit TextViewAccessibleEvents(TextView &view);

    void contentsChanged(qint64 position, qint64 removed, qint64 added);
    void caretMoved();

private:
    /// Keeps the text [from, to) that the model is about to replace.
    void aboutToReplace(qint64 from, qint64 to);
    QString removedText(qint64 position, qint64 removed) const;

    TextView &view_;
    qint64 keptFrom_ = -1;
    QString kept_;
    qint64 caret_ = 0;
    qint64 anchor_ = 0;
};
