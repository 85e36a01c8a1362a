#pragma once

class DocumentHost;
class MessageBox;
class PrinterProvider;

/// Prints the whole text of the active document on the default printer as
/// one job. The command table (DocumentCommands) keeps it from a document
/// whose file is still loading, which would print in part.
class PrintCommand
{
public:
    PrintCommand(DocumentHost &host, PrinterProvider &printers, MessageBox &messages);

    void Print();

private:
    DocumentHost &host_;
    PrinterProvider &printers_;
    MessageBox &messages_;
};
