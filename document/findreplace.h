#pragma once

#include "backgroundfind.h"
#include "findcommands.h"

#include "text/searchquery.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class DocumentHost;
class FindForm;
class QWidget;
class TextView;
class frmDocument;

/// Find and replace for the whole program: one dialog, owned by the main
/// window, acting on whichever document is active when a button is pressed,
/// and the keys of every document's text box (F3 and Shift+F3 search again
/// without the dialog). Outcomes are noted in the status bar, never in a
/// message box (the host's notes are also said to a screen reader); a note
/// leaves when the dialog closes or the text it is about changes.
class FindReplace : public QObject
{
    Q_OBJECT

public:
    /// Gives the dialog, made the first time it is asked for.
    using FormMaker = std::function<FindForm &()>;

    FindReplace(DocumentHost &host, QWidget &owner);
    ~FindReplace() override;

    void setForm(FormMaker make) { makeForm_ = std::move(make); }
    /// Takes a note about a document's text away once that text changes.
    void watch(frmDocument &document);
    /// Whether a search has been made that F3 and Shift+F3 may repeat.
    bool hasQuery() const { return last_.has_value(); }

    /// Opens the dialog for the active document, offering its selection as
    /// the text to find.
    void openForm(bool replacing);
    void find(bool forward);
    void replace();
    void replaceAll();
    /// The dialog was closed: its note goes, and the text box gets the
    /// keyboard back.
    void formClosed();

private:
    /// Finds the last query in view, on threads when its document is held
    /// in pieces of its file (BackgroundFind), and notes the outcome.
    void search(TextView &view, bool forward);
    /// Notes the outcome of a search; a match found is kept clear of the
    /// dialog.
    void report(FindCommands::Outcome outcome, TextView &view, bool forward);
    /// The dialog; none before setForm.
    FindForm *form() const;
    /// The text box of the active document, when one is shown.
    TextView *activeView() const;
    /// Takes the dialog's query as the last search; false when it is empty.
    bool takeQuery();
    /// Shows the outcome in the status bar.
    void note(const QString &text);
    /// Shows until the search ends that it is under way.
    void noteSearching();
    /// Takes the note away, when it is still the one shown.
    void clearNote();
    void noteMissing();

    DocumentHost &host_;
    QWidget &owner_;
    FormMaker makeForm_;
    std::optional<SearchQuery> last_;
    QString noted_;
    /// The text box the note is about.
    QPointer<TextView> notedView_;
    BackgroundFind background_;
};
