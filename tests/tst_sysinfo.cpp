#include "about/sysinfolauncher.h"
#include "platform/processlauncher.h"
#include "platform/systemregistry.h"
#include "tests/support/fakefilelookup.h"
#include "tests/support/fakemessagebox.h"
#include "tests/support/fakeprocesslauncher.h"
#include "tests/support/fakeregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray foldersKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString unavailable =
    QStringLiteral("Informazioni di sistema non disponibili in questo momento");

// Remembers which keys were opened, in order.
class RecordingRegistry : public FakeRegistry
{
public:
    long openKey(quint32 root, const QByteArray &subKey, quint32 access, Key *key) override
    {
        opened << subKey;
        return FakeRegistry::openKey(root, subKey, access, key);
    }
    QList<QByteArray> opened;
};

struct Services
{
    RecordingRegistry registry;
    FakeFileLookup files;
    FakeProcessLauncher launcher;
    FakeMessageBox messages;
    SysInfoLauncher sysInfo{registry, files, launcher, messages};
};

// How a test stores one registry value: absent, text with its zero byte,
// or raw bytes of a given type.
struct StoredValue
{
    enum Kind { Absent, Text, Raw } kind = Absent;
    quint32 type = Registry::TypeString;
    QByteArray bytes;

    static StoredValue absent() { return {}; }
    static StoredValue text(const QByteArray &text) { return {Text, Registry::TypeString, text}; }
    static StoredValue raw(quint32 type, const QByteArray &bytes) { return {Raw, type, bytes}; }

    void storeIn(FakeRegistry &registry, const QByteArray &key, const QByteArray &name) const
    {
        if (kind == Text)
            registry.setString(key, name, bytes);
        else if (kind == Raw)
            registry.setValue(key, name, {type, bytes});
    }
};

QByteArray dword(quint32 number)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((number >> (8 * i)) & 0xff);
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(StoredValue)

class TestSysInfo : public QObject
{
    Q_OBJECT

private slots:
    void startSysInfo_data();
    void startSysInfo();
    void getKeyValue_data();
    void getKeyValue();
    void unterminatedValueStopsTheRead_data();
    void unterminatedValueStopsTheRead();
    void systemInfoToolOnPath_data();
    void systemInfoToolOnPath();
    void pathWithBlanksStartsOneProgram();
};

void TestSysInfo::startSysInfo_data()
{
    QTest::addColumn<StoredValue>("toolPath");
    QTest::addColumn<StoredValue>("folder");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("notStartable");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("lookedUp");
    QTest::addColumn<bool>("message");
    QTest::addColumn<bool>("folderKeyRead");

    const QString tool = QStringLiteral("C:\\WINDOWS\\MSINFO\\MSINFO32.EXE");
    const QString folder = QStringLiteral("C:\\Programmi\\File comuni\\Microsoft Shared\\MSINFO");
    const QString folderTool = folder + QStringLiteral("\\MSINFO32.EXE");
    const StoredValue toolValue = StoredValue::text(tool.toLatin1());
    const StoredValue folderValue = StoredValue::text(folder.toLatin1());
    const StoredValue none = StoredValue::absent();
    const QByteArray full(SysInfoLauncher::ValueBufferSize, 'x');

    QTest::newRow("tool path valid: started, folder never read")
        << toolValue << folderValue << QStringList{folderTool} << QStringList{} << QStringList{tool}
        << QStringList{} << false << false;
    QTest::newRow("tool path stale: message although the folder would do")
        << toolValue << folderValue << QStringList{folderTool} << QStringList{tool} << QStringList{}
        << QStringList{} << true << false;
    QTest::newRow("tool path empty text: message, nothing started")
        << StoredValue::text("") << folderValue << QStringList{folderTool} << QStringList{}
        << QStringList{} << QStringList{} << true << false;
    QTest::newRow("tool path of another type: message, nothing started")
        << StoredValue::raw(2, tool.toLatin1() + '\0') << folderValue << QStringList{folderTool}
        << QStringList{} << QStringList{} << QStringList{} << true << false;
    QTest::newRow("folder holding the tool")
        << none << folderValue << QStringList{folderTool} << QStringList{}
        << QStringList{folderTool} << QStringList{folderTool} << false << true;
    QTest::newRow("folder without the tool")
        << none << folderValue << QStringList{} << QStringList{} << QStringList{}
        << QStringList{folderTool} << true << true;
    QTest::newRow("folder holding a tool that does not start")
        << none << folderValue << QStringList{folderTool} << QStringList{folderTool}
        << QStringList{} << QStringList{folderTool} << true << true;
    QTest::newRow("both absent") << none << none << QStringList{} << QStringList{} << QStringList{}
                                 << QStringList{} << true << true;
    QTest::newRow("folder empty text: the tool at the drive's root")
        << none << StoredValue::text("") << QStringList{QStringLiteral("\\MSINFO32.EXE")}
        << QStringList{} << QStringList{QStringLiteral("\\MSINFO32.EXE")}
        << QStringList{QStringLiteral("\\MSINFO32.EXE")} << false << true;
    QTest::newRow("folder with a trailing separator is used as it is")
        << none << StoredValue::text("C:\\Tools\\")
        << QStringList{QStringLiteral("C:\\Tools\\\\MSINFO32.EXE")} << QStringList{}
        << QStringList{QStringLiteral("C:\\Tools\\\\MSINFO32.EXE")}
        << QStringList{QStringLiteral("C:\\Tools\\\\MSINFO32.EXE")} << false << true;
    QTest::newRow("tool path too large: the folder is tried")
        << StoredValue::text(QByteArray(SysInfoLauncher::ValueBufferSize, 'x')) << folderValue
        << QStringList{folderTool} << QStringList{} << QStringList{folderTool}
        << QStringList{folderTool} << false << true;
    QTest::newRow("tool path unterminated: message at once")
        << StoredValue::raw(Registry::TypeString, full) << folderValue << QStringList{folderTool}
        << QStringList{} << QStringList{} << QStringList{} << true << false;
    QTest::newRow("folder unterminated: message, no lookup")
        << none << StoredValue::raw(Registry::TypeString, full) << QStringList{folderTool}
        << QStringList{} << QStringList{} << QStringList{} << true << true;
    QTest::newRow("tool path with blanks: started as one program")
        << StoredValue::text(
               "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe")
        << none << QStringList{} << QStringList{}
        << QStringList{QStringLiteral(
               "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe")}
        << QStringList{} << false << false;
}

void TestSysInfo::startSysInfo()
{
    QFETCH(StoredValue, toolPath);
    QFETCH(StoredValue, folder);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, notStartable);
    QFETCH(QStringList, started);
    QFETCH(QStringList, lookedUp);
    QFETCH(bool, message);
    QFETCH(bool, folderKeyRead);

    Services s;
    toolPath.storeIn(s.registry, toolKey, "PATH");
    folder.storeIn(s.registry, foldersKey, "MSINFO");
    s.files.existing = existing;
    s.launcher.failing = notStartable;

    s.sysInfo.StartSysInfo();

    QCOMPARE(s.launcher.started, started);
    QCOMPARE(s.files.asked, lookedUp);
    QCOMPARE(s.messages.messages, message ? QStringList{unavailable} : QStringList{});
    QCOMPARE(s.registry.opened.contains(foldersKey), folderKeyRead);
    QCOMPARE(s.registry.opened.value(0), toolKey);
    QCOMPARE(s.registry.openKeys, 0);
    QCOMPARE(s.registry.lastAccess, Registry::ReadAccess);
}

void TestSysInfo::getKeyValue_data()
{
    QTest::addColumn<StoredValue>("value");
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("text");

    const QByteArray longest(SysInfoLauncher::ValueBufferSize - 1, 'a');

    QTest::newRow("text") << StoredValue::text("C:\\MSINFO") << true << true
                          << QStringLiteral("C:\\MSINFO");
    QTest::newRow("empty text") << StoredValue::text("") << true << true << QString();
    QTest::newRow("text with no bytes at all")
        << StoredValue::raw(Registry::TypeString, {}) << true << true << QString();
    QTest::newRow("inner zero byte ends the text")
        << StoredValue::raw(Registry::TypeString, QByteArray("abc\0def\0", 8)) << true << true
        << QStringLiteral("abc");
    QTest::newRow("1023 characters and zero read whole")
        << StoredValue::text(longest) << true << true << QString::fromLatin1(longest);
    QTest::newRow("1023 characters without zero read whole")
        << StoredValue::raw(Registry::TypeString, longest) << true << true
        << QString::fromLatin1(longest);
    QTest::newRow("1024 characters and zero: too large")
        << StoredValue::text(longest + 'a') << true << false << QString();
    QTest::newRow("far too large")
        << StoredValue::text(QByteArray(100000, 'a')) << true << false << QString();
    QTest::newRow("system code page text")
        << StoredValue::text(QStringLiteral("C:\\Utilit\u00e0").toLocal8Bit()) << true << true
        << QStringLiteral("C:\\Utilit\u00e0");
    QTest::newRow("number") << StoredValue::raw(Registry::TypeDword, dword(0x04030201u)) << true
                            << true << QStringLiteral("67305985");
    QTest::newRow("number zero") << StoredValue::raw(Registry::TypeDword, dword(0)) << true << true
                                 << QStringLiteral("0");
    QTest::newRow("largest number unsigned")
        << StoredValue::raw(Registry::TypeDword, dword(0xffffffffu)) << true << true
        << QStringLiteral("4294967295");
    QTest::newRow("short number padded with zeros")
        << StoredValue::raw(Registry::TypeDword, QByteArray("\x01\x02", 2)) << true << true
        << QStringLiteral("513");
    QTest::newRow("expandable text keeps the previous text")
        << StoredValue::raw(2, QByteArray("%SystemRoot%\0", 13)) << true << true
        << QStringLiteral("previous");
    QTest::newRow("raw bytes keep the previous text")
        << StoredValue::raw(3, QByteArray("\x01\x02\x00", 3)) << true << true
        << QStringLiteral("previous");
    QTest::newRow("missing value empties the text")
        << StoredValue::absent() << true << false << QString();
    QTest::newRow("missing key empties the text")
        << StoredValue::absent() << false << false << QString();
}

void TestSysInfo::getKeyValue()
{
    QFETCH(StoredValue, value);
    QFETCH(bool, keyExists);
    QFETCH(bool, result);
    QFETCH(QString, text);

    Services s;
    const QByteArray key = "SOFTWARE\\Vidizizor test";
    if (keyExists)
        s.registry.addKey(key);
    value.storeIn(s.registry, key, "Value");

    QString KeyVal = QStringLiteral("previous");
    QCOMPARE(s.sysInfo.GetKeyValue(Registry::LocalMachine, QString::fromLatin1(key),
                                   QStringLiteral("Value"), KeyVal),
             result);
    QCOMPARE(KeyVal, text);
    QCOMPARE(s.registry.openKeys, 0);
    QCOMPARE(s.registry.lastAccess, Registry::ReadAccess);
}

void TestSysInfo::unterminatedValueStopsTheRead_data()
{
    QTest::addColumn<quint32>("type");
    QTest::newRow("text") << Registry::TypeString;
    QTest::newRow("number") << Registry::TypeDword;
    QTest::newRow("raw bytes") << quint32(3);
}

void TestSysInfo::unterminatedValueStopsTheRead()
{
    QFETCH(quint32, type);
    Services s;
    s.registry.setValue("K", "V", {type, QByteArray(SysInfoLauncher::ValueBufferSize, '\x7f')});

    QString KeyVal = QStringLiteral("previous");
    QVERIFY_THROWS_EXCEPTION(UnterminatedRegistryValue,
                             s.sysInfo.GetKeyValue(Registry::LocalMachine, QStringLiteral("K"),
                                                   QStringLiteral("V"), KeyVal));
    QCOMPARE(s.registry.openKeys, 0);
}

void TestSysInfo::systemInfoToolOnPath_data()
{
    QTest::addColumn<QStringList>("installed"); // in PATH's order; ":x" not executable
    QTest::addColumn<QString>("started");
    QTest::newRow("none: the message") << QStringList{} << QString();
    QTest::newRow("hardinfo") << QStringList{"hardinfo"} << "hardinfo";
    QTest::newRow("kinfocenter first, wherever it is on PATH")
        << QStringList{"hardinfo", "gnome-system-monitor", "kinfocenter"} << "kinfocenter";
    QTest::newRow("a file that cannot run is passed over")
        << QStringList{"kinfocenter:x", "hardinfo2"} << "hardinfo2";
    QTest::newRow("another program of the same folder is not one")
        << QStringList{"msinfo32", "sysinfo"} << QString();
}

// Where the system has no registry, the launcher finds the desktop's own
// system-information program on PATH and starts it by its full path, with
// no arguments, from a folder with a blank in its name.
void TestSysInfo::systemInfoToolOnPath()
{
#ifdef Q_OS_WIN
    QSKIP("This system has a registry");
#else
    QFETCH(QStringList, installed);
    QFETCH(QString, started);
    QTemporaryDir dir;
    QStringList path;
    for (int i = 0; i < installed.size(); ++i) {
        const QString folder = dir.filePath(QStringLiteral("bin %1").arg(i));
        QVERIFY(QDir().mkpath(folder));
        path << folder;
        const QString name = installed[i].section(u':', 0, 0);
        QFile tool(folder + u'/' + name);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\necho \"$0 $#\" > '" + dir.filePath(name).toLocal8Bit() + "'\n");
        tool.close();
        if (!installed[i].endsWith(u":x"))
            QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray pathBefore = qgetenv("PATH");
    qputenv("PATH", path.join(u':').toLocal8Bit());
    const auto registry = makeSystemRegistry();
    FakeFileLookup files;
    QtProcessLauncher launcher;
    FakeMessageBox messages;
    SysInfoLauncher(*registry, files, launcher, messages).StartSysInfo();
    qputenv("PATH", pathBefore);

    QCOMPARE(messages.messages, started.isEmpty() ? QStringList{unavailable} : QStringList{});
    if (!started.isEmpty()) {
        // The tool writes what it was started with once it runs.
        const auto ran = [&] {
            QFile marker(dir.filePath(started));
            return marker.open(QIODevice::ReadOnly)
                       ? QString::fromLocal8Bit(marker.readAll()).trimmed()
                       : QString();
        };
        const QString folder = path[installed.indexOf(started)];
        QTRY_COMPARE(ran(), folder + u'/' + started + QStringLiteral(" 0"));
    }
#endif
}

// The real launcher must start the whole path as one program: a program
// named after the path's first word must not run.
void TestSysInfo::pathWithBlanksStartsOneProgram()
{
#ifdef Q_OS_WIN
    QSKIP("Uses shell scripts");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("with blank")));
    const auto writeScript = [&](const QString &path, const QString &marker) {
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch '" + dir.filePath(marker).toLocal8Bit() + "'\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    };
    writeScript(dir.filePath(QStringLiteral("with")), QStringLiteral("wrong"));
    writeScript(dir.filePath(QStringLiteral("with blank/tool")), QStringLiteral("right"));

    FakeRegistry registry;
    registry.setString(toolKey, "PATH",
                       dir.filePath(QStringLiteral("with blank/tool")).toLocal8Bit());
    FakeFileLookup files;
    QtProcessLauncher launcher;
    FakeMessageBox messages;
    SysInfoLauncher(registry, files, launcher, messages).StartSysInfo();

    QVERIFY(messages.messages.isEmpty());
    QTRY_VERIFY(QFile::exists(dir.filePath(QStringLiteral("right"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("wrong"))));
#endif
}

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
