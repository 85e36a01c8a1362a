#pragma once

#include <QMimeData>
#include <QPointer>

class TextView;

/// The X11 primary selection of a text view: "whatever is selected now".
/// The text is read from the view only when another program asks for it,
/// so selecting all of a large document costs nothing until it is pasted.
class PrimarySelection : public QMimeData
{
    Q_OBJECT

public:
    explicit PrimarySelection(TextView &view);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QPointer<TextView> view_;
};
