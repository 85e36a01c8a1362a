#pragma once

class frmDocument;

/// What the document commands need from the window that hosts the
/// documents. The commands never keep a document: they ask for the active
/// one each time.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    /// The document window in front, or nullptr when none is open.
    virtual frmDocument *activeDocument() const = 0;
    /// Creates, numbers and shows a new empty document window; nullptr when
    /// no more documents can be numbered.
    virtual frmDocument *CreateDocumentWindow() = 0;
    /// Shows how far a long file load has come, 0 to 100; a negative value
    /// hides the progress again.
    virtual void showLoadProgress(int percent) = 0;
};
