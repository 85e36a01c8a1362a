#include "sysinfolauncher.h"

#include "platform/filelookup.h"
#include "platform/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/registry.h"

#include <QtEndian>

#include <algorithm>

namespace {

// Where the tool says it lives, and where the shared tools folder is.
const char *const toolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char *const toolPathValue = "PATH";
const char *const sharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const char *const sharedToolsValue = "MSINFO";
// Appended to the shared tools folder as it is, with no separator added or removed.
const char *const toolFileName = "\\MSINFO32.EXE";

// Closes an open key however the read that opened it ends.
class OpenKey
{
public:
    OpenKey(Registry &registry, Registry::Key key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.closeKey(key_); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;

private:
    Registry &registry_;
    Registry::Key key_;
};

} // namespace

SysInfoLauncher::SysInfoLauncher(Registry &registry, FileLookup &files, ProcessLauncher &launcher,
                                 MessageBox &messages)
    : registry_(registry), files_(files), launcher_(launcher), messages_(messages)
{
}

QString SysInfoLauncher::unavailableMessage()
{
    return QStringLiteral("Informazioni di sistema non disponibili in questo momento");
}

void SysInfoLauncher::StartSysInfo()
{
    try {
        if (findAndStartTool())
            return;
    } catch (const std::exception &) {
        // Any failure on the way, an unreadable value included, ends in the
        // one message below.
    }
    messages_.show(unavailableMessage());
}

bool SysInfoLauncher::findAndStartTool()
{
    QString SysInfoPath;
    if (!GetKeyValue(Registry::LocalMachine, QString::fromLatin1(toolPathKey),
                     QString::fromLatin1(toolPathValue), SysInfoPath)) {
        if (!GetKeyValue(Registry::LocalMachine, QString::fromLatin1(sharedToolsKey),
                         QString::fromLatin1(sharedToolsValue), SysInfoPath))
            return false;
        // The shared folder is only used when the tool is really in it. The
        // tool's own path, read above, is launched as it is and fails there.
        const QString tool = SysInfoPath + QString::fromLatin1(toolFileName);
        if (files_.dir(tool).isEmpty())
            return false;
        SysInfoPath = tool;
    }
    // An empty path names no program; it is never handed to the launcher.
    return !SysInfoPath.isEmpty() && launcher_.start(SysInfoPath);
}

bool SysInfoLauncher::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                                  QString &KeyVal)
{
    Registry::Key key = 0;
    if (registry_.openKey(KeyRoot, KeyName.toLocal8Bit(), Registry::ReadAccess, &key) !=
        Registry::Success) {
        KeyVal.clear();
        return false;
    }
    const OpenKey open(registry_, key);

    QByteArray buffer(ValueBufferSize, '\0');
    quint32 type = 0;
    quint32 size = ValueBufferSize;
    if (registry_.queryValue(key, SubKeyRef.toLocal8Bit(), &type, buffer.data(), &size) !=
        Registry::Success) {
        KeyVal.clear();
        return false;
    }
    // The size the read reports is not needed: the buffer was zero-filled,
    // so the text ends at the first zero byte.
    storeValueText(type, buffer, KeyVal);
    return true;
}

void SysInfoLauncher::storeValueText(quint32 type, const QByteArray &buffer, QString &KeyVal)
{
    const qsizetype end = buffer.indexOf('\0');
    if (end < 0)
        throw UnterminatedRegistryValue();

    if (type == Registry::TypeString) {
        KeyVal = QString::fromLocal8Bit(buffer.constData(), end);
    } else if (type == Registry::TypeDword) {
        // Four bytes, least significant first; bytes the value did not fill
        // are zero.
        char bytes[4] = {};
        std::copy_n(buffer.constData(), std::min<qsizetype>(buffer.size(), 4), bytes);
        KeyVal = QString::number(qFromLittleEndian<quint32>(bytes));
    }
    // Any other type leaves KeyVal as it was.
}
