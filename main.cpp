#include "app/application.h"
#include "app/commandline.h"
#include "app/italian.h"
#include "app/modulo1.h"
#include "platform/terminationsignals.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

int answer(const CommandLine &request)
{
    std::fputs(request.output.toLocal8Bit().constData(), stdout);
    std::fputs(request.errors.toLocal8Bit().constData(), stderr);
    return *request.exitStatus;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // Every thread that allocates would get an arena of its own, each
    // taking 64 MB of address space: under a limit on it (ulimit -v), that
    // is room a large file's document needs. The threads share two.
    mallopt(M_ARENA_MAX, 2);
#endif
    // Before any thread starts, so that every thread has them blocked and
    // the journals' thread alone takes them.
    const TerminationSignals endings;
#ifdef Q_OS_UNIX
    // A write past the file-size limit then fails with its reason, and a
    // save that was rewriting a file puts the old bytes back, instead of the
    // program being killed half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The command line is answered before the program reaches for the
    // display, so that --help, --version and a wrong argument get their
    // Italian answer in a terminal without one. The files are read once the
    // toolkit has taken its own options (-platform, -style...) out.
    if (argc > 1) {
        QCoreApplication withoutDisplay(argc, argv);
        installItalianTranslations(withoutDisplay);
        const CommandLine request = CommandLine::read(
            CommandLine::withoutToolkitOptions(QCoreApplication::arguments()), QDir::currentPath());
        if (request.exitStatus)
            return answer(request);
    }
    Application application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vidizizor"));
    installItalianTranslations(application);
    const CommandLine request = CommandLine::read(QApplication::arguments(), QDir::currentPath());
    if (request.exitStatus)
        return answer(request);
    // Files open in the program already running in this desktop session.
    if (Modulo1::HandToRunningProgram(request.files))
        return 0;
    Modulo1::MainWithJournals(request.files, endings);
    application.setOutOfMemory(Modulo1::TellOutOfMemory);
    const int status = application.exec();
    Modulo1::End();
    return status;
}
