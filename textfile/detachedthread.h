#pragma once

#include <cstddef>
#include <functional>

/// Starts work on a thread of its own that nobody waits for, with a stack
/// of stackBytes. Every thread's stack is address space taken for as long
/// as it runs, which a limit on the program's address space counts: the
/// load's threads, whose calls go a few levels deep, need far less than
/// the system's default of several megabytes.
/// Throws std::system_error when the thread cannot be started.
void startDetachedThread(std::function<void()> work, std::size_t stackBytes);
