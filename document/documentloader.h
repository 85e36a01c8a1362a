#pragma once

#include <QString>
#include <QtGlobal>

class DocumentHost;
class frmDocument;

/// Reads a text file into a document window's text box.
///
/// The file is read once, front to back, and its text goes into the box
/// piece by piece, each piece appended after the last, so loading takes time
/// in proportion to the file's size and gives the same text as appending it
/// line by line. A file of more than one piece shows its progress through
/// the host, and between pieces the window gets to paint; input from the
/// user waits until the whole text is in, so nothing else can happen to the
/// documents meanwhile.
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
    /// The longest text the box may be given; a longer file is refused.
    void setMaximumLength(qsizetype characters);
    /// The shortest time between two turns of the window while a file loads.
    void setPauseInterval(int milliseconds);

    /// Appends the text of the file at path to the window's text box, which
    /// should be empty.
    Result load(const QString &path, frmDocument &document);

private:
    DocumentHost &host_;
    qsizetype pieceSize_;
    qsizetype maximumLength_;
    int pauseInterval_;
};
