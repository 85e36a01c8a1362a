#include "filecommands.h"

#include "documenthost.h"
#include "frmdocument.h"

FileCommands::FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages)
    : host_(host), dialog_(dialog), messages_(messages)
{
}

void FileCommands::Open() {}

void FileCommands::Close()
{
    if (frmDocument *document = host_.activeDocument())
        document->Unload();
}

void FileCommands::Save() {}
void FileCommands::SaveAs() {}
