#pragma once

#include "textfile/fileload.h"

#include <limits>

class FileWatcher;
class LoadMemory;

/// How files are read into the documents.
struct LoadSettings
{
    /// How the file is read: how many bytes at a time (a file of no more
    /// than one block shows no progress), in parts of what size, on how
    /// many threads. Its format is found from the file,
    /// but for the encoding a person has chosen (reading.encoding).
    FileLoad::Options reading;
    /// The longest text a document may be given; a longer file fails.
    qint64 maximumLength = std::numeric_limits<qint64>::max();
    /// What the text may take; with none, nothing is checked.
    LoadMemory *memory = nullptr;
    /// What tells of other programs' changes to a document's file once it
    /// is read or saved; with none, the file is looked at only when its
    /// document comes to the front and before it is saved.
    FileWatcher *watcher = nullptr;
};
