#pragma once

class DocumentHost;
class MessageBox;
class PrinterProvider;

/// Prints the whole text of the active document on the default printer as
/// one job.
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
