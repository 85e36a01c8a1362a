#pragma once

#include <QString>
#include <QtGlobal>

class DocumentHost;
class frmDocument;

/// Reads a text file into a document window's text.
///
/// The file is read once, front to back, and decoded on threads of its own
/// (FileLoad) into the chunks the document's text model keeps, so loading
/// takes time in proportion to the file's size and the text is never held
/// twice. Meanwhile the window stays live: the chunks go in at the end of
/// the text as they come, so the start of the file shows at once; a file of
/// more than one piece shows its progress through the host; and the user may
/// type, scroll or close the window (the load then stops at once). What the
/// user types goes where the caret is, among the text loaded so far, and the
/// rest of the file still comes after all of it.
class DocumentLoader
{
public:
    enum class Outcome {
        Loaded,
        Failed,     ///< the file could not be read; the reason says why
        WindowGone, ///< the window was closed while the file was loading
    };
    struct Result
    {
        Outcome outcome = Outcome::Loaded;
        QString reason;
    };

    explicit DocumentLoader(DocumentHost &host);

    /// How many bytes are read and decoded at a time (at least 1).
    void setPieceSize(qsizetype bytes);
    /// The longest text a document may be given; a longer file is refused.
    void setMaximumLength(qint64 characters);

    /// Appends the text of the file at path to the window's text, which
    /// should be empty, and returns once it is all in or the load ended.
    Result load(const QString &path, frmDocument &document);

private:
    DocumentHost &host_;
    qsizetype pieceSize_;
    qint64 maximumLength_;
};
