#include "primaryselection.h"

#include "textview.h"

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

PrimarySelection::PrimarySelection(TextView &view) : view_(&view) {}

QStringList PrimarySelection::formats() const
{
    return {PlainText};
}

bool PrimarySelection::hasFormat(const QString &mimeType) const
{
    return mimeType == PlainText;
}

QVariant PrimarySelection::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType != PlainText || !view_)
        return {};
    const QString text = view_->SelText();
    if (type.id() == QMetaType::QByteArray)
        return text.toUtf8();
    return text;
}
