#include "textboxcommands.h"

#include "textview.h"

#include "platform/textbox.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

// The selection is made a string for the clipboard: one that would not fit
// in the memory left is refused with the reason, and the clipboard keeps
// what it had.
bool mayCopy(TextBox &box)
{
    auto *view = dynamic_cast<TextView *>(&box);
    return !view || view->mayAdd(box.SelLength());
}

} // namespace

namespace TextBoxCommands {

void cut(TextBox &box)
{
    if (!mayCopy(box))
        return;
    QGuiApplication::clipboard()->setText(box.SelText());
    box.setSelText(QString());
}

void copy(TextBox &box)
{
    if (mayCopy(box))
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
