#pragma once

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

/// One entry of a menu as the design lists it: its name, its caption ("-" for
/// a separator), the handler of Receiver it runs and its shortcut. A toggle
/// carries a check mark, set at start, that its handler reads.
template <class Receiver> struct MenuItem
{
    const char *name;
    const char *caption;
    void (Receiver::*handler)() = nullptr;
    QKeySequence shortcut = {};
    bool toggle = false;
};

/// Adds a menu named `name` to the menu bar, with its items named as the
/// design names them. Menu shortcuts work anywhere in the receiver's window;
/// where the text box would take a key for itself (Ctrl+C, Ctrl+X, Ctrl+V),
/// its own event handling leaves the key to these commands.
template <class Receiver>
QMenu *addMenu(QMenuBar &bar, Receiver &receiver, const char *name, const char *caption,
               std::initializer_list<MenuItem<Receiver>> items)
{
    QMenu *menu = bar.addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QLatin1String(name));
    for (const MenuItem<Receiver> &item : items) {
        QAction *action = qstrcmp(item.caption, "-") == 0
                              ? menu->addSeparator()
                              : menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1String(item.name));
        action->setShortcut(item.shortcut);
        if (item.toggle) {
            action->setCheckable(true);
            action->setChecked(true);
            // A click flips a checkable item before it reports the click; the
            // mark goes back so that the handler reads the mark the user saw.
            QObject::connect(action, &QAction::triggered, &receiver,
                             [&receiver, action, handler = item.handler](bool flipped) {
                                 action->setChecked(!flipped);
                                 (receiver.*handler)();
                             });
        } else if (item.handler) {
            QObject::connect(action, &QAction::triggered, &receiver, item.handler);
        }
    }
    return menu;
}
