#pragma once

#include "textview/findcommands.h"
#include "textview/findrequest.h"

#include "text/searchquery.h"

#include <QObject>
#include <QPointer>

#include <optional>

class DocumentHost;
class FindDialog;
class QStatusBar;
class QWidget;
class TextView;
class frmDocument;

/// Find and replace for the whole program: one dialog, owned by the main
/// window, acting on whichever document is active when a button is pressed,
/// and the keys of every document's text box (F3 and Shift+F3 search again
/// without the dialog). Outcomes are noted in the status bar, never in a
/// message box.
class FindReplace : public QObject
{
    Q_OBJECT

public:
    FindReplace(DocumentHost &host, QStatusBar &statusBar, QWidget &owner);
    ~FindReplace() override;

    /// Answers the find requests of a new document's text box.
    void watch(frmDocument &document);
    /// The dialog, made the first time it is asked for.
    FindDialog &dialog();

private:
    void requested(TextView &view, FindRequest request);
    void openDialog(TextView &view, bool replacing);
    void find(bool forward);
    void replace();
    void replaceAll();
    /// Notes the outcome of a search; a match found is kept clear of the
    /// dialog.
    void report(FindCommands::Outcome outcome, TextView &view, bool forward);
    void giveFocusBack();
    /// The text box of the active document, when one is shown.
    TextView *activeView() const;
    /// The active text box when it may be searched now; a note says why not
    /// while its file is still loading.
    TextView *viewToSearch();
    /// Takes the dialog's query as the last search; false when it is empty.
    bool takeQuery();
    void note(const QString &text);
    void noteMissing();

    DocumentHost &host_;
    QStatusBar &statusBar_;
    QWidget &owner_;
    QPointer<FindDialog> dialog_;
    std::optional<SearchQuery> last_;
};
