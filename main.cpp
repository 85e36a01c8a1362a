#include "app/italian.h"
#include "app/modulo1.h"

#include <QApplication>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    // A write past the file-size limit then fails with its reason, and a
    // save that was rewriting a file puts the old bytes back, instead of the
    // program being killed half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vidizizor"));
    installItalianTranslations(application);
    Modulo1::Main();
    return application.exec();
}
