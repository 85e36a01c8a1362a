#pragma once

#include "findfield.h"

#include "text/searchquery.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

/// The "Trova e sostituisci" dialog: the text to find and the one to put in
/// its place, the two options and the buttons. It only asks; whoever owns
/// it carries the request out on the active document. Modeless: it stays
/// open beside the documents until closed.
///
/// Laid out by the toolkit from the size of its texts in its own font, so
/// every text shows whole at any font size, and the fields keep room for a
/// few words.
class FindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindDialog(QWidget *owner);

    SearchQuery query() const;
    QString replacement() const;
    /// Shows the dialog and puts the keyboard in the find field, or in the
    /// replace field once there is a text to find; text, when not empty,
    /// becomes the text to find.
    void present(const QString &text, bool replacing);
    /// Moves out of the way of an area of the screen (a match just found),
    /// when it covers it.
    void keepClearOf(const QRect &area);

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
