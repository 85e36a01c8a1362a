#include "qtfiledialog.h"

#include <QApplication>
#include <QFileDialog>

void QtFileDialog::showOpen()
{
    const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow());
    if (!chosen.isEmpty())
        fileName_ = chosen;
}

void QtFileDialog::showSave()
{
    const QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow());
    if (!chosen.isEmpty())
        fileName_ = chosen;
}
