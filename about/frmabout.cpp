#include "frmabout.h"

frmAbout::frmAbout(ProcessLauncher &, FileLookup &, Registry &, MessageBox &, QWidget *owner)
    : QDialog(owner)
{
}
