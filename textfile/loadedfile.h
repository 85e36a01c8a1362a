#pragma once

#include "filestamp.h"

#include <QtGlobal>

#include <memory>

class FileDigest;

/// What a load found of its file once every byte was read and checked.
struct LoadedFile
{
    /// The file's stamp when the load ended.
    FileStamp stamp;
    /// How many bytes of the file the text was read from: its size when the
    /// load began, or all a pipe gave.
    qint64 size = 0;
    /// Bytes were added past size while the file loaded; they were not read.
    bool grew = false;
    /// The checksum of the bytes read; none for a file read in order, such
    /// as a pipe, whose bytes cannot be read again.
    std::shared_ptr<const FileDigest> digest;
};
