#include "findreplace.h"

#include "finddialog.h"

#include "document/documenthost.h"
#include "document/documentload.h"
#include "document/frmdocument.h"
#include "textview/findcommands.h"
#include "textview/textview.h"

#include <QLineEdit>
#include <QStatusBar>

namespace {

// How long a note stays in the status bar.
constexpr int NoteMilliseconds = 10000;
// The longest stretch of the searched text a note quotes.
constexpr qsizetype QuotedCharacters = 60;

// The searched text on one line, shortened when long.
QString quoted(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    if (line.size() > QuotedCharacters)
        line = line.left(QuotedCharacters) + u'\u2026';
    return u'"' + line + u'"';
}

// A selection worth offering as the text to find: something on one line.
QString oneLineSelection(const TextView &view)
{
    const QString selected = view.SelText();
    if (selected.contains(u'\r') || selected.contains(u'\n'))
        return {};
    return selected;
}

// Where the selection's ends are drawn, in screen coordinates.
QRect selectionOnScreen(TextView &view)
{
    const QRect start = view.caretRectAt(view.cursor().selectionStart());
    const QRect end = view.caretRectAt(view.cursor().selectionEnd());
    const QRect both = start.united(end);
    return QRect(view.viewport()->mapToGlobal(both.topLeft()), both.size());
}

} // namespace

FindReplace::FindReplace(DocumentHost &host, QStatusBar &statusBar, QWidget &owner)
    : QObject(&owner), host_(host), statusBar_(statusBar), owner_(owner)
{
}

FindReplace::~FindReplace() = default;

void FindReplace::watch(frmDocument &document)
{
    auto *view = qobject_cast<TextView *>(document.txtText);
    if (!view)
        return;
    connect(view, &TextView::findRequested, this,
            [this, view](FindRequest request) { requested(*view, request); });
}

FindDialog &FindReplace::dialog()
{
    if (!dialog_) {
        dialog_ = new FindDialog(&owner_);
        connect(dialog_, &FindDialog::findNext, this, [this] { find(true); });
        connect(dialog_, &FindDialog::findPrevious, this, [this] { find(false); });
        connect(dialog_, &FindDialog::replace, this, &FindReplace::replace);
        connect(dialog_, &FindDialog::replaceAll, this, &FindReplace::replaceAll);
        connect(dialog_, &FindDialog::closed, this, &FindReplace::giveFocusBack);
    }
    return *dialog_;
}

void FindReplace::requested(TextView &view, FindRequest request)
{
    switch (request) {
    case FindRequest::Find:
    case FindRequest::Replace:
        openDialog(view, request == FindRequest::Replace);
        return;
    case FindRequest::Next:
    case FindRequest::Previous:
        if (!last_) {
            openDialog(view, false);
            return;
        }
        find(request == FindRequest::Next);
        return;
    }
}

void FindReplace::openDialog(TextView &view, bool replacing)
{
    FindDialog &shown = dialog();
    if (!shown.isVisible() && shown.pos().isNull()) {
        // The first time, at the top right of the window, away from the
        // text where a match is shown.
        shown.adjustSize();
        const QRect area = owner_.geometry();
        shown.move(area.right() - shown.frameGeometry().width() - 16, area.top() + 64);
    }
    shown.present(oneLineSelection(view), replacing);
}

TextView *FindReplace::activeView() const
{
    frmDocument *document = host_.activeDocument();
    if (!document || !document->isVisible())
        return nullptr;
    return qobject_cast<TextView *>(document->txtText);
}

// A search of a text still loading would see part of it only.
TextView *FindReplace::viewToSearch()
{
    TextView *view = activeView();
    if (view && host_.activeDocument()->isLoading()) {
        note(DocumentLoad::stillLoadingNote());
        return nullptr;
    }
    return view;
}

bool FindReplace::takeQuery()
{
    if (dialog_ && dialog_->isVisible())
        last_ = dialog_->query();
    return last_ && !last_->text.isEmpty();
}

void FindReplace::find(bool forward)
{
    TextView *view = viewToSearch();
    if (view && takeQuery())
        report(FindCommands::find(*view, *last_, forward), *view, forward);
}

void FindReplace::replace()
{
    TextView *view = viewToSearch();
    if (view && takeQuery())
        report(FindCommands::replace(*view, *last_, dialog_->replacement()), *view, true);
}

void FindReplace::report(FindCommands::Outcome outcome, TextView &view, bool forward)
{
    switch (outcome) {
    case FindCommands::Outcome::Found:
        statusBar_.clearMessage();
        break;
    case FindCommands::Outcome::FoundAfterWrap:
        note(forward ? QStringLiteral("Ricerca ripresa dall'inizio")
                     : QStringLiteral("Ricerca ripresa dalla fine"));
        break;
    case FindCommands::Outcome::NotFound:
        noteMissing();
        return;
    }
    if (dialog_)
        dialog_->keepClearOf(selectionOnScreen(view));
}

void FindReplace::replaceAll()
{
    TextView *view = viewToSearch();
    if (!view || !takeQuery())
        return;
    const qint64 count = FindCommands::replaceAll(*view, *last_, dialog_->replacement());
    if (count < 0)
        return; // refused, and the view has said why
    if (count == 0)
        noteMissing();
    else
        note(count == 1 ? QStringLiteral("1 sostituzione")
                        : QStringLiteral("%L1 sostituzioni").arg(count));
}

void FindReplace::giveFocusBack()
{
    if (TextView *view = activeView()) {
        owner_.activateWindow();
        view->setFocus(Qt::OtherFocusReason);
    }
}

void FindReplace::note(const QString &text)
{
    statusBar_.showMessage(text, NoteMilliseconds);
}

void FindReplace::noteMissing()
{
    note(QStringLiteral("Testo non trovato: ") + quoted(last_->text));
}
