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
    /// A file this large, or one whose text will not fit in memory, keeps
    /// its text in the file: its document holds pieces of it, read when
    /// they are needed (LoadOptions::pieces).
    qint64 piecesFrom = qint64(2) << 30;
    /// What a document held in pieces may take for them: its tree of
    /// pieces, and the cache of the pieces read last in what is left.
    qint64 pieceBudget = qint64(96) << 20;
    /// What tells of other programs' changes to a document's file once it
    /// is read or saved; with none, the file is looked at only when its
    /// document comes to the front and before it is saved.
    FileWatcher *watcher = nullptr;
};
