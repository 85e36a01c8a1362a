#pragma once

#include <QAccessibleWidget>

class QMdiArea;

/// The area that holds the document windows, as assistive technology sees
/// it: a plain container of the windows, with no name and no role a screen
/// reader would say, so that going to a document says the document alone.
class DocumentAreaAccessible : public QAccessibleWidget
{
public:
    explicit DocumentAreaAccessible(QMdiArea *area);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QMdiArea *area() const;
};
