#pragma once

#include <QtGlobal>

#include <memory>

/// Memory that a file's text is read into and then kept in, by the chunks
/// that keep their characters where they were read.
///
/// It is one anonymous mapping: nothing in it is zeroed by the program,
/// since every byte used is read into first, and a page that nothing is
/// read into never takes memory. It goes when the last chunk that keeps
/// characters in it goes.
class TextRegion
{
public:
    /// A region of at least capacity bytes; throws std::bad_alloc when the
    /// system refuses it.
    static std::shared_ptr<TextRegion> make(qint64 capacity);
    ~TextRegion();
    TextRegion(const TextRegion &) = delete;
    TextRegion &operator=(const TextRegion &) = delete;

    char *data() const { return data_; }
    qint64 capacity() const { return capacity_; }
    /// Gives back the room from used on, which nothing will be read into.
    void trim(qint64 used);
    /// Backs the size bytes from offset with memory before they are read
    /// into, in one step rather than a fault at every page.
    void prepare(qint64 offset, qint64 size);

private:
    TextRegion(char *data, qint64 capacity) : data_(data), capacity_(capacity) {}

    char *data_;
    qint64 capacity_;
};
