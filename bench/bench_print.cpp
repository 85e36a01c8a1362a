// Prints texts of growing size into PDF files and reports how long the
// layout and the job take. Prints figures only; asserts nothing.
#include "document/textprinter.h"
#include "text/textmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QTextStream out(stdout);
    out << "lines\tcharacters\tPDF KB\tms\n";
    for (const int lines : {1000, 10000, 100000}) {
        QString text;
        for (int i = 0; i < lines; ++i) {
            text += QStringLiteral("Riga %1: il testo di prova va avanti fino a una lunghezza "
                                   "normale per una riga.\r\n")
                        .arg(i);
            if (i % 50 == 0)
                text += QString(300, u'x') + QStringLiteral("\r\n"); // wraps
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = folder.filePath(QStringLiteral("bench-%1.pdf").arg(lines));
        printer.setOutputFileName(path);
        QElapsedTimer timer;
        timer.start();
        TextModel model;
        model.setText(text);
        const bool ok = TextPrinter().print(model, printer);
        const qint64 ms = timer.elapsed();
        out << lines << '\t' << text.size() << '\t' << QFileInfo(path).size() / 1024 << '\t' << ms
            << (ok ? "" : "\tFAILED") << Qt::endl;
    }
    return 0;
}
