#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A check that holds in every build: a mismatch stops the fuzzer, which
// keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Reads the fuzzer's input front to back; past its end every read gives 0.
class FuzzInput
{
public:
    FuzzInput(const unsigned char *data, size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return done_ >= size_; }
    unsigned byte() { return atEnd() ? 0 : data_[done_++]; }
    unsigned word() { return byte() | byte() << 8; }

private:
    const unsigned char *data_;
    size_t size_;
    size_t done_ = 0;
};
