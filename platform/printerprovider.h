#pragma once

#include <memory>

class QPrinter;

/// Hands out the printer that a print job goes to.
class PrinterProvider
{
public:
    virtual ~PrinterProvider() = default;
    /// A printer set up for the system's default printer with its own
    /// defaults, or nullptr when there is no default printer.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
};
