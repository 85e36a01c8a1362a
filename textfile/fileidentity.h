#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include <QString>

struct stat;

/// What makes a file the file it is beyond its bytes: its owner, group,
/// mode bits and extended attributes, an access control list being one.
namespace FileIdentity {

/// Gives the file open as fd the owner, group, mode bits and extended
/// attributes of the file at path, whose status is original. Returns
/// whether fd now has every one of them: false when the system refuses one
/// (another user's file, a group this user is not in) or when they cannot
/// all be read.
bool give(int fd, const struct stat &original, const QString &path);

} // namespace FileIdentity

#endif
