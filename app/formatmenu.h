#pragma once

#include <QMenu>

class DocumentCommands;
struct FormatChoice;

/// The menu that chooses the encoding and the line ends of the document in
/// front: "Riapri con codifica" and "Converti in", each with the common
/// encodings and the others in a list of their own, and "Fine riga". The
/// document's own are checked. It is made anew each time it opens, from the
/// document in front then.
class FormatMenu : public QMenu
{
    Q_OBJECT

public:
    explicit FormatMenu(DocumentCommands &commands, QWidget *parent = nullptr);

    /// Fills the menu for the document in front now.
    void rebuild();

private:
    static void addChoices(QMenu &menu, const QList<FormatChoice> &choices);
    /// A submenu of the common choices, then the others in one of its own.
    void addEncodings(const QString &title, const QList<FormatChoice> &common,
                      const QList<FormatChoice> &others, bool enabled);

    DocumentCommands &commands_;
};
