#include "printcommand.h"

#include "documenthost.h"
#include "frmdocument.h"
#include "textprinter.h"

#include "platform/messagebox.h"
#include "platform/printerprovider.h"

#include <QPrinter>

PrintCommand::PrintCommand(DocumentHost &host, PrinterProvider &printers, MessageBox &messages)
    : host_(host), printers_(printers), messages_(messages)
{
}

void PrintCommand::Print()
{
    frmDocument *document = host_.activeDocument();
    if (!document)
        return;

    // A system printer without a name is no printer at all: Qt would accept
    // the job and silently print nothing.
    const std::unique_ptr<QPrinter> printer = printers_.defaultPrinter();
    if (!printer ||
        (printer->outputFormat() == QPrinter::NativeFormat && printer->printerName().isEmpty())) {
        messages_.show(QStringLiteral("Nessuna stampante predefinita disponibile."));
        return;
    }

    // The whole text, whatever is selected; the document is only read.
    if (!TextPrinter().print(document->text(), *printer))
        messages_.show(QStringLiteral("Stampa non riuscita."));
}
