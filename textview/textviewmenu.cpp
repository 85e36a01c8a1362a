#include "textviewmenu.h"

#include "gotolinedialog.h"
#include "textboxcommands.h"
#include "textview.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace TextViewMenu {

namespace {

QAction *addItem(QMenu &menu, const QString &caption, const char *name, bool enabled,
                 const QKeySequence &key = {})
{
    QAction *action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    action->setShortcut(key);
    return action;
}

} // namespace

QMenu *create(TextView &view)
{
    auto *menu = new QMenu(&view);
    QObject::connect(
        addItem(*menu, QStringLiteral("&Annulla"), "edit-undo", view.canUndo(), QKeySequence::Undo),
        &QAction::triggered, &view, [&view] { view.undo(); });
    QObject::connect(addItem(*menu, QStringLiteral("&Ripeti"), "edit-redo", view.canRedo(),
                             QKeySequence(Qt::CTRL | Qt::Key_Y)),
                     &QAction::triggered, &view, [&view] { view.redo(); });
    menu->addSeparator();
    const bool selected = view.cursor().hasSelection();
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    const bool canPaste = clipboard && clipboard->hasText();
    QObject::connect(
        addItem(*menu, QStringLiteral("&Taglia"), "edit-cut", selected, QKeySequence::Cut),
        &QAction::triggered, &view, [&view] { TextBoxCommands::cut(view); });
    QObject::connect(
        addItem(*menu, QStringLiteral("&Copia"), "edit-copy", selected, QKeySequence::Copy),
        &QAction::triggered, &view, [&view] { TextBoxCommands::copy(view); });
    QObject::connect(
        addItem(*menu, QStringLiteral("&Incolla"), "edit-paste", canPaste, QKeySequence::Paste),
        &QAction::triggered, &view, [&view] { TextBoxCommands::paste(view); });
    QObject::connect(addItem(*menu, QStringLiteral("Elimina"), "edit-delete", selected),
                     &QAction::triggered, &view, [&view] { view.setSelText(QString()); });
    menu->addSeparator();
    QObject::connect(addItem(*menu, QStringLiteral("Seleziona tutto"), "select-all",
                             view.textLength() > 0, QKeySequence::SelectAll),
                     &QAction::triggered, &view, [&view] { TextBoxCommands::selectAll(view); });
    menu->addSeparator();
    QAction *find = addItem(*menu, QStringLiteral("&Trova e sostituisci..."), "find", true);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QObject::connect(find, &QAction::triggered, &view,
                     [&view] { emit view.findRequested(FindRequest::Find); });
    QObject::connect(addItem(*menu, QStringLiteral("&Vai alla riga..."), "go-to-line", true,
                             QKeySequence(Qt::CTRL | Qt::Key_G)),
                     &QAction::triggered, &view, [&view] { GoToLineDialog::ask(view); });
    if (view.menuAddition()) {
        menu->addSeparator();
        view.menuAddition()(*menu);
    }
    return menu;
}

void exec(QMenu &menu, QPoint globalPosition, bool fromKeyboard)
{
    if (fromKeyboard) {
        // Made active once the menu shows, which clears what was active.
        QTimer::singleShot(0, &menu, [&menu] {
            const QList<QAction *> entries = menu.actions();
            const auto first = std::find_if(entries.cbegin(), entries.cend(), [](QAction *entry) {
                return entry->isVisible() && entry->isEnabled() && !entry->isSeparator();
            });
            if (first != entries.cend())
                menu.setActiveAction(*first);
        });
    }
    menu.exec(globalPosition);
}

void show(TextView &view, QPoint globalPosition, bool fromKeyboard)
{
    const std::unique_ptr<QMenu> menu(create(view));
    exec(*menu, globalPosition, fromKeyboard);
    // The keyboard never left the text box, so the toolkit does not always
    // tell that it has it again once the menu has closed; a screen reader
    // left on the menu's entry would hear nothing of what the entry did.
    if (view.hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent back(&view, QAccessible::Focus);
        QAccessible::updateAccessibility(&back);
    }
}

void showAtCaret(TextView &view)
{
    view.ensureCaretVisible();
    const QRect caret = view.caretRect();
    const QRect area = view.viewport()->rect();
    const QPoint below(std::clamp(caret.left(), area.left(), area.right()),
                       std::clamp(caret.bottom() + 1, area.top(), area.bottom()));
    show(view, view.viewport()->mapToGlobal(below), true);
}

} // namespace TextViewMenu
