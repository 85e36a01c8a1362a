#pragma once

#include "registry.h"

#include <QString>
#include <QStringList>

/// The registry where the system has none: it holds only the two values
/// that name the system-information tool, made from the first program of
/// Tools found on PATH. The tool's own path (key ToolPathKey, value "PATH")
/// is its full path; the shared tools folder (key SharedToolsKey, value
/// "MSINFO") is the folder it is in. With none of them installed, neither
/// key exists. Each open of a key looks again, so a tool installed while
/// the program runs is found.
class SystemInfoRegistry : public Registry
{
public:
    static constexpr char ToolPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    static constexpr char SharedToolsKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";

    /// The system-information programs of the common desktops, in the
    /// order they are looked for.
    static QStringList tools();

    long openKey(quint32 root, const QByteArray &subKey, quint32 access, Key *key) override;
    long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                    quint32 *size) override;
    long closeKey(Key key) override;

private:
    enum OpenKey : Key { None, ToolPath, SharedTools };

    /// The full path of the first of the tools on PATH, or the empty text.
    static QString findTool();

    QString tool_;
};
