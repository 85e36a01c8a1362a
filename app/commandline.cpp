#include "commandline.h"

#include "platform/localfilepath.h"

#include <QCommandLineParser>

namespace {

// The status of a command-line usage error, as the shell's own commands use.
constexpr int UsageError = 2;

// The toolkit's options that take a value, and those that do not.
const QStringList ToolkitOptionsWithValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "title",         "visual",  "name",
    "dialogs",     "fontengine",         "qmljsdebugger"};
const QStringList ToolkitFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CommandLine CommandLine::read(const QStringList &arguments, const QString &currentFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Editor di testo semplice con più documenti in una finestra."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questo aiuto ed esce."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Mostra la versione ed esce."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("I file da aprire, ognuno nella sua finestra: percorsi (relativi alla "
                       "cartella corrente) o indirizzi file://."),
        QStringLiteral("[file...]"));

    CommandLine request;
    if (!parser.parse(arguments)) {
        request.exitStatus = UsageError;
        request.errors = parser.errorText() + QStringLiteral("\n\n") + parser.helpText();
        return request;
    }
    if (parser.isSet(help)) {
        request.exitStatus = 0;
        request.output = parser.helpText();
        return request;
    }
    if (parser.isSet(version)) {
        request.exitStatus = 0;
        request.output = QStringLiteral("Vidizizor %1\n").arg(QStringLiteral(VIDIZIZOR_VERSION));
        return request;
    }
    for (const QString &argument : parser.positionalArguments()) {
        if (argument.isEmpty()) // no file has an empty name
            continue;
        const std::optional<QString> path = localFilePath(argument, currentFolder);
        if (!path) {
            request.exitStatus = UsageError;
            request.errors = QStringLiteral("\"%1\" è l'indirizzo di un file di un altro "
                                            "computer: si aprono solo i file di questo.\n")
                                 .arg(argument);
            request.files.clear();
            return request;
        }
        request.files << *path;
    }
    return request;
}

QStringList CommandLine::withoutToolkitOptions(const QStringList &arguments)
{
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--") { // what follows is files only
            kept << arguments.mid(i);
            break;
        }
        const QString name = argument.mid(argument.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0);
        if (!argument.startsWith(u'-') || name.isEmpty()) {
            kept << argument;
        } else if (ToolkitOptionsWithValue.contains(name)) {
            if (!argument.contains(u'='))
                ++i; // and its value
        } else if (!ToolkitFlags.contains(name)) {
            kept << argument;
        }
    }
    return kept;
}
