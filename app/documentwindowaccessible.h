#pragma once

#include <QAccessibleWidget>

class QMdiSubWindow;

/// A document window as assistive technology sees it: a pane around the
/// document's text box, in the document area. It carries no name: the text
/// box inside is named after the document, and a screen reader that read
/// both would say the document twice, the path first. Nor is it a window of
/// its own to a screen reader, which would otherwise take it for the active
/// window and say the main window again each time the main window is
/// activated.
class DocumentWindowAccessible : public QAccessibleWidget
{
public:
    explicit DocumentWindowAccessible(QMdiSubWindow *window);

    QString text(QAccessible::Text kind) const override;
    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QMdiSubWindow *subWindow() const;
};
