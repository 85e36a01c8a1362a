#include "textboxcommands.h"

#include "platform/textbox.h"

#include <QClipboard>
#include <QGuiApplication>

namespace TextBoxCommands {

void cut(TextBox &box)
{
    QGuiApplication::clipboard()->setText(box.SelText());
    box.setSelText(QString());
}

void copy(TextBox &box)
{
    QGuiApplication::clipboard()->setText(box.SelText());
}

void paste(TextBox &box)
{
    box.setSelText(QGuiApplication::clipboard()->text());
}

void selectAll(TextBox &box)
{
    box.setSelStart(0);
    box.setSelLength(box.textLength());
}

} // namespace TextBoxCommands
