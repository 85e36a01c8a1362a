#pragma once

#include "printerprovider.h"

class SystemPrinterProvider : public PrinterProvider
{
public:
    std::unique_ptr<QPrinter> defaultPrinter() override;
};
