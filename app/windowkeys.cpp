#include "windowkeys.h"

#include "documentactivation.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QShortcut>

WindowKeys::WindowKeys(QMainWindow &window, QMdiArea &area, DocumentActivation &activation)
    : QObject(&window), window_(window), area_(area)
{
    const auto bind = [&](const QKeySequence &keys, auto slot) {
        auto *shortcut = new QShortcut(keys, &window);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    bind(QKeySequence(Qt::Key_F10), [this] { focusMenuBar(); });
    bind(QKeySequence(Qt::ALT | Qt::Key_Minus), [this] { showWindowMenu(); });
    bind(QKeySequence(Qt::CTRL | Qt::Key_F6), [&activation] { activation.activateNext(); });
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
         [&activation] { activation.activatePrevious(); });
}

void WindowKeys::prepare(QMdiSubWindow &window)
{
    const QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    for (QAction *action : window.systemMenu()->actions())
        if (!action->shortcut().isEmpty() && closeKeys.contains(action->shortcut()))
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
}

// Qt offers no call that puts the menu bar into keyboard mode without
// opening a menu; it enters that mode when Alt is pressed and released
// alone, so F10 plays such a press to the widget that has the focus.
void WindowKeys::focusMenuBar()
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &window_;
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(target, &override);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void WindowKeys::showWindowMenu()
{
    if (QMdiSubWindow *current = area_.currentSubWindow())
        current->showSystemMenu();
}
