#pragma once

#include <QString>

/// The open/save file dialog as the File commands see it: one file-name
/// property and two blocking show operations.
///
/// After a show operation the file name holds the chosen full path; when the
/// user cancels it keeps whatever it held before.
class FileDialog
{
public:
    virtual ~FileDialog() = default;

    /// The file-name property.
    QString fileName() const { return fileName_; }
    void setFileName(const QString &name) { fileName_ = name; }

    /// Shows the open dialog and blocks until the user closes it.
    virtual void showOpen() = 0;
    /// Shows the save dialog and blocks until the user closes it.
    virtual void showSave() = 0;

protected:
    QString fileName_;
};
