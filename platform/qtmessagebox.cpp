#include "qtmessagebox.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBox::show(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
