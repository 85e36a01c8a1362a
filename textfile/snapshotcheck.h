#pragma once

#include "loadedfile.h"

#include <QString>

#include <functional>
#include <optional>
#include <variant>

class FileDigest;
class FileSnapshot;

/// Whether the bytes a load read are still the file's, once the last of
/// them is read.
///
/// The file's stamp now is held against the one it had when it was opened.
/// The same stamp: nothing wrote to it. A smaller size: it was cut, and
/// what was read may hold bytes of two versions. Any other change (a
/// write, an append, the file renamed over or removed, which changes its
/// change time too): its first bytes, as many as were read, are read again
/// and compared block by block with the digest of what the load read. The
/// same bytes: the file only grew, or was left as it was; other bytes: it
/// was rewritten while it was read.
namespace SnapshotCheck {

/// The file as the load found it, or the reason the load fails.
using Verdict = std::variant<LoadedFile, QString>;

/// Checks a file read at offsets, whose bytes read have the given digest;
/// stopping is asked between the blocks read again.
Verdict check(const FileSnapshot &snapshot, const std::shared_ptr<const FileDigest> &digest,
              const std::function<bool()> &stopping);

/// Why a load fails when its file was cut while it was read.
QString cutReason();
/// Why a load fails when its file was rewritten while it was read.
QString rewrittenReason();

} // namespace SnapshotCheck
