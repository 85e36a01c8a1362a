#include "textfile/filesaver.h"
#include "tests/support/testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray NewText = "nuovo testo\r\n";
const QByteArray OldText = "vecchio testo, più lungo del nuovo\r\n";

// Runs a tool; false when it is missing or refuses (a file system without
// access control lists, a file that cannot be made immutable).
bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Everything about a file but its bytes and its inode, as text that a
// failed comparison shows in full.
QString identity(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("<missing>");
    QProcess attributes;
    attributes.start(QStringLiteral("getfattr"),
                     {QStringLiteral("-d"), QStringLiteral("-m-"), QStringLiteral("-ehex"),
                      QStringLiteral("--absolute-names"), path});
    attributes.waitForFinished();
    QString list = QString::fromUtf8(attributes.readAllStandardOutput());
    list.remove(QRegularExpression(QStringLiteral("^#.*\n")));
    return QStringLiteral("type %1, links %2, owner %3:%4, mode %5\n%6")
        .arg(S_ISLNK(status.st_mode) ? QStringLiteral("link") : QStringLiteral("file"))
        .arg(status.st_nlink)
        .arg(status.st_uid)
        .arg(status.st_gid)
        .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'))
        .arg(list.trimmed());
}

ino_t inode(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

// Makes a file nobody's, or makes this process nobody; false where there is
// no such user or the system does not allow it.
bool nobody(uid_t &user, gid_t &group)
{
    const passwd *entry = ::getpwnam("nobody");
    if (!entry)
        return false;
    user = entry->pw_uid;
    group = entry->pw_gid;
    return true;
}

bool becomeNobody()
{
    uid_t user;
    gid_t group;
    return nobody(user, group) && ::setgroups(0, nullptr) == 0 &&
           ::setresgid(group, group, group) == 0 && ::setresuid(user, user, user) == 0;
}

// Runs in a child process of this test, so that its user, limits and
// changes stay there: saves the new text over target, and prints "saved"
// or the reason. Exits with 77 when the machine does not allow the set-up.
int saveInChild(const QByteArray &mode, const QString &target)
{
    if (mode == "nobody" && !becomeNobody())
        return 77;
    if (mode == "size-limit") {
        // Writing past 1000 bytes fails as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 77;
    }
    FileSaver saver;
    const bool saved = saver.save(target, [&](const FileSaver::Write &write) {
        if (mode == "nobody")
            return write(NewText);
        if (!write(NewText))
            return false;
        // The file stops taking changes part-way through: not even its old
        // bytes can be put back.
        if (mode == "immutable" &&
            !run(QStringLiteral("chattr"),
                 {QStringLiteral("+i"), QFileInfo(target).canonicalFilePath()}))
            std::exit(77);
        return write(QByteArray(100000, 'n'));
    });
    std::fputs(saved ? "saved" : qPrintable(saver.errorString()), stdout);
    return 0;
}

} // namespace

class TestFileSaver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void savedFileStaysTheSameFile_data();
    void savedFileStaysTheSameFile();
    void failedRewriteKeepsTheOldBytes_data();
    void failedRewriteKeepsTheOldBytes();

private:
    QString path(const QString &name) const { return dir_->filePath(name); }
    /// Saves in a child process; null where the machine does not allow it.
    QString saveInChild(const QString &mode, const QString &target);
    void prepare(const QString &setUp, const QString &file);
    void lendFolderToNobody();

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestFileSaver::initTestCase()
{
    // Copies made in the cache folder go to a folder of the tests' own.
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
    if (::geteuid() != 0)
        QSKIP("These cases need root, to give files other owners and to make them immutable.");
}

void TestFileSaver::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("sub")));
}

void TestFileSaver::cleanup()
{
    run(QStringLiteral("chattr"), {QStringLiteral("-R"), QStringLiteral("-i"), dir_->path()});
}

QString TestFileSaver::saveInChild(const QString &mode, const QString &target)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--save-child"), mode, target});
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("<child failed>");
    if (child.exitCode() == 77)
        return QString();
    return QString::fromUtf8(child.readAllStandardOutput());
}

// Gives the file in sub/ what the row is about.
void TestFileSaver::prepare(const QString &setUp, const QString &file)
{
    uid_t user = 0;
    gid_t group = 0;
    const QByteArray name = QFile::encodeName(file);
    if (setUp == u"hard link")
        QVERIFY(::link(name.constData(),
                       QFile::encodeName(path(QStringLiteral("sub/b"))).constData()) == 0);
    else if (setUp == u"symbolic link")
        QVERIFY(QFile::link(file, path(QStringLiteral("sub/link"))));
    else if (setUp == u"set-group-ID")
        QVERIFY(::chmod(name.constData(), 02664) == 0);
    else if (setUp == u"set-user-ID, sticky")
        QVERIFY(::chmod(name.constData(), 05750) == 0);
    else if (setUp == u"nobody's")
        QVERIFY(nobody(user, group) && ::chown(name.constData(), user, group) == 0 &&
                ::chmod(name.constData(), 0640) == 0);
    else if (setUp == u"access control list" &&
             !run(QStringLiteral("setfacl"),
                  {QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), file}))
        QSKIP("This file system has no access control lists.");
    else if (setUp == u"extended attribute" &&
             !run(QStringLiteral("setfattr"), {QStringLiteral("-n"), QStringLiteral("user.nota"),
                                               QStringLiteral("-v"), QStringLiteral("ciao"), file}))
        QSKIP("This file system has no extended attributes.");
    else if (setUp == u"unchangeable folder" &&
             !run(QStringLiteral("chattr"), {QStringLiteral("+i"), path(QStringLiteral("sub"))}))
        QSKIP("This file system cannot make a folder immutable.");
    else if (setUp == u"writable by all")
        QVERIFY(::chmod(name.constData(), 0666) == 0);
}

// Lets the user nobody into sub/ and makes the folder nobody's.
void TestFileSaver::lendFolderToNobody()
{
    uid_t user = 0;
    gid_t group = 0;
    QVERIFY(nobody(user, group));
    QVERIFY(::chmod(QFile::encodeName(dir_->path()).constData(), 0755) == 0);
    QVERIFY(::chown(QFile::encodeName(path(QStringLiteral("sub"))).constData(), user, group) == 0);
}

void TestFileSaver::savedFileStaysTheSameFile_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("saved"); // the name saved, in sub/
    QTest::addColumn<bool>("inPlace");  // written through the same inode
    QTest::addColumn<bool>("asNobody"); // saved by an ordinary user

    QTest::newRow("one name") << QString() << "a" << false << false;
    QTest::newRow("hard link") << "hard link"
                               << "a" << true << false;
    QTest::newRow("symbolic link") << "symbolic link"
                                   << "link" << false << false;
    QTest::newRow("set-group-ID") << "set-group-ID"
                                  << "a" << false << false;
    QTest::newRow("set-user-ID, sticky") << "set-user-ID, sticky"
                                         << "a" << false << false;
    QTest::newRow("another owner") << "nobody's"
                                   << "a" << false << false;
    QTest::newRow("access control list") << "access control list"
                                         << "a" << false << false;
    QTest::newRow("extended attribute") << "extended attribute"
                                        << "a" << false << false;
    QTest::newRow("folder that takes no new file") << "unchangeable folder"
                                                   << "a" << true << false;
    QTest::newRow("another's file, saved by a user") << "writable by all"
                                                     << "a" << true << true;
    QTest::newRow("own file, saved by a user") << "nobody's"
                                               << "a" << false << true;
}

// Whichever way a file is written, it comes back with the new bytes and
// everything else as it was; nothing is left beside it or in the cache.
void TestFileSaver::savedFileStaysTheSameFile()
{
    QFETCH(QString, setUp);
    QFETCH(QString, saved);
    QFETCH(bool, inPlace);
    QFETCH(bool, asNobody);
    const QString file = path(QStringLiteral("sub/a"));
    put(file, OldText);
    prepare(setUp, file);
    if (asNobody)
        lendFolderToNobody();
    const QString target = path(QStringLiteral("sub/") + saved);
    const QStringList before = {identity(file), identity(target)};
    const QStringList folder = entries(path(QStringLiteral("sub")));
    const ino_t inodeBefore = inode(file);

    if (asNobody) {
        const QString result = saveInChild(QStringLiteral("nobody"), target);
        if (result.isNull())
            QSKIP("This machine has no user nobody to save as.");
        QCOMPARE(result, QStringLiteral("saved"));
    } else {
        FileSaver saver;
        QVERIFY2(saver.save(target, [](const FileSaver::Write &write) { return write(NewText); }),
                 qPrintable(saver.errorString()));
    }
    QCOMPARE(contents(file), NewText);
    QCOMPARE(QStringList({identity(file), identity(target)}), before);
    QCOMPARE(inode(file) == inodeBefore, inPlace);
    if (setUp == u"hard link")
        QCOMPARE(contents(path(QStringLiteral("sub/b"))), NewText);
    QCOMPARE(entries(path(QStringLiteral("sub"))), folder);
    QVERIFY(entries(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).isEmpty());
}

void TestFileSaver::failedRewriteKeepsTheOldBytes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("copyKept");

    QTest::newRow("file-size limit") << "size-limit"
                                     << "too large" << false;
    QTest::newRow("file that stops taking changes") << "immutable"
                                                    << "not permitted" << true;
}

// A file with two names is written in place; when that fails part-way,
// its old bytes go back, or their copy stays and the reason names it.
void TestFileSaver::failedRewriteKeepsTheOldBytes()
{
    QFETCH(QString, mode);
    QFETCH(QString, reason);
    QFETCH(bool, copyKept);
    const QString file = path(QStringLiteral("sub/a"));
    put(file, OldText);
    QVERIFY(QFile::link(file, path(QStringLiteral("sub/link"))));
    QVERIFY(::link(QFile::encodeName(file).constData(),
                   QFile::encodeName(path(QStringLiteral("sub/b"))).constData()) == 0);
    const QString before = identity(file);
    const ino_t inodeBefore = inode(file);

    const QString error = saveInChild(mode, path(QStringLiteral("sub/link")));
    if (error.isNull())
        QSKIP("This machine does not allow the set-up for this case.");
    const QStringList lines = error.split(u'\n');
    QCOMPARE(lines.size(), copyKept ? 2 : 1);
    QVERIFY2(lines[0].contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(inode(file), inodeBefore);
    QStringList folder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("link")};
    if (copyKept) {
        const QString copy = entries(path(QStringLiteral("sub"))).first();
        QVERIFY(copy.startsWith(QStringLiteral(".a.")) && copy.endsWith(u'~'));
        QCOMPARE(lines[1],
                 QStringLiteral("Il contenuto precedente del file è conservato in \"%1\".")
                     .arg(path(QStringLiteral("sub/") + copy)));
        QCOMPARE(contents(path(QStringLiteral("sub/") + copy)), OldText);
        folder.prepend(copy);
    } else {
        QCOMPARE(contents(file), OldText);
        QCOMPARE(identity(file), before);
    }
    QCOMPARE(entries(path(QStringLiteral("sub"))), folder);
}

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--save-child") == 0) {
        QCoreApplication app(argc, argv);
        return saveInChild(argv[2], QString::fromLocal8Bit(argv[3]));
    }
    QTEST_MAIN_SETUP()
    TestFileSaver test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filesaver.moc"
