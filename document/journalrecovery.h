#pragma once

#include <QString>

class DocumentHost;
class DocumentJournals;
class FileCommands;
class MessageBox;

/// Brings back, as the program starts, the documents whose journals
/// programs that ended without a choice left behind, each in a window of
/// its own and as it was when last synced: a file's document titled with
/// its path and loaded as Open loads it, its edits put back once its load
/// has ended (RecoveredFile), a new document under the next number. One
/// note tells how many came back; no question is asked. Journals that
/// cannot be read are put aside, never deleted, and named in one message.
class JournalRecovery
{
public:
    JournalRecovery(DocumentHost &host, FileCommands &files, DocumentJournals &journals,
                    MessageBox &messages);

    /// Takes every orphaned journal and opens its document; gives how many
    /// documents came back.
    int recover();

private:
    /// Opens the document of one journal; false when it could not be read.
    bool recoverOne(const QString &path, int &recovered);

    DocumentHost &host_;
    FileCommands &files_;
    DocumentJournals &journals_;
    MessageBox &messages_;
};
