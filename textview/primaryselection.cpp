#include "primaryselection.h"

#include "text/textmodel.h"

namespace {

const QString PlainText = QStringLiteral("text/plain");

} // namespace

PrimarySelection::PrimarySelection(TextModel &model, qint64 from, qint64 to, MayBuild mayBuild)
    : model_(&model), from_(from), to_(to), mayBuild_(std::move(mayBuild))
{
    connect(&model, &TextModel::aboutToReplace, this, &PrimarySelection::aboutToReplace);
    connect(&model, &TextModel::contentsChanged, this, &PrimarySelection::follow);
    // The program still holds the selection when its document closes.
    connect(&model, &TextModel::aboutToBeDestroyed, this, &PrimarySelection::keep);
}

QStringList PrimarySelection::formats() const
{
    return {PlainText};
}

bool PrimarySelection::hasFormat(const QString &mimeType) const
{
    return mimeType == PlainText;
}

QString PrimarySelection::text() const
{
    if (!model_)
        return kept_;
    if (mayBuild_ && !mayBuild_(to_ - from_))
        return {};
    return model_->text(from_, to_);
}

QVariant PrimarySelection::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType != PlainText)
        return {};
    const QString text = this->text();
    if (type.id() == QMetaType::QByteArray)
        return text.toUtf8();
    return text;
}

// An edit inside the range, or one that takes any of it, changes the text
// selected: the text is kept as it was, and the model no longer followed.
void PrimarySelection::aboutToReplace(qint64 from, qint64 to)
{
    if (!model_)
        return;
    const bool touches = from == to ? from > from_ && from < to_ : from < to_ && to > from_;
    if (touches)
        keep();
}

void PrimarySelection::keep()
{
    if (!model_)
        return;
    if (to_ - from_ <= KeptLimit)
        kept_ = model_->text(from_, to_);
    disconnect(model_, nullptr, this, nullptr);
    model_ = nullptr;
}

// An edit before the range moves it.
void PrimarySelection::follow(qint64 position, qint64 removed, qint64 added)
{
    if (model_ && position + removed <= from_) {
        from_ += added - removed;
        to_ += added - removed;
    }
}
