#pragma once

#include <QString>
#include <QtGlobal>

class DocumentHost;
class frmDocument;

/// Reads a text file into a document window's text.
///
/// The file is read once, front to back, and decoded straight into the
/// document's text model, so loading takes time in proportion to the file's
/// size and the text is never held twice. A file of more than one piece
/// shows its progress through the host, and between pieces the window gets
/// its turn: what the model holds so far is painted, timers run, and the
/// window may even be closed (the load then stops). Input from the user
/// waits until the whole text is in.
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
    /// The shortest time between two turns of the window while a file loads.
    void setPauseInterval(int milliseconds);

    /// Appends the text of the file at path to the window's text, which
    /// should be empty.
    Result load(const QString &path, frmDocument &document);

private:
    DocumentHost &host_;
    qsizetype pieceSize_;
    qint64 maximumLength_;
    int pauseInterval_;
};
