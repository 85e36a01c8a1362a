#include "toolbarbuttons.h"

#include "platform/twips.h"
#include "resources/pictures.h"

#include <QAction>
#include <QToolBar>

void addToolBarButtons(QToolBar &toolBar)
{
    struct Button
    {
        const char *key;
        const char *tooltip;
        int picture; // index in the image list, from 1
    };
    const Button buttons[] = {
        {"New", "Nuovo", 1},   {"Open", "Apri", 2},    {"Save", "Salva", 3},
        {nullptr, nullptr, 0}, {"Print", "Stampa", 4}, {nullptr, nullptr, 0},
        {"Cut", "Taglia", 5},  {"Copy", "Copia", 6},   {"Paste", "Incolla", 7}};
    const Twips twips(toolBar);
    const QSize buttonSize(twips.toPixelsX(360), twips.toPixelsY(330));
    for (const Button &button : buttons) {
        if (!button.key) {
            toolBar.addSeparator();
            continue;
        }
        QAction *action = toolBar.addAction(Pictures::imlIcons(button.picture),
                                            QString::fromLatin1(button.tooltip));
        action->setData(QString::fromLatin1(button.key));
        action->setToolTip(QString::fromLatin1(button.tooltip));
        if (QWidget *widget = toolBar.widgetForAction(action))
            widget->setFixedSize(buttonSize);
    }
}
