#include "textregion.h"

#include <new>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

namespace {

qint64 roundedUp(qint64 size, qint64 step)
{
    return (size + step - 1) / step * step;
}

} // namespace

// Huge pages are not asked for (MADV_HUGEPAGE): where the system is a guest
// that hands its free memory back to the host, a first touch of such a page
// waits for the host, and a gigabyte read into them took five times as long
// as into small pages. A system that gives them to every large mapping
// still does, and places the mapping for them itself.
std::shared_ptr<TextRegion> TextRegion::make(qint64 capacity)
{
    const qint64 size = roundedUp(std::max<qint64>(capacity, 1), qint64(sysconf(_SC_PAGESIZE)));
    void *mapped =
        mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    return std::shared_ptr<TextRegion>(new TextRegion(static_cast<char *>(mapped), size));
}

TextRegion::~TextRegion()
{
    munmap(data_, size_t(capacity_));
}

// Two threads reading a gigabyte this way took a fifth less time than with
// a fault at every page, which they take turns at. Where the system cannot
// (before Linux 5.14), each page is backed when the read first writes to it.
void TextRegion::prepare(qint64 offset, qint64 size)
{
#ifdef MADV_POPULATE_WRITE
    const qint64 page = sysconf(_SC_PAGESIZE);
    const qint64 from = offset / page * page;
    const qint64 to = std::min(roundedUp(offset + size, page), capacity_);
    if (to > from)
        madvise(data_ + from, size_t(to - from), MADV_POPULATE_WRITE);
#else
    Q_UNUSED(offset);
    Q_UNUSED(size);
#endif
}

void TextRegion::trim(qint64 used)
{
    const qint64 kept = roundedUp(std::max<qint64>(used, 1), qint64(sysconf(_SC_PAGESIZE)));
    if (kept < capacity_) {
        munmap(data_ + kept, size_t(capacity_ - kept));
        capacity_ = kept;
    }
}

#else

std::shared_ptr<TextRegion> TextRegion::make(qint64 capacity)
{
    const qint64 size = std::max<qint64>(capacity, 1);
    return std::shared_ptr<TextRegion>(new TextRegion(new char[size_t(size)], size));
}

TextRegion::~TextRegion()
{
    delete[] data_;
}

void TextRegion::trim(qint64) {}

void TextRegion::prepare(qint64, qint64) {}

#endif
