#pragma once

#include <QString>

#include <functional>
#include <optional>

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
    /// Creates and numbers a new document window as CreateDocumentWindow
    /// does, and shows it once prepare has set it up: a file's window comes
    /// to the front with its title and its load under way, never first as
    /// an empty new document.
    virtual frmDocument *
    CreatePreparedDocumentWindow(const std::function<void(frmDocument &)> &prepare) = 0;
    /// Takes the number of the next new document and gives its title
    /// ("Documento7"); nothing when no more documents can be numbered.
    virtual std::optional<QString> nextDocumentTitle() = 0;
    /// Shows a short note where the window keeps its notes (its status
    /// bar) for a while, and says it to a screen reader: the outcome of a
    /// command, or why it could not be carried out now.
    virtual void showNote(const QString &text) = 0;
    /// Shows a note as showNote does, until another note takes its place:
    /// what happened to a document's file, which must not go unread.
    virtual void showLastingNote(const QString &text) = 0;
    /// Takes the note away, when it is still the one shown.
    virtual void withdrawNote(const QString &text) = 0;
};
