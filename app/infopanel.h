#pragma once

#include <QList>
#include <QWidget>

class NotesPanel;

/// The status bar's panel of the program's own, beside the panels it was
/// designed with: the notes (NotesPanel), then the parts added after them
/// (the encoding and line ends of the document in front), in a row. Where
/// the room is short the notes give theirs up first, down to a few
/// characters; only then do the other parts shrink. It takes no room while
/// none of them shows.
class InfoPanel : public QWidget
{
    Q_OBJECT

public:
    explicit InfoPanel(QWidget *parent = nullptr);

    NotesPanel &notes() { return *notes_; }
    /// Adds a part after the others.
    void addPart(QWidget *part);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// Shown while one of its parts is.
    void followParts();
    QList<QWidget *> shownParts() const;
    QSize rowSize(QSize (QWidget::*size)() const) const;
    int spacing() const;
    void placeParts();

    NotesPanel *notes_;
    QList<QWidget *> parts_;
};
