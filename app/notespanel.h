#pragma once

#include <QLabel>
#include <QTimer>

/// The notes of the status bar: one short sentence at a time, shown for a
/// while or until the next one, and hidden when there is none. A note too
/// long for the room it has is cut short with an ellipsis and shown whole
/// in the tooltip; assistive technology always gets the whole of it, as the
/// panel's name.
class NotesPanel : public QLabel
{
    Q_OBJECT

public:
    explicit NotesPanel(QWidget *parent = nullptr);

    /// Shows text for a while: long enough to read it, ten seconds at least.
    void showBriefly(const QString &text);
    /// Shows text until another note takes its place.
    void showUntilReplaced(const QString &text);
    /// Takes text away, when it is still the note shown.
    void withdraw(const QString &text);

    /// Shrinks to a few characters where the room is short.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showNote(const QString &text);
    void clearNote();
    /// The text as it fits, and the tooltip that goes with it.
    QString shownText() const;
    QRect textRect() const;
    void updateToolTip();

    QTimer expiry_;
};
