#include "printcommand.h"

PrintCommand::PrintCommand(DocumentHost &host, PrinterProvider &printers, MessageBox &messages)
    : host_(host), printers_(printers), messages_(messages)
{
}

void PrintCommand::Print() {}
