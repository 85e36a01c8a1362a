#include "systeminforegistry.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

QStringList SystemInfoRegistry::tools()
{
    return {QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
            QStringLiteral("gnome-system-monitor")};
}

QString SystemInfoRegistry::findTool()
{
    for (const QString &name : tools()) {
        const QString found = QStandardPaths::findExecutable(name);
        // The launcher starts a path as it is: only an absolute one names
        // the same program wherever the program runs from.
        if (!found.isEmpty() && QFileInfo(found).isAbsolute())
            return found;
    }
    return {};
}

long SystemInfoRegistry::openKey(quint32 root, const QByteArray &subKey, quint32, Key *key)
{
    *key = None;
    const Key which = subKey == ToolPathKey      ? ToolPath
                      : subKey == SharedToolsKey ? SharedTools
                                                 : None;
    if (root != LocalMachine || which == None)
        return FileNotFound;
    tool_ = findTool();
    if (tool_.isEmpty())
        return FileNotFound;
    *key = which;
    return Success;
}

// Text values are given as the system gives them: with their zero byte,
// and only whole.
long SystemInfoRegistry::queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                                    quint32 *size)
{
    QString text;
    if (key == ToolPath && valueName == "PATH")
        text = tool_;
    else if (key == SharedTools && valueName == "MSINFO")
        text = QFileInfo(tool_).absolutePath();
    else
        return FileNotFound;
    const QByteArray bytes = text.toLocal8Bit() + '\0';
    *type = TypeString;
    if (quint32(bytes.size()) > *size) {
        *size = quint32(bytes.size());
        return MoreData;
    }
    std::memcpy(data, bytes.constData(), size_t(bytes.size()));
    *size = quint32(bytes.size());
    return Success;
}

long SystemInfoRegistry::closeKey(Key)
{
    return Success;
}
