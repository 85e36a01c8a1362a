#include "detachedthread.h"

#include <QtGlobal>

#include <memory>
#include <system_error>
#include <thread>

#ifdef Q_OS_UNIX
#include <pthread.h>

namespace {

void *run(void *argument)
{
    const std::unique_ptr<std::function<void()>> work(
        static_cast<std::function<void()> *>(argument));
    (*work)();
    return nullptr;
}

} // namespace

void startDetachedThread(std::function<void()> work, std::size_t stackBytes)
{
    pthread_attr_t attributes;
    int error = pthread_attr_init(&attributes);
    if (error != 0)
        throw std::system_error(error, std::generic_category());
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    // A size the system refuses (below its minimum) leaves its default.
    pthread_attr_setstacksize(&attributes, stackBytes);
    auto held = std::make_unique<std::function<void()>>(std::move(work));
    pthread_t thread;
    error = pthread_create(&thread, &attributes, run, held.get());
    pthread_attr_destroy(&attributes);
    if (error != 0)
        throw std::system_error(error, std::generic_category());
    held.release(); // the thread owns it now
}

#else

void startDetachedThread(std::function<void()> work, std::size_t)
{
    std::thread(std::move(work)).detach();
}

#endif
