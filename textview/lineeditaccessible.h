#pragma once

#include "accessibleeditabletext.h"

class QLineEdit;

/// What assistive technology sees of a one-line field (QLineEdit): its text,
/// caret and selection, and the characters, words and lines in it, found as
/// in a text box (see AccessibleTextItems), so that every boundary at every
/// offset, the end of the text included, has an answer.
///
/// A field that hides what is typed (a password) shows its masked text, as
/// on the screen.
class LineEditAccessible : public AccessibleEditableText
{
public:
    explicit LineEditAccessible(QLineEdit *field);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    QString item(int offset, QAccessible::TextBoundaryType type, Side side, int *startOffset,
                 int *endOffset) const override;

private:
    QLineEdit *field() const;
    /// The text as shown: masked in a password field.
    QString shown() const;
    /// An offset from assistive technology: -2 is the caret, another
    /// negative one the end.
    int offset(int offset) const;
    qreal xOf(int offset) const;
};
