#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// What the program is asked to do on its command line:
///
///     vidizizor [FILE...]
///
/// Each FILE is a path, relative ones taken from the current folder, or a
/// file:// address of this computer. --help and --version answer and end
/// the program; so does an option it does not know, with the usage on the
/// error output, and an address of another computer. The toolkit's own
/// options (-platform, -style...) are left to the toolkit.
struct CommandLine
{
    /// The files to open, in the order given, as full paths.
    QStringList files;
    /// Set when the program ends at once, without a window, with this status.
    std::optional<int> exitStatus;
    /// What to print on the standard output and on the error output.
    QString output;
    QString errors;

    /// Reads the arguments, the program's own name first.
    static CommandLine read(const QStringList &arguments, const QString &currentFolder);

    /// The arguments without the toolkit's own options and their values,
    /// so that they can be read before the toolkit is started (with no
    /// display to start it on, it would end the program).
    static QStringList withoutToolkitOptions(const QStringList &arguments);
};
