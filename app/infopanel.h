#pragma once

#include <QWidget>

class NotesPanel;

/// The status bar's panel of the program's own, beside the panels it was
/// designed with: the notes (NotesPanel), in a row of parts to which the
/// encoding of the document in front may be added. It takes no room while
/// it has nothing to show.
class InfoPanel : public QWidget
{
    Q_OBJECT

public:
    explicit InfoPanel(QWidget *parent = nullptr);

    NotesPanel &notes() { return *notes_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Shown while one of its parts is.
    void followParts();

    NotesPanel *notes_;
};
