#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QAction;

/// An entry of a menu or of the menu bar as assistive technology sees it:
/// the action's text, state and submenu, in the menu that shows it now.
///
/// Its keys are given as the accessibility bus writes them for every
/// toolkit: "mnemonic;path from the menu bar;shortcut", as in
/// "o;<Alt>f:o;<Control>o" for File > Nuovo, so that a screen reader says
/// an item with its shortcut. The menu is looked up each time, so an entry
/// whose action outlives a menu made for one showing (a context menu)
/// answers for the menu that shows it next instead of going invalid.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit MenuItemAccessible(QAction *action);

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text, const QString &) override {}

    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &name) const override;

    /// A shortcut in the bus's own words: "<Control><Shift>z", "F5".
    static QString busKeys(const QKeySequence &shortcut);

private:
    /// The menu or menu bar that shows the entry: the one in sight, else
    /// the first that holds it.
    QWidget *owner() const;
    /// The access key of the entry's text ("o" for "Nu&ovo"), lower case.
    QString mnemonic() const;
    /// The access keys from the menu bar down to the entry, "<Alt>f:o".
    QString path() const;

    QPointer<QAction> action_;
};
