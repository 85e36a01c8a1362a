#pragma once

#include "accessibleeditabletext.h"

class AccessibleWindow;
class TextView;

/// What assistive technology sees of a text view: an editable multi-line
/// text whose characters, words and lines it reads, whose caret and
/// selection it follows and sets, and which it may edit.
///
/// Offsets count the model's UTF-16 units, as the view does (a CR LF counts
/// two), from the start of the view's AccessibleWindow: the text itself
/// while it fits an int's offsets, a window around the caret of a longer
/// one, which every call reads, sets and edits within. Every read builds only the range asked for,
/// up to AccessibleText::Limit characters; characters the bus cannot carry come as U+FFFD (see
/// AccessibleText). Its name is the view's accessible name, which the document window keeps to its
/// file's name.
///
/// It has no value interface: on the platform's bus a value is a number,
/// and a screen reader would read a text box with one as a slider.
class TextViewAccessible : public AccessibleEditableText
{
public:
    explicit TextViewAccessible(TextView *view);

    /// Whether the view waits for the first text of the file it loads: it
    /// has nothing to read yet. Its state says busy then.
    static bool isBusy(const TextView &view);

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

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    QString item(int offset, QAccessible::TextBoundaryType type, Side side, int *startOffset,
                 int *endOffset) const override;

private:
    TextView *view() const;
    const AccessibleWindow &seen() const;
    AccessibleTextItems::Range windowItem(qint64 position, QAccessible::TextBoundaryType type,
                                          Side side) const;
    /// The whole text, within the limit; see text(QAccessible::Text).
    QString value() const;
    qint64 offset(int offset) const;
    int offsetOf(qint64 position) const;
};
