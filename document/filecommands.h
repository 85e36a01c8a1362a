#pragma once

class DocumentHost;
class FileDialog;
class MessageBox;

/// Open, Close, Save and Save As on the active document.
class FileCommands
{
public:
    FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages);

    void Open();
    void Close();
    void Save();
    void SaveAs();

private:
    DocumentHost &host_;
    FileDialog &dialog_;
    MessageBox &messages_;
};
