#pragma once

#include <QDialog>

class FileLookup;
class MessageBox;
class ProcessLauncher;
class Registry;

/// The About box.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout(ProcessLauncher &launcher, FileLookup &files, Registry &registry,
             MessageBox &messages, QWidget *owner);
};
