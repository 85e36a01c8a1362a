#pragma once

#include "document/documenthost.h"
#include "document/frmdocument.h"

#include <QList>

#include <memory>
#include <vector>

/// Stands in for the main window as the document commands see it: bare
/// document windows, each shown on its own, numbered as they are made; the
/// last one made is the active one. It records the notes it is given.
class FakeDocumentHost : public DocumentHost
{
public:
    frmDocument *activeDocument() const override
    {
        return documents_.empty() ? nullptr : documents_.back().get();
    }
    frmDocument *CreateDocumentWindow() override { return CreatePreparedDocumentWindow({}); }
    frmDocument *
    CreatePreparedDocumentWindow(const std::function<void(frmDocument &)> &prepare) override
    {
        auto document = std::make_unique<frmDocument>();
        document->setCaption(QStringLiteral("Documento%1").arg(++created));
        if (prepare)
            prepare(*document);
        document->show();
        documents_.push_back(std::move(document));
        return documents_.back().get();
    }
    std::optional<QString> nextDocumentTitle() override
    {
        return QStringLiteral("Documento%1").arg(++created);
    }
    void showNote(const QString &text) override { notes << text; }
    void showLastingNote(const QString &text) override { notes << text; }
    void withdrawNote(const QString &text) override { withdrawn << text; }

    /// Every window made and not yet discarded, the active one last.
    QList<frmDocument *> documents() const
    {
        QList<frmDocument *> result;
        for (const auto &document : documents_)
            result << document.get();
        return result;
    }
    /// Discards every window: then no document is open.
    void discardAll() { documents_.clear(); }

    int created = 0;
    QStringList notes;
    QStringList withdrawn;

private:
    std::vector<std::unique_ptr<frmDocument>> documents_;
};
