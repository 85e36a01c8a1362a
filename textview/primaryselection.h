#pragma once

#include <QMimeData>
#include <QPointer>

#include <functional>

class TextModel;

/// A selection made in a text view, as the X11 primary selection holds it:
/// it stays what the board gives until another selection replaces it, in
/// this program or another, however the view's own selection changes since.
///
/// The text is read from the model only when it is asked for, so selecting
/// all of a large document costs nothing until it is pasted. The range
/// follows edits made before it; an edit that touches it, or the model going
/// away with its document, first keeps a copy of the text as it was (up to
/// KeptLimit characters; a larger selection is then given up and the board
/// gives nothing). Nor does it give a selection whose text would take more
/// memory than is left (mayBuild).
class PrimarySelection : public QMimeData
{
    Q_OBJECT

public:
    static constexpr qint64 KeptLimit = 1 << 24;

    /// Whether a string of this many characters may be made now.
    using MayBuild = std::function<bool(qint64 characters)>;

    PrimarySelection(TextModel &model, qint64 from, qint64 to, MayBuild mayBuild = {});

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    void aboutToReplace(qint64 from, qint64 to);
    void follow(qint64 position, qint64 removed, qint64 added);
    /// Copies the text and no longer follows the model.
    void keep();
    QString text() const;

    QPointer<TextModel> model_; ///< null once the text is kept
    qint64 from_;
    qint64 to_;
    QString kept_;
    MayBuild mayBuild_;
};
