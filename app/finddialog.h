#pragma once

#include "findfield.h"

#include "document/findform.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

/// The "Trova e sostituisci" dialog: the text to find and the one to put in
/// its place, the two options and the buttons. It only asks; the document
/// commands carry the request out on the active document. Modeless: it
/// stays open beside the documents until closed.
///
/// Laid out by the toolkit from the size of its texts in its own font, so
/// every text shows whole at any font size, and the fields keep room for a
/// few words.
class FindDialog : public QDialog, public FindForm
{
    Q_OBJECT

public:
    explicit FindDialog(QWidget *owner);

    Query query() const override;
    QString replacement() const override;
    bool isShown() const override { return isVisible(); }
    /// The first time, at the top right of the window that owns it, away
    /// from the text where a match is shown.
    void present(const QString &text, bool replacing) override;
    void keepClearOf(const QRect &area) override;

    FindField *findField = nullptr;
    FindField *replaceField = nullptr;
    QCheckBox *matchCase = nullptr;
    QCheckBox *wholeWord = nullptr;
    QPushButton *findNextButton = nullptr;
    QPushButton *findPreviousButton = nullptr;
    QPushButton *replaceButton = nullptr;
    QPushButton *replaceAllButton = nullptr;
    QPushButton *closeButton = nullptr;

signals:
    void findNext();
    void findPrevious();
    void replace();
    void replaceAll();
    /// Closed with Chiudi, Escape or the title bar's close box.
    void closed();

protected:
    void changeEvent(QEvent *event) override;
    void done(int result) override;

private:
    QPushButton *addButton(const QString &caption, const char *name);
    void layOut();
    void fitFieldsToFont();
    void enableButtons();
};
