#pragma once

#include "detection.h"
#include "journalidentity.h"

#include <QString>

#include <optional>

/// Where a journal's document came from: a new document, or the file at a
/// path, read in a format, with the file's identity once its load has
/// ended (a journal begun while the file still loads learns it later).
struct JournalOrigin
{
    /// Empty for a new document.
    QString path;
    /// The format the file was read in, so that it is read the same way
    /// again; the system's for a new document.
    TextFileFormat::FileFormat format;
    std::optional<JournalIdentity> identity;
    /// The text as it was before the first edit follows the origin, so
    /// that the document comes back whole even when its file has changed.
    bool keepsBase = false;

    bool isNewDocument() const { return path.isEmpty(); }
};
