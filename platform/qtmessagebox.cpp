#include "qtmessagebox.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBox::present(const QString &text, Icon icon)
{
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    applicationTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
