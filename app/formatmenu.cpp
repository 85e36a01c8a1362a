#include "formatmenu.h"

#include "document/documentcommands.h"

#include <QActionGroup>

FormatMenu::FormatMenu(DocumentCommands &commands, QWidget *parent)
    : QMenu(QStringLiteral("C&odifica e fine riga"), parent), commands_(commands)
{
    setObjectName(QStringLiteral("formatMenu"));
    connect(this, &QMenu::aboutToShow, this, &FormatMenu::rebuild);
}

void FormatMenu::rebuild()
{
    // The submenus of the last showing go with their entries.
    qDeleteAll(findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
    clear();
    const FormatChoices choices = commands_.formatChoices();
    addEncodings(QStringLiteral("&Riapri con codifica"), choices.reopen, choices.otherReopen,
                 choices.canReopen);
    addEncodings(QStringLiteral("Converti &in"), choices.convert, choices.otherConvert,
                 choices.hasDocument);
    QMenu *lineEnds = addMenu(QStringLiteral("&Fine riga"));
    addChoices(*lineEnds, choices.lineEnds);
    lineEnds->setEnabled(choices.hasDocument);
}

void FormatMenu::addEncodings(const QString &title, const QList<FormatChoice> &common,
                              const QList<FormatChoice> &others, bool enabled)
{
    QMenu *menu = addMenu(title);
    menu->setEnabled(enabled);
    addChoices(*menu, common);
    menu->addSeparator();
    addChoices(*menu->addMenu(QStringLiteral("&Altre codifiche")), others);
}

// Each list is one group of marks: the document's own is checked.
void FormatMenu::addChoices(QMenu &menu, const QList<FormatChoice> &choices)
{
    auto *group = new QActionGroup(&menu);
    for (const FormatChoice &choice : choices) {
        QAction *action = menu.addAction(choice.label);
        action->setCheckable(true);
        action->setChecked(choice.current);
        group->addAction(action);
        connect(action, &QAction::triggered, &menu, choice.choose);
    }
}
