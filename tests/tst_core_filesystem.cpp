#include "TestSupport.h"

#include "FailingFs.h"
#include "support/FileSystem.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/xattr.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

} // namespace

class TestFileSystem : public QObject
{
    Q_OBJECT
private slots:
    void errorCodesOfRealCalls();
    void safeWriteReplacesAndKeepsMode();
    void safeWriteRespectsProtectionAndLinks();
    void failedStepLeavesOldFile_data();
    void failedStepLeavesOldFile();
    void refusesTargetsThatAreNoRegularFile_data();
    void refusesTargetsThatAreNoRegularFile();
    void longNamesAndFileSizeLimit();
    void leftoversOfKilledWritesGo();
    void finishedTempFileOfARunningWriteStays();
    void readRefusesWhatItMustNotRead_data();
    void readRefusesWhatItMustNotRead();
    void tempFileIsPrivateAndNamelessWhileWritten();
    void otherUsersFileIsNotReplaced();
    void groupAclAndAttributesKept();
    void namesThatAreNoUtf8();
};

void TestFileSystem::errorCodesOfRealCalls()
{
    TempProgramDir dir;
    TFileSystem &fs = TFileSystem::Instance();
    QByteArray bytes;
    QCOMPARE(fs.CreateEmptyFile(dir.FilePath(QStringLiteral("no/such/a.ini"))), 3);
    QCOMPARE(fs.CreateEmptyFile(QString()), 3);
    QCOMPARE(fs.ReadWholeFile(dir.FilePath(QStringLiteral("no/a.ini")), bytes), 3);
    QCOMPARE(fs.ReadWholeFile(dir.FilePath(QStringLiteral("a.ini")), bytes), 2);
    QCOMPARE(fs.ReadWholeFile(dir.Path(), bytes), 5);
    QCOMPARE(fs.CreateEmptyFile(dir.FilePath(QStringLiteral("a.ini"))), 0);
    QCOMPARE(fs.CreateEmptyFile(dir.FilePath(QStringLiteral("a.ini"))), 80);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("no/a.ini")), "x"), 3);
    QVERIFY(TFileSystem::MapErrno(0) != 0);

    // Protection: the owner's write bit alone decides, and comes back.
    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("a.ini"))).constData(), 0444);
    QVERIFY(fs.IsWriteProtected(dir.FilePath(QStringLiteral("a.ini"))));
    QVERIFY(fs.RemoveWriteProtection(dir.FilePath(QStringLiteral("a.ini"))));
    QCOMPARE(modeOf(dir.FilePath(QStringLiteral("a.ini"))), mode_t(0644));
    QVERIFY(!fs.RemoveWriteProtection(dir.Path())); // a directory is left alone
}

void TestFileSystem::safeWriteReplacesAndKeepsMode()
{
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("a.ini"));
    dir.Write(QStringLiteral("a.ini"), "old contents\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    // Larger than one write piece, with every byte value.
    QByteArray bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 7; ++i)
        bytes.append(char(i * 7));
    QCOMPARE(SafeWriteFile(path, bytes), 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), bytes);
    QCOMPARE(modeOf(path), mode_t(0640));
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});

    QByteArray read;
    QCOMPARE(TFileSystem::Instance().ReadWholeFile(path, read), 0);
    QCOMPARE(read, bytes);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("new.ini")), QByteArray()), 0);
    QVERIFY(QFile::exists(dir.FilePath(QStringLiteral("new.ini"))));
}

void TestFileSystem::safeWriteRespectsProtectionAndLinks()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("target.ini"), "old");
    QVERIFY(QFile::link(
        dir.FilePath(QStringLiteral("target.ini")), dir.FilePath(QStringLiteral("link.ini"))));
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("link.ini")), "new"), 0);
    QVERIFY(QFileInfo(dir.FilePath(QStringLiteral("link.ini"))).isSymLink());
    QCOMPARE(dir.Read(QStringLiteral("target.ini")), QByteArray("new"));

    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("target.ini"))).constData(), 0444);
    TSafeWriteStep step = TSafeWriteStep::None;
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("target.ini")), "other", &step), 5);
    QCOMPARE(step, TSafeWriteStep::CreateTemp);
    QCOMPARE(dir.Read(QStringLiteral("target.ini")), QByteArray("new"));
}

void TestFileSystem::failedStepLeavesOldFile_data()
{
    QTest::addColumn<TSafeWriteStep>("step");
    QTest::addColumn<bool>("shortWrite");
    QTest::addColumn<int>("failingWriteCall");
    QTest::addColumn<int>("code");
    QTest::newRow("temp file") << TSafeWriteStep::CreateTemp << false << 1 << 5;
    QTest::newRow("write error") << TSafeWriteStep::Write << false << 1 << 1117;
    QTest::newRow("short write") << TSafeWriteStep::Write << true << 1 << 112;
    QTest::newRow("short write, later piece") << TSafeWriteStep::Write << true << 2 << 112;
    QTest::newRow("permissions") << TSafeWriteStep::Permissions << false << 1 << 5;
    QTest::newRow("sync") << TSafeWriteStep::Sync << false << 1 << 1117;
    QTest::newRow("rename") << TSafeWriteStep::Rename << false << 1 << 32;
}

void TestFileSystem::failedStepLeavesOldFile()
{
    QFETCH(TSafeWriteStep, step);
    QFETCH(bool, shortWrite);
    QFETCH(int, failingWriteCall);
    QFETCH(int, code);
    CheckFailedStepLeavesOldFile(step, shortWrite, failingWriteCall, code);
}

void TestFileSystem::refusesTargetsThatAreNoRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("FIFO") << QStringLiteral("fifo") << 161;
    QTest::newRow("directory") << QStringLiteral("dir") << 161;
    QTest::newRow("link to a FIFO") << QStringLiteral("link-fifo") << 161;
    QTest::newRow("link to nothing") << QStringLiteral("dangling") << 161;
    QTest::newRow("loop of links") << QStringLiteral("loop") << 1921;
}

void TestFileSystem::refusesTargetsThatAreNoRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("out.ini"));
    const QByteArray p = QFile::encodeName(path);
    const QByteArray other = QFile::encodeName(dir.FilePath(QStringLiteral("other")));
    if (kind == u"fifo")
        QCOMPARE(::mkfifo(p.constData(), 0644), 0);
    else if (kind == u"dir")
        QCOMPARE(::mkdir(p.constData(), 0755), 0);
    else if (kind == u"link-fifo")
        QVERIFY(::mkfifo(other.constData(), 0644) == 0
            && ::symlink(other.constData(), p.constData()) == 0);
    else if (kind == u"dangling")
        QCOMPARE(::symlink(other.constData(), p.constData()), 0);
    else
        QVERIFY(::symlink(other.constData(), p.constData()) == 0
            && ::symlink(p.constData(), other.constData()) == 0);
    struct stat before, after;
    QCOMPARE(::lstat(p.constData(), &before), 0);
    QCOMPARE(SafeWriteFile(path, "[A]\r\n"), code);
    QCOMPARE(::lstat(p.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QVERIFY(!QFileInfo::exists(dir.FilePath(QStringLiteral("other"))) || kind != u"dangling");
}

void TestFileSystem::longNamesAndFileSizeLimit()
{
    TempProgramDir dir;
    // 255 bytes is the longest name; the temporary name must fit as well.
    for (const QString &name :
        {QString(255, u'n'), QString(120, u'ä') + QStringLiteral("abcdefghijklmno")}) {
        QCOMPARE(QFile::encodeName(name).size(), 255);
        QCOMPARE(SafeWriteFile(dir.FilePath(name), "[A]\r\n"), 0);
        QCOMPARE(dir.Read(name), QByteArray("[A]\r\n"));
    }
    QCOMPARE(dir.Entries().size(), 2);

    // Beyond a file-size limit the write fails with a code instead of a signal
    // that ends the program.
    rlimit old {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int rc = SafeWriteFile(dir.FilePath(QStringLiteral("big.ini")), QByteArray(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(rc, 223);
    QCOMPARE(dir.Entries().size(), 2);
}

void TestFileSystem::leftoversOfKilledWritesGo()
{
    TempProgramDir dir;
    auto make = [&](const QString &name, int ageSeconds, mode_t mode = 0600) {
        dir.Write(name, "part");
        const QByteArray p = QFile::encodeName(dir.FilePath(name));
        ::chmod(p.constData(), mode);
        const qint64 t = QDateTime::currentSecsSinceEpoch() - ageSeconds;
        const utimbuf times {t, t};
        ::utime(p.constData(), &times);
    };
    const QString mark = QStringLiteral(".a.ini.tarifsave-");
    make(mark + QStringLiteral("k3x9k3x9k3x9.tmp"), 3600); // left by a killed write
    make(mark + QStringLiteral("0123456789ab.tmp"), 0); // the same, just now: no wait
    make(mark + QStringLiteral("heldheldheld.tmp"), 3600); // a running write holds it
    make(mark + QStringLiteral("bornbornborn.tmp"), 0, 0); // its writer is about to lock it
    make(mark + QStringLiteral("otherotherot.tmp"), 3600); // another user's
    ::chown(QFile::encodeName(dir.FilePath(mark + QStringLiteral("otherotherot.tmp"))).constData(),
        NobodyId, NobodyId);
    // Names a user or another program may well have chosen.
    const QStringList foreign
        = {QStringLiteral(".a.ini.backup.tmp"), QStringLiteral(".a.ini.1.tmp"),
            mark + QStringLiteral("short.tmp"), mark + QStringLiteral("k3x9k3x9k3x9.tmp.keep"),
            QStringLiteral(".b.ini.tarifsave-k3x9k3x9k3x9.tmp")};
    for (const QString &name : foreign)
        make(name, 3600);
    const int held = ::open(
        QFile::encodeName(dir.FilePath(mark + QStringLiteral("heldheldheld.tmp"))).constData(),
        O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "new"), 0);
    ::close(held);
    QStringList expected = foreign
        + QStringList {mark + QStringLiteral("heldheldheld.tmp"),
            mark + QStringLiteral("bornbornborn.tmp"), QStringLiteral("a.ini")};
    if (::geteuid() == 0)
        expected.append(mark + QStringLiteral("otherotherot.tmp"));
    expected.sort();
    QCOMPARE(dir.Entries(), expected);
}

void TestFileSystem::finishedTempFileOfARunningWriteStays()
{
    // A second write comes while the first has its file complete but not yet
    // renamed, long after that file was written.
    class Pausing : public TFileSystem
    {
    public:
        bool nested = false;
        int Rename(const QString &from, const QString &to) override
        {
            if (!nested) {
                nested = true;
                const qint64 t = QDateTime::currentSecsSinceEpoch() - 3600;
                const utimbuf times {t, t};
                ::utime(QFile::encodeName(from).constData(), &times);
                secondResult = SafeWriteFile(to, "second");
            }
            return TFileSystem::Rename(from, to);
        }
        int secondResult = -1;
    };
    TempProgramDir dir;
    Pausing fs;
    TScopedFileSystem scope(&fs);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "first"), 0);
    QCOMPARE(fs.secondResult, 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("first"));
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});
}

void TestFileSystem::readRefusesWhatItMustNotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("FIFO, not opened") << QStringLiteral("fifo") << 161;
    QTest::newRow("device") << QStringLiteral("device") << 161;
    QTest::newRow("larger than the bound") << QStringLiteral("large") << 223;
}

void TestFileSystem::readRefusesWhatItMustNotRead()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    TempProgramDir dir;
    QString path = dir.FilePath(QStringLiteral("UserProv.ini"));
    const QByteArray p = QFile::encodeName(path);
    if (kind == u"fifo") {
        QCOMPARE(::mkfifo(p.constData(), 0644), 0);
    } else if (kind == u"device") {
        path = QStringLiteral("/dev/zero");
    } else {
        // Sparse: one byte more than the bound costs no disk.
        dir.Write(QStringLiteral("UserProv.ini"), QByteArray());
        QCOMPARE(::truncate(p.constData(), MaxFileBytes + 1), 0);
    }
    QByteArray bytes = "stale";
    ::alarm(20); // a blocking open or an endless read ends the test
    const int rc = TFileSystem::Instance().ReadWholeFile(path, bytes);
    ::alarm(0);
    QCOMPARE(rc, code);
    QVERIFY(bytes.isEmpty());
}

void TestFileSystem::tempFileIsPrivateAndNamelessWhileWritten()
{
    // Notes the mode of the file being written and the folder's names.
    class Watching : public TFileSystem
    {
    public:
        QString folder;
        mode_t mode = 0;
        QStringList names;
        qint64 Write(int handle, const char *data, qint64 size) override
        {
            struct stat st;
            ::fstat(handle, &st);
            mode = st.st_mode & 07777;
            names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
            return TFileSystem::Write(handle, data, size);
        }
    };
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), "old");
    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("a.ini"))).constData(), 0644);
    Watching fs;
    fs.folder = dir.Path();
    TScopedFileSystem scope(&fs);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "new"), 0);
    QCOMPARE(fs.mode, mode_t(0600));
    QCOMPARE(fs.names, QStringList {QStringLiteral("a.ini")});
    QCOMPARE(modeOf(dir.FilePath(QStringLiteral("a.ini"))), mode_t(0644));
}

void TestFileSystem::otherUsersFileIsNotReplaced()
{
    // root's file, readable by all, in a folder the user owns.
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("UserProv.ini"));
    dir.Write(QStringLiteral("UserProv.ini"), "root's");
    ::chmod(QFile::encodeName(path).constData(), 0644);
    ::chown(QFile::encodeName(dir.Path()).constData(), NobodyId, NobodyId);
    const int status = RunAsNobody([&] {
        TSafeWriteStep step = TSafeWriteStep::None;
        const int rc = SafeWriteFile(path, "nobody's", &step);
        return rc == 5 && step == TSafeWriteStep::CreateTemp ? 0 : 1;
    });
    if (status < 0)
        QSKIP("needs root to take on another user");
    QCOMPARE(status, 0);
    QCOMPARE(dir.Read(QStringLiteral("UserProv.ini")), QByteArray("root's"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_uid, uid_t(0));
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("UserProv.ini")});
}

void TestFileSystem::groupAclAndAttributesKept()
{
    if (::geteuid() != 0)
        QSKIP("needs root to hand the file to another group and user");
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("a.ini"));
    const QByteArray p = QFile::encodeName(path);
    dir.Write(QStringLiteral("a.ini"), "old");
    QCOMPARE(::chown(p.constData(), 0, NobodyId), 0);
    QCOMPARE(::chmod(p.constData(), 0640), 0);
    QCOMPARE(::setxattr(p.constData(), "user.tag", "blue", 4, 0), 0);
    QCOMPARE(QProcess::execute(QStringLiteral("setfacl"),
                 {QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), path}),
        0);
    auto acl = [&] {
        QProcess getfacl;
        getfacl.start(QStringLiteral("getfacl"), {QStringLiteral("-cp"), path});
        getfacl.waitForFinished();
        return getfacl.readAllStandardOutput();
    };
    const QByteArray aclBefore = acl();
    QVERIFY(aclBefore.contains("user:nobody:rw-"));

    QStringList notKept;
    QCOMPARE(SafeWriteFile(path, "new", nullptr, &notKept), 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("new"));
    QCOMPARE(notKept, QStringList());
    struct stat st;
    QCOMPARE(::stat(p.constData(), &st), 0);
    QCOMPARE(st.st_gid, gid_t(NobodyId));
    QCOMPARE(st.st_mode & 07777, mode_t(0660)); // the mask of the ACL, as before
    QCOMPARE(acl(), aclBefore);
    char tag[8] = {};
    QCOMPARE(::getxattr(p.constData(), "user.tag", tag, sizeof tag), ssize_t(4));
    QCOMPARE(QByteArray(tag), QByteArray("blue"));

    // A folder's default access list does not come onto a file that had none.
    const QString plain = dir.FilePath(QStringLiteral("sub/b.ini"));
    QVERIFY(QDir().mkdir(dir.FilePath(QStringLiteral("sub"))));
    dir.Write(QStringLiteral("sub/b.ini"), "old");
    QCOMPARE(QProcess::execute(QStringLiteral("setfacl"),
                 {QStringLiteral("-m"), QStringLiteral("d:u:nobody:rw"),
                     dir.FilePath(QStringLiteral("sub"))}),
        0);
    QCOMPARE(SafeWriteFile(plain, "new", nullptr, &notKept), 0);
    QCOMPARE(::listxattr(QFile::encodeName(plain).constData(), nullptr, 0), ssize_t(0));
    QCOMPARE(modeOf(plain), mode_t(0644));

    // The user's own file of a group the user is not in: the group cannot be
    // kept, and the write says so.
    ::chown(QFile::encodeName(dir.Path()).constData(), NobodyId, NobodyId);
    QCOMPARE(::chown(p.constData(), NobodyId, 0), 0);
    const int status = RunAsNobody([&] {
        QStringList lost;
        return SafeWriteFile(path, "nobody's", nullptr, &lost) == 0
                && lost == QStringList {QStringLiteral("Gruppe")}
            ? 0
            : 1;
    });
    QCOMPARE(status, 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("nobody's"));
}

void TestFileSystem::namesThatAreNoUtf8()
{
    // A name in Latin-1, as an old system leaves it: bytes that are no UTF-8.
    const QByteArray raw("M\xFCller\xFF.ini");
    const QString name = DecodeFileName(raw);
    QCOMPARE(EncodeFileName(name), raw);
    QCOMPARE(EncodeFileName(DecodeFileName("Gr\xC3\xBCn.ini")), QByteArray("Gr\xC3\xBCn.ini"));
    QCOMPARE(DecodeFileName("Gr\xC3\xBCn.ini"), QStringLiteral("Grün.ini"));
    TempProgramDir dir;
    const QString folder = dir.Path() + DecodeFileName("Ordner\xE4");
    QCOMPARE(::mkdir(EncodeFileName(folder).constData(), 0755), 0);
    const QString path = folder + u'/' + name;
    QCOMPARE(SafeWriteFile(path, "[A]\r\n"), 0);
    QByteArray bytes;
    QCOMPARE(TFileSystem::Instance().ReadWholeFile(path, bytes), 0);
    QCOMPARE(bytes, QByteArray("[A]\r\n"));
    QCOMPARE(TFileSystem::Instance().CheckFolder(folder), 0);
    struct stat st;
    QCOMPARE(::stat((EncodeFileName(folder) + '/' + raw).constData(), &st), 0);
    // Qt cannot name them to remove them.
    ::unlink((EncodeFileName(folder) + '/' + raw).constData());
    ::rmdir(EncodeFileName(folder).constData());
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_core_filesystem.moc"
