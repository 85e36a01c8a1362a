#include "documentcommands.h"

#include "diskfile.h"
#include "documenthost.h"
#include "documentjournals.h"
#include "documentload.h"
#include "editcommands.h"
#include "filecommands.h"
#include "findreplace.h"
#include "formatcommands.h"
#include "frmdocument.h"
#include "journalrecovery.h"
#include "loadmemory.h"
#include "printcommand.h"

#include "platform/platform.h"
#include "textfile/detection.h"
#include "textview/textview.h"

#include <QMdiSubWindow>
#include <QMenu>

#include <algorithm>
#include <iterator>

struct DocumentCommands::Entry
{
    DocumentCommand command;
    WhileLoading whileLoading;
    /// A document minimised to an icon, which the person cannot see, is
    /// never changed.
    bool changesText;
    void (*run)(DocumentCommands &commands);
};

namespace {

using W = WhileLoading;
using C = DocumentCommand;

bool shown(const frmDocument *document)
{
    const auto *subWindow =
        document ? qobject_cast<QMdiSubWindow *>(document->parentWidget()) : nullptr;
    return document && !(subWindow && subWindow->isMinimized());
}

} // namespace

// The command, what it does during a load, whether it changes the text, and
// what carries it out.
const DocumentCommands::Entry DocumentCommands::Table[] = {
    {C::New, W::Runs, false, [](DocumentCommands &c) { c.host_.CreateDocumentWindow(); }},
    {C::Open, W::Runs, false, [](DocumentCommands &c) { c.file_->Open(); }},
    // Closing the window of a file that is loading stops the load.
    {C::Close, W::Runs, false, [](DocumentCommands &c) { c.file_->Close(); }},
    {C::Save, W::NeedsWholeText, false, [](DocumentCommands &c) { c.file_->Save(); }},
    {C::SaveAs, W::NeedsWholeText, false, [](DocumentCommands &c) { c.file_->SaveAs(); }},
    {C::Print, W::NeedsWholeText, false, [](DocumentCommands &c) { c.print_->Print(); }},
    {C::Cut, W::Runs, true, [](DocumentCommands &c) { c.edit_->Cut(); }},
    {C::Copy, W::Runs, false, [](DocumentCommands &c) { c.edit_->Copy(); }},
    {C::Paste, W::Runs, true, [](DocumentCommands &c) { c.edit_->Paste(); }},
    {C::SelectAll, W::Runs, false, [](DocumentCommands &c) { c.edit_->SelectAll(); }},
    {C::TimeAndDate, W::Runs, true, [](DocumentCommands &c) { c.edit_->InsertTimeAndDate(); }},
    {C::Find, W::Runs, false, [](DocumentCommands &c) { c.find_->openForm(false); }},
    {C::Replace, W::Runs, false, [](DocumentCommands &c) { c.find_->openForm(true); }},
    // A search of a text still loading would see part of it only.
    {C::FindNext, W::NeedsWholeText, false, [](DocumentCommands &c) { c.find_->find(true); }},
    {C::FindPrevious, W::NeedsWholeText, false, [](DocumentCommands &c) { c.find_->find(false); }},
    {C::ReplaceOne, W::NeedsWholeText, false, [](DocumentCommands &c) { c.find_->replace(); }},
    {C::ReplaceAll, W::NeedsWholeText, false, [](DocumentCommands &c) { c.find_->replaceAll(); }},
    // Reading again stops a load that is under way.
    {C::ReopenWithEncoding, W::Runs, false,
     [](DocumentCommands &c) { c.format_->ReopenWith(c.chosen_->encoding); }},
    // Whether the text can be written so is known from the whole of it.
    {C::ConvertEncoding, W::NeedsWholeText, false,
     [](DocumentCommands &c) { c.format_->ConvertTo(c.chosen_->encoding); }},
    {C::ConvertLineEnds, W::NeedsWholeText, true,
     [](DocumentCommands &c) { c.format_->ConvertLineEnds(c.chosen_->lineBreak); }},
};

DocumentCommands::DocumentCommands(DocumentHost &host, Platform &platform, MessageBox &failures,
                                   QWidget &owner)
    : host_(host), failures_(failures), memory_(std::make_unique<LoadMemory>(*platform.memory)),
      file_(std::make_unique<FileCommands>(host, *platform.fileDialog, failures)),
      edit_(std::make_unique<EditCommands>(host, *platform.clock)),
      print_(std::make_unique<PrintCommand>(host, *platform.printer, failures)),
      find_(std::make_unique<FindReplace>(host, owner)),
      format_(std::make_unique<FormatCommands>(host, *file_, failures)),
      chosen_(std::make_unique<TextFileFormat::FileFormat>())
{
    file_->loadSettings().memory = memory_.get();
    file_->loadSettings().watcher = platform.fileWatcher.get();
}

DocumentCommands::~DocumentCommands() = default;

const DocumentCommands::Entry &DocumentCommands::entry(DocumentCommand command)
{
    return *std::find_if(std::begin(Table), std::end(Table),
                         [command](const Entry &entry) { return entry.command == command; });
}

WhileLoading DocumentCommands::whileLoading(DocumentCommand command)
{
    return entry(command).whileLoading;
}

frmDocument *DocumentCommands::documentFor(DocumentCommand command, DocumentHost &host)
{
    frmDocument *document = host.activeDocument();
    if (document && document->isLoading() &&
        whileLoading(command) == WhileLoading::NeedsWholeText) {
        host.showNote(DocumentLoad::stillLoadingNote());
        return nullptr;
    }
    return document;
}

void DocumentCommands::run(DocumentCommand command)
{
    const Entry &entry = this->entry(command);
    if (entry.whileLoading == WhileLoading::NeedsWholeText && !documentFor(command, host_))
        return;
    if (entry.changesText && !shown(host_.activeDocument()))
        return;
    entry.run(*this);
}

void DocumentCommands::watch(frmDocument &document)
{
    if (journals_)
        journals_->watch(document);
    document.guardMemory(*memory_, failures_);
    find_->watch(document);
    connect(&document.diskFile(), &DiskFile::changed, this,
            [this](const QString &note) { host_.showLastingNote(note); });
    connect(&document.diskFile(), &DiskFile::outdated, this,
            [this](const QString &note) { host_.withdrawNote(note); });
    auto *view = qobject_cast<TextView *>(document.txtText);
    if (!view)
        return;
    view->setMenuAddition([this](QMenu &menu) {
        if (formatMenu_)
            menu.addMenu(formatMenu_(menu));
    });
    // F3 and Shift+F3 before any search open the dialog, to ask for one.
    connect(view, &TextView::findRequested, this, [this](FindRequest request) {
        const bool again = request == FindRequest::Next || request == FindRequest::Previous;
        if (again && !find_->hasQuery())
            request = FindRequest::Find;
        switch (request) {
        case FindRequest::Find:
            return run(DocumentCommand::Find);
        case FindRequest::Replace:
            return run(DocumentCommand::Replace);
        case FindRequest::Next:
            return run(DocumentCommand::FindNext);
        case FindRequest::Previous:
            return run(DocumentCommand::FindPrevious);
        }
    });
}

void DocumentCommands::OpenFiles(const QStringList &paths)
{
    file_->OpenFiles(paths);
}

LoadSettings &DocumentCommands::loadSettings()
{
    return file_->loadSettings();
}

void DocumentCommands::setFindForm(std::function<FindForm &()> make)
{
    find_->setForm(std::move(make));
}

void DocumentCommands::findFormClosed()
{
    find_->formClosed();
}

void DocumentCommands::setFormatMenu(std::function<QMenu *(QWidget &parent)> make)
{
    formatMenu_ = std::move(make);
}

void DocumentCommands::runFormat(DocumentCommand command, const TextFileFormat::FileFormat &chosen)
{
    *chosen_ = chosen;
    run(command);
}

FormatChoices DocumentCommands::formatChoices()
{
    return formatChoicesFor(host_.activeDocument(), *this);
}

int DocumentCommands::recoverJournals()
{
    if (!journals_)
        return 0;
    return JournalRecovery(host_, *file_, *journals_, failures_).recover();
}
