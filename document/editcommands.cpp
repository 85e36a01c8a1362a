#include "editcommands.h"

#include "documenthost.h"
#include "frmdocument.h"
#include "timedatetext.h"

#include "platform/textbox.h"

#include <QClipboard>
#include <QGuiApplication>

EditCommands::EditCommands(DocumentHost &host, const Clock &clock) : host_(host), clock_(clock) {}

TextBox *EditCommands::activeTextBox() const
{
    frmDocument *document = host_.activeDocument();
    return document ? &document->ActiveControl() : nullptr;
}

// The clipboard gets the selection exactly as the text holds it (CR LF line
// breaks included) and loses whatever text it held before.
void EditCommands::Cut()
{
    TextBox *box = activeTextBox();
    if (!box)
        return;
    QGuiApplication::clipboard()->setText(box->SelText());
    box->setSelText(QString());
}

void EditCommands::Copy()
{
    if (TextBox *box = activeTextBox())
        QGuiApplication::clipboard()->setText(box->SelText());
}

// The text box leaves the caret right after the text it inserts, which is
// where the caret belongs; it is not moved again.
void EditCommands::Paste()
{
    if (TextBox *box = activeTextBox())
        box->setSelText(QGuiApplication::clipboard()->text());
}

void EditCommands::SelectAll()
{
    TextBox *box = activeTextBox();
    if (!box)
        return;
    box->setSelStart(0);
    box->setSelLength(box->textLength());
}

void EditCommands::InsertTimeAndDate()
{
    if (TextBox *box = activeTextBox())
        box->setSelText(timeAndDateText(readTimeAndDate(clock_)));
}
