#include "findreplace.h"

#include "documenthost.h"
#include "findform.h"
#include "frmdocument.h"

#include "text/textmodel.h"
#include "textview/textview.h"

namespace {

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

FindReplace::FindReplace(DocumentHost &host, QWidget &owner) : host_(host), owner_(owner)
{
    connect(&background_, &BackgroundFind::interrupted, this,
            [this] { note(QStringLiteral("Ricerca interrotta")); });
    connect(&background_, &BackgroundFind::abandoned, this, [this](bool outOfMemory) {
        if (outOfMemory)
            note(QStringLiteral("Ricerca interrotta: memoria insufficiente"));
        else
            clearNote();
    });
}

FindReplace::~FindReplace() = default;

FindForm *FindReplace::form() const
{
    return makeForm_ ? &makeForm_() : nullptr;
}

void FindReplace::watch(frmDocument &document)
{
    auto *view = qobject_cast<TextView *>(document.txtText);
    if (!view)
        return;
    // A note says what a command did to the text as it was: an edit after
    // it (an undo of the replacement) makes it stale; the text a load still
    // appends does not.
    connect(&view->model(), &TextModel::contentsChanged, this, [this, view] {
        if (notedView_ == view && !view->model().isLoading())
            clearNote();
    });
}

void FindReplace::openForm(bool replacing)
{
    TextView *view = activeView();
    if (FindForm *form = this->form(); view && form)
        form->present(oneLineSelection(*view), replacing);
}

TextView *FindReplace::activeView() const
{
    frmDocument *document = host_.activeDocument();
    if (!document || !document->isVisible())
        return nullptr;
    return qobject_cast<TextView *>(document->txtText);
}

bool FindReplace::takeQuery()
{
    if (FindForm *form = this->form(); form && form->isShown()) {
        const FindForm::Query asked = form->query();
        last_ = SearchQuery{asked.text, asked.matchCase, asked.wholeWord};
    }
    return last_ && !last_->text.isEmpty();
}

void FindReplace::find(bool forward)
{
    TextView *view = activeView();
    if (view && takeQuery())
        search(*view, forward);
}

void FindReplace::replace()
{
    TextView *view = activeView();
    if (!view || !takeQuery())
        return;
    FindCommands::replaceSelection(*view, *last_, form()->replacement());
    search(*view, true);
}

void FindReplace::search(TextView &view, bool forward)
{
    const auto done = [this, forward](TextView &searched, FindCommands::Outcome outcome) {
        report(outcome, searched, forward);
    };
    if (BackgroundFind::suits(view) && background_.start(view, *last_, forward, done)) {
        noteSearching();
        return;
    }
    background_.stop();
    report(FindCommands::find(view, *last_, forward), view, forward);
}

void FindReplace::report(FindCommands::Outcome outcome, TextView &view, bool forward)
{
    switch (outcome) {
    case FindCommands::Outcome::Found:
        clearNote();
        break;
    case FindCommands::Outcome::FoundAfterWrap:
        note(forward ? QStringLiteral("Ricerca ripresa dall'inizio")
                     : QStringLiteral("Ricerca ripresa dalla fine"));
        break;
    case FindCommands::Outcome::NotFound:
        noteMissing();
        return;
    }
    form()->keepClearOf(selectionOnScreen(view));
}

void FindReplace::replaceAll()
{
    TextView *view = activeView();
    if (!view || !takeQuery())
        return;
    const qint64 count = FindCommands::replaceAll(*view, *last_, form()->replacement());
    if (count < 0)
        return; // refused, and the view has said why
    if (count == 0)
        noteMissing();
    else
        note(count == 1 ? QStringLiteral("1 sostituzione")
                        : QStringLiteral("%L1 sostituzioni").arg(count));
}

void FindReplace::formClosed()
{
    clearNote();
    if (TextView *view = activeView()) {
        owner_.activateWindow();
        view->setFocus(Qt::OtherFocusReason);
    }
}

void FindReplace::note(const QString &text)
{
    host_.showNote(text);
    noted_ = text;
    notedView_ = activeView();
}

void FindReplace::clearNote()
{
    if (!noted_.isEmpty())
        host_.withdrawNote(noted_);
    noted_.clear();
    notedView_ = nullptr;
}

void FindReplace::noteSearching()
{
    const QString text =
        QStringLiteral("Ricerca di %1 in corso (Esc per interrompere)").arg(quoted(last_->text));
    host_.showLastingNote(text);
    noted_ = text;
    notedView_ = activeView();
}

void FindReplace::noteMissing()
{
    note(QStringLiteral("Testo non trovato: ") + quoted(last_->text));
}
