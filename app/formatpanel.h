#pragma once

#include <QToolButton>

class FormatMenu;
class QMdiArea;
class frmDocument;

/// The status bar's part that names the encoding and the line ends of the
/// document in front ("Windows-1252 · CR LF") for as long as it is in
/// front; a click opens the menu that changes them, above it. Hidden while
/// no document is open. It never takes the focus from the text.
class FormatPanel : public QToolButton
{
    Q_OBJECT

public:
    FormatPanel(QMdiArea &area, FormatMenu &menu, QWidget *parent = nullptr);

    /// Follows what a new document's next Save writes.
    void watch(frmDocument &document);

    QSize sizeHint() const override;
    /// Shrinks to a few characters where the room is short.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    frmDocument *active() const;
    void showActive();
    void openMenu();
    int textRoom(const QString &text) const;

    static constexpr int Padding = 2;

    QMdiArea &area_;
    FormatMenu &menu_;
};
