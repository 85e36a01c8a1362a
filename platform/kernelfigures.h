#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <optional>

/// Reading the figures the kernel gives in small text files under /proc
/// and /sys.
namespace KernelFigures {

/// The start of a small file; empty when it cannot be read.
QByteArray read(const QString &path);
/// A file's whole text as a number; nothing for anything else ("max",
/// "unlimited", an empty or missing file).
std::optional<qint64> number(const QByteArray &text);
/// The value of a "Name:   1234 kB" line, in bytes.
std::optional<qint64> kilobytes(const QByteArray &text, const char *name);
/// The value of a "name 1234" line.
std::optional<qint64> field(const QByteArray &text, const QByteArray &name);
/// The least of the figures there are; nothing when there is none.
std::optional<qint64> least(std::initializer_list<std::optional<qint64>> figures);
/// limit less used, when both are known.
std::optional<qint64> leftBelow(std::optional<qint64> limit, std::optional<qint64> used);

} // namespace KernelFigures
