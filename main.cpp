#include "app/italian.h"
#include "app/modulo1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vidizizor"));
    installItalianTranslations(application);
    Modulo1::Main();
    return application.exec();
}
