#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

class FileLookup;
class MessageBox;
class ProcessLauncher;
class Registry;

/// A registry text value that filled the whole read buffer with no zero byte
/// to end it. Reading it stops the search for the system-information tool.
class UnterminatedRegistryValue : public std::runtime_error
{
public:
    UnterminatedRegistryValue() : std::runtime_error("registry value fills its buffer unterminated")
    {
    }
};

/// Finds the system-information tool through the registry and starts it, or
/// tells the user it is not available.
class SysInfoLauncher
{
public:
    /// Bytes read of one registry value; a larger value cannot be read.
    static constexpr int ValueBufferSize = 1024;

    SysInfoLauncher(Registry &registry, FileLookup &files, ProcessLauncher &launcher,
                    MessageBox &messages);

    /// Tries the tool's own path first, then the shared tools folder; starts
    /// the first one that can be used. Every failure ends in one message.
    void StartSysInfo();

    /// Reads the value SubKeyRef of the key KeyName below KeyRoot into KeyVal
    /// as text. Returns false, with KeyVal empty, when the key cannot be
    /// opened or the value cannot be read. Throws UnterminatedRegistryValue
    /// when a value fills the buffer with no zero byte.
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                     QString &KeyVal);

    /// The text of a value read into a zero-filled buffer of ValueBufferSize
    /// bytes, stored into KeyVal by its type: text up to the first zero byte,
    /// a 32-bit number as its unsigned decimal, anything else leaves KeyVal
    /// as it was. Throws UnterminatedRegistryValue when the buffer holds no
    /// zero byte.
    static void storeValueText(quint32 type, const QByteArray &buffer, QString &KeyVal);

    static QString unavailableMessage();

private:
    /// True when the tool was found and started.
    bool findAndStartTool();

    Registry &registry_;
    FileLookup &files_;
    ProcessLauncher &launcher_;
    MessageBox &messages_;
};
