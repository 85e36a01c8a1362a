#include "systemprinterprovider.h"

#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter> SystemPrinterProvider::defaultPrinter()
{
    // With no printer installed QPrinter still reports itself valid and then
    // silently prints nothing, so ask for the default printer's name instead.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (printer->printerName().isEmpty())
        return nullptr;
    return printer;
}
