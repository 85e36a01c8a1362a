#pragma once

#include <QLineEdit>

/// A field of the find dialog. Reached with Tab or a shortcut it selects its
/// text, as every line edit does, but only once the focus has been told to
/// assistive technology: a screen reader that hears a selection before the
/// focus takes no notice of the focus, and says neither the field's label
/// nor its text.
class FindField : public QLineEdit
{
    Q_OBJECT

public:
    explicit FindField(QWidget *parent = nullptr);

    /// Selects the whole text now if the field has the focus, or as soon as
    /// it gets it.
    void selectAllWhenFocused();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    bool selectOnFocus_ = false;
};
