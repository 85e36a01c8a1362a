#pragma once

class QCoreApplication;

/// Makes the toolkit's own texts (file dialog, context menus, window menus)
/// Italian, whatever the system's language.
void installItalianTranslations(QCoreApplication &application);
