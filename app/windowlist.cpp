#include "windowlist.h"

#include "documentactivation.h"
#include "windowchooser.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace {

// A caption as menu text: its ampersands stay ampersands.
QString literal(QString caption)
{
    return caption.replace(u'&', QStringLiteral("&&"));
}

} // namespace

WindowList::WindowList(QMenu &menu, QMdiArea &area, DocumentActivation &activation)
    : QObject(&menu), menu_(menu), area_(area), activation_(activation),
      separator_(menu.addSeparator())
{
    separator_->setObjectName(QStringLiteral("mnuWindowListBar"));
    separator_->setVisible(false);
    connect(&menu, &QMenu::aboutToShow, this, &WindowList::refresh);
}

void WindowList::refresh()
{
    qDeleteAll(entries_);
    entries_.clear();
    const QList<QMdiSubWindow *> windows = area_.subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow *current = area_.currentSubWindow();
    separator_->setVisible(!windows.isEmpty());

    QList<QMdiSubWindow *> listed = windows.mid(0, MostListed);
    if (windows.size() > MostListed && !listed.contains(current) && current)
        listed.last() = current;
    for (int i = 0; i < listed.size(); ++i)
        addEntry(i + 1, listed[i], listed[i] == current);
    if (windows.size() > MostListed) {
        QAction *more = menu_.addAction(QStringLiteral("&Altre finestre..."));
        more->setObjectName(QStringLiteral("mnuWindowMore"));
        connect(more, &QAction::triggered, this, &WindowList::chooseFromAll);
        entries_ << more;
    }
}

void WindowList::addEntry(int number, QMdiSubWindow *window, bool active)
{
    QAction *entry =
        menu_.addAction(QStringLiteral("&%1 %2").arg(number).arg(literal(window->windowTitle())));
    // Only the active window carries a mark; the others show none.
    entry->setCheckable(active);
    entry->setChecked(active);
    connect(entry, &QAction::triggered, this, [this, window = QPointer(window)] {
        if (window)
            activation_.bringToFront(window);
    });
    entries_ << entry;
}

void WindowList::chooseFromAll()
{
    const QList<QMdiSubWindow *> windows = area_.subWindowList(QMdiArea::CreationOrder);
    QStringList captions;
    for (const QMdiSubWindow *window : windows)
        captions << window->windowTitle();
    WindowChooser chooser(captions, int(windows.indexOf(area_.currentSubWindow())), menu_.window());
    QList<QPointer<QMdiSubWindow>> kept(windows.cbegin(), windows.cend());
    if (chooser.exec() != QDialog::Accepted)
        return;
    const int chosen = chooser.chosen();
    if (chosen >= 0 && chosen < kept.size() && kept[chosen])
        activation_.bringToFront(kept[chosen]);
}
