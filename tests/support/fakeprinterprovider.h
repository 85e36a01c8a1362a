#pragma once

#include "platform/printerprovider.h"

#include <QDir>
#include <QPrinter>
#include <QStringList>

/// Prints each job into its own PDF file in a folder, or pretends that
/// there is no default printer.
class FakePrinterProvider : public PrinterProvider
{
public:
    explicit FakePrinterProvider(QString folder = {}) : folder_(std::move(folder)) {}

    std::unique_ptr<QPrinter> defaultPrinter() override
    {
        requests++;
        if (folder_.isEmpty())
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        const QString path = QDir(folder_).filePath(QStringLiteral("job-%1.pdf").arg(requests));
        printer->setOutputFileName(path);
        jobs << path;
        return printer;
    }

    int requests = 0;
    QStringList jobs;

private:
    QString folder_;
};
