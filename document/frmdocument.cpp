#include "frmdocument.h"

#include "textboxlayout.h"

#include "platform/twips.h"
#include "text/textmodel.h"
#include "textview/textview.h"

#include <QFileInfo>
#include <QMdiSubWindow>

frmDocument::frmDocument(QWidget *parent)
    : QWidget(parent), text_(new TextModel(this)), txtText(new TextView(*text_, this)),
      textBox_(*static_cast<TextView *>(txtText))
{
    setWindowTitle(QStringLiteral("frmDocument"));
    resize(sizeHint());
    setFocusProxy(txtText);
    Form_Load();
}

frmDocument::~frmDocument()
{
    // The text box goes first: it shows the text until it is gone.
    delete txtText;
}

QSize frmDocument::sizeHint() const
{
    const Twips twips(*this);
    return {twips.toPixelsX(4680), twips.toPixelsY(3195)};
}

void frmDocument::Form_Load()
{
    Form_Resize();
}

void frmDocument::Form_Resize()
{
    const Twips twips(*this);
    const auto rect = textBoxRect(twips.fromPixelsX(width()), twips.fromPixelsY(height()));
    if (!rect)
        return; // too small: the text box keeps its place until the window grows
    const int left = twips.toPixelsX(rect->left());
    const int top = twips.toPixelsY(rect->top());
    const int right = twips.toPixelsX(rect->left() + rect->width());
    const int bottom = twips.toPixelsY(rect->top() + rect->height());
    txtText->setGeometry(left, top, right - left, bottom - top);
}

void frmDocument::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// A screen reader tells the documents apart by the text box's name: the
// file's name, while the window's title keeps the full path, so that the
// two, read one after the other, do not say the path twice.
void frmDocument::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange)
        txtText->setAccessibleName(QFileInfo(windowTitle()).fileName());
}

TextBox &frmDocument::ActiveControl()
{
    return textBox_;
}

void frmDocument::Unload()
{
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(parentWidget()))
        subWindow->close();
    else
        close();
}
