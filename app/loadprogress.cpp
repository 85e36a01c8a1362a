#include "loadprogress.h"

#include "statusbar.h"

#include "document/frmdocument.h"

#include <QMdiArea>
#include <QMdiSubWindow>

LoadProgress::LoadProgress(QMdiArea &area, StatusBar &statusBar)
    : QObject(&area), area_(area), statusBar_(statusBar)
{
    connect(&area, &QMdiArea::subWindowActivated, this, &LoadProgress::showActive);
}

void LoadProgress::watch(frmDocument &document)
{
    connect(&document, &frmDocument::loadProgressChanged, this, [this, &document](int percent) {
        if (active() == &document)
            statusBar_.showProgress(percent);
    });
    const auto ended = [this, &document] {
        if (active() == &document)
            statusBar_.showProgress(-1);
    };
    connect(&document, &frmDocument::loaded, this, ended);
    connect(&document, &frmDocument::loadFailed, this, ended);
    // A document closed while loading takes its progress with it.
    connect(&document, &QObject::destroyed, this, &LoadProgress::showActive, Qt::QueuedConnection);
}

frmDocument *LoadProgress::active() const
{
    QMdiSubWindow *current = area_.currentSubWindow();
    return current ? qobject_cast<frmDocument *>(current->widget()) : nullptr;
}

void LoadProgress::showActive()
{
    const frmDocument *document = active();
    statusBar_.showProgress(document ? document->loadProgress() : -1);
}
