#pragma once

#include <QString>

#include <optional>

/// The full path of the file of this computer that argument names, as a
/// program working in folder means it: a path, a relative one taken from
/// folder, or a file:// address (of this computer: no host, or localhost).
/// None for the address of another computer's file.
std::optional<QString> localFilePath(const QString &argument, const QString &folder);
