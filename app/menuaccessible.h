#pragma once

#include <QAccessibleWidget>

class QMenu;

/// A menu as assistive technology sees it: its entries, and its place. A
/// menu of the menu bar or of another menu sits under the entry that opens
/// it; a menu of its own, such as a text box's context menu, sits under the
/// widget it was opened for rather than alone beside the main window, so
/// that a screen reader keeps the main window for the active one and does
/// not say it again while the menu is open.
class MenuAccessible : public QAccessibleWidget
{
public:
    explicit MenuAccessible(QMenu *menu);

    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    QMenu *menu() const;
};
