#pragma once

#include "text/linebreak.h"

#include <QString>

class DocumentHost;
class FileCommands;
class MessageBox;
class frmDocument;
namespace TextFileFormat {
class Encoding;
}

/// The encoding and the line ends of the active document, as a person
/// chooses them: its file read again in another encoding, the encoding the
/// next Save writes, and its line ends converted. With no document open,
/// they do nothing.
class FormatCommands
{
public:
    FormatCommands(DocumentHost &host, FileCommands &file, MessageBox &messages);

    /// Reads the active document's file again in encoding (its line ends
    /// found anew), bytes that do not decode kept as on any load: in the
    /// same window when its text has no unsaved edits; otherwise the window
    /// keeps its text and the file opens in a new one, so that nothing
    /// typed goes.
    void ReopenWith(const TextFileFormat::Encoding &encoding);
    /// The next Save writes the active document in encoding, with or
    /// without a mark. Refused with a message, the encoding left as it was,
    /// when the text holds a character that encoding cannot write, or a byte
    /// that the present encoding could not read (which would mean nothing
    /// in another).
    void ConvertTo(const TextFileFormat::Encoding &encoding);
    /// Makes every line break of the active document lineBreak, as one step
    /// of undo; Enter makes it from then on. The caret and the selection
    /// stay on their lines and columns.
    void ConvertLineEnds(LineBreak lineBreak);

private:
    /// Why the text cannot be written in encoding, or an empty string.
    static QString conversionRefusal(frmDocument &document,
                                     const TextFileFormat::Encoding &encoding);

    DocumentHost &host_;
    FileCommands &file_;
    MessageBox &messages_;
};
