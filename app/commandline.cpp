#include "commandline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

namespace {

// The status of a command-line usage error, as the shell's own commands use.
constexpr int UsageError = 2;

QString fullPath(const QString &argument, const QString &currentFolder)
{
    if (argument.startsWith(u"file:", Qt::CaseInsensitive)) {
        const QUrl url(argument);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QDir::cleanPath(QDir(currentFolder).absoluteFilePath(argument));
}

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
    for (const QString &argument : parser.positionalArguments())
        if (!argument.isEmpty()) // no file has an empty name
            request.files << fullPath(argument, currentFolder);
    return request;
}
