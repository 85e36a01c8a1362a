#pragma once

#include <QWidget>

class PlainTextBox;
class TextBox;

/// A document window: one text box that fills the window less a margin.
/// It keeps nothing of its own but its text; its caption is the document's
/// title.
class frmDocument : public QWidget
{
    Q_OBJECT

public:
    explicit frmDocument(QWidget *parent = nullptr);

    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }

    /// The window's active control: its text box.
    TextBox &ActiveControl();

    /// Closes the window and discards its text.
    void Unload();

    /// Lays the text box out for the window's current inner size.
    void Form_Resize();

    /// The inner area the window was designed with: 4680 x 3195 twips.
    QSize sizeHint() const override;

    PlainTextBox *const txtText;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
};
