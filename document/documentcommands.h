#pragma once

#include "formatchoices.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class DocumentHost;
class DocumentJournals;
class EditCommands;
class FileCommands;
class FindForm;
class FindReplace;
class FormatCommands;
class LoadMemory;
class MessageBox;
class PrintCommand;
class QMenu;
class QWidget;
class frmDocument;
struct LoadSettings;
struct Platform;
namespace TextFileFormat {
struct FileFormat;
}

/// The commands a person gives the documents, whichever way they are asked
/// for: the menus, the toolbar, the text box's keys or the find dialog.
enum class DocumentCommand {
    New,
    Open,
    Close,
    Save,
    SaveAs,
    Print,
    Cut,
    Copy,
    Paste,
    SelectAll,
    TimeAndDate,
    /// The find dialog, with the find field ready or the replace field.
    Find,
    Replace,
    FindNext,
    FindPrevious,
    /// Replaces the selection when it is a match, then finds the next.
    ReplaceOne,
    ReplaceAll,
    /// The file read again in the encoding chosen.
    ReopenWithEncoding,
    /// The encoding chosen, for the next Save.
    ConvertEncoding,
    /// Every line break made the one chosen.
    ConvertLineEnds,
};

/// What a command does while the active document's file is still loading.
enum class WhileLoading {
    /// Runs on the text that has come so far. An edit at the end of that
    /// text waits in the text box until the rest has come, as typing does.
    Runs,
    /// Needs the whole text: refused with a note until the load has ended.
    NeedsWholeText,
};

/// Every document command in one table, with what it may do while its
/// document loads, and the commands that carry them out (FileCommands,
/// EditCommands, PrintCommand, FindReplace). The window builds its menus,
/// toolbar and dialogs and hands each request here; every command acts on
/// the document that is active when it runs.
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    /// Messages of the file and print commands go to failures, notes to
    /// the host; owner is the window the dialogs belong to.
    DocumentCommands(DocumentHost &host, Platform &platform, MessageBox &failures, QWidget &owner);
    ~DocumentCommands() override;

    /// Runs command on the active document, as far as the table allows.
    void run(DocumentCommand command);
    /// The active document when command may run on it now; nullptr when
    /// none is open, or when its file is still loading and command needs
    /// the whole text (a note then says so).
    static frmDocument *documentFor(DocumentCommand command, DocumentHost &host);

    /// Readies a new document: its large edits are held against the memory
    /// left, its text box's find keys run the find commands, and what other
    /// programs do to its file is noted.
    void watch(frmDocument &document);

    /// Opens each file as Open does.
    void OpenFiles(const QStringList &paths);

    /// Keeps a journal of the unsaved edits of every document readied from
    /// now on, in journals.
    void keepJournals(DocumentJournals &journals) { journals_ = &journals; }
    /// Brings back the documents of the journals that programs which ended
    /// without a choice left; gives how many came back.
    int recoverJournals();
    /// How the files are read into the documents.
    LoadSettings &loadSettings();

    /// Gives the find dialog, which the window makes the first time it is
    /// asked for.
    void setFindForm(std::function<FindForm &()> make);
    /// The find dialog was closed.
    void findFormClosed();

    /// What can be chosen for the encoding and the line ends of the
    /// document in front, each entry with what choosing it does.
    FormatChoices formatChoices();
    /// Gives the menu of those choices (FormatChoices), which the window
    /// makes; each text box shows it last in its context menu.
    void setFormatMenu(std::function<QMenu *(QWidget &parent)> make);
    /// Runs a command of the encoding or line ends with the format chosen
    /// (the encoding, or the line break, as the command takes it).
    void runFormat(DocumentCommand command, const TextFileFormat::FileFormat &chosen);

private:
    struct Entry;
    static const Entry Table[];
    static const Entry &entry(DocumentCommand command);
    static WhileLoading whileLoading(DocumentCommand command);

    DocumentHost &host_;
    MessageBox &failures_;
    std::unique_ptr<LoadMemory> memory_;
    std::unique_ptr<FileCommands> file_;
    std::unique_ptr<EditCommands> edit_;
    std::unique_ptr<PrintCommand> print_;
    std::unique_ptr<FindReplace> find_;
    std::unique_ptr<FormatCommands> format_;
    DocumentJournals *journals_ = nullptr;
    std::function<QMenu *(QWidget &parent)> formatMenu_;
    /// What the format command being run was given (runFormat).
    std::unique_ptr<TextFileFormat::FileFormat> chosen_;
};
