#include "editcommands.h"

#include "documenthost.h"
#include "frmdocument.h"
#include "timedatetext.h"

#include "platform/textbox.h"
#include "textview/textboxcommands.h"

EditCommands::EditCommands(DocumentHost &host, const Clock &clock) : host_(host), clock_(clock) {}

TextBox *EditCommands::activeTextBox() const
{
    frmDocument *document = host_.activeDocument();
    return document ? &document->ActiveControl() : nullptr;
}

void EditCommands::Cut()
{
    if (TextBox *box = activeTextBox())
        TextBoxCommands::cut(*box);
}

void EditCommands::Copy()
{
    if (TextBox *box = activeTextBox())
        TextBoxCommands::copy(*box);
}

// The text box leaves the caret right after the text it inserts, which is
// where the caret belongs; it is not moved again.
void EditCommands::Paste()
{
    if (TextBox *box = activeTextBox())
        TextBoxCommands::paste(*box);
}

void EditCommands::SelectAll()
{
    if (TextBox *box = activeTextBox())
        TextBoxCommands::selectAll(*box);
}

void EditCommands::InsertTimeAndDate()
{
    if (TextBox *box = activeTextBox())
        box->setSelText(timeAndDateText(readTimeAndDate(clock_)));
}
