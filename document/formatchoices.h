#pragma once

#include <QList>
#include <QString>

#include <functional>

class DocumentCommands;
class frmDocument;

/// One entry of the menu that chooses the encoding or the line ends of the
/// document in front.
struct FormatChoice
{
    QString label;
    /// Whether it is what the document has now.
    bool current = false;
    /// Carries the choice out on the document in front when it is made.
    std::function<void()> choose;
};

/// Every entry of that menu, as it stands for the document in front.
struct FormatChoices
{
    /// False when no document is open: nothing can be chosen.
    bool hasDocument = false;
    /// Whether the document has a file to read again.
    bool canReopen = false;
    /// The encodings to read the file again in, and to write it in from
    /// the next Save on: the common ones, and the rest.
    QList<FormatChoice> reopen;
    QList<FormatChoice> otherReopen;
    QList<FormatChoice> convert;
    QList<FormatChoice> otherConvert;
    /// "CR LF (Windows)" and "LF (Unix)".
    QList<FormatChoice> lineEnds;
};

/// The entries for document (none when it is nullptr); choosing one runs
/// the command through commands, on whichever document is in front then.
FormatChoices formatChoicesFor(const frmDocument *document, DocumentCommands &commands);
