#include "terminationsignals.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>
#endif

#ifdef Q_OS_LINUX
namespace {

sigset_t endingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}

// A program started from this one would otherwise inherit them blocked,
// and could no longer be ended by them.
void unblockInChild()
{
    const sigset_t set = endingSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals()
{
    const sigset_t set = endingSignals();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) {
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    pthread_atfork(nullptr, nullptr, unblockInChild);
}

TerminationSignals::~TerminationSignals()
{
    if (fd_ >= 0)
        close(fd_);
}

int TerminationSignals::take() const
{
    signalfd_siginfo info{};
    if (fd_ < 0 || read(fd_, &info, sizeof info) != ssize_t(sizeof info))
        return 0;
    return int(info.ssi_signo);
}

#else

TerminationSignals::TerminationSignals() = default;
TerminationSignals::~TerminationSignals() = default;
int TerminationSignals::take() const
{
    return 0;
}

#endif
