#pragma once

#include "accessibletextitems.h"

#include <QAccessibleWidget>

/// What the program's editable texts share before assistive technology: a
/// widget that offers its text to read, with its characters, words and
/// lines found as in a text box (AccessibleTextItems), and to edit, every
/// edit going through replaceText unless a text says otherwise.
class AccessibleEditableText : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleEditableText(QWidget *widget);

    /// Gives every text view and every line edit of the program, those of
    /// the toolkit's own dialogs included, its interface; more calls do
    /// nothing.
    static void install();

    void *interface_cast(QAccessible::InterfaceType type) override;

    void addSelection(int startOffset, int endOffset) override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;

protected:
    enum class Side { Before, At, After };

    /// The item of a kind before, at or after offset (as assistive
    /// technology gives it), and its text.
    virtual QString item(int offset, QAccessible::TextBoundaryType type, Side side,
                         int *startOffset, int *endOffset) const = 0;
    static AccessibleTextItems::Range find(const TextModel &model, qint64 offset,
                                           QAccessible::TextBoundaryType type, Side side);
};
