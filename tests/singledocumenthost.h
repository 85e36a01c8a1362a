#pragma once

#include "document/documenthost.h"
#include "document/frmdocument.h"

#include <memory>

/// A host with at most one document, which is then always the active one.
class SingleDocumentHost : public DocumentHost
{
public:
    frmDocument *activeDocument() const override { return document.get(); }
    frmDocument *CreateDocumentWindow() override
    {
        document = std::make_unique<frmDocument>();
        return document.get();
    }
    void showLoadProgress(int) override {}

    std::unique_ptr<frmDocument> document;
};
