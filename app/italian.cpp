#include "italian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void installItalianTranslations(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_it"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
