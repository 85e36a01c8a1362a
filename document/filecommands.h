#pragma once

#include "documentloader.h"

#include <QStringList>

class DocumentHost;
class FileDialog;
class MessageBox;
class frmDocument;

/// Open, Close, Save and Save As on the active document.
///
/// A document's file is the path in its window's title. Open loads a file
/// into a new window; Save writes the active document to the path in its
/// title, Save As to a path chosen in the dialog, leaving the title alone.
/// Saving keeps the file the same file (FileSaver): when anything fails, the
/// file is as it was and a message says why. With no document open, the
/// commands do nothing.
class FileCommands
{
public:
    FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages);

    void Open();
    /// Opens each file as Open opens the path chosen in the dialog, one
    /// after the other, the last one in front.
    void OpenFiles(const QStringList &paths);
    void Close();
    void Save();
    void SaveAs();

    /// Whether Open is loading a file: the window stays live meanwhile,
    /// but the other commands, bar Close, wait.
    bool isLoading() const { return loading_; }

    /// How files are read into the documents.
    DocumentLoader &loader() { return loader_; }

private:
    void open(const QString &path);
    void write(frmDocument &document, const QString &path);

    DocumentHost &host_;
    FileDialog &dialog_;
    MessageBox &messages_;
    DocumentLoader loader_;
    bool loading_ = false;
    bool opening_ = false;
    QStringList waiting_;
};
