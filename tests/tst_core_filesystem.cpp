#include "TestSupport.h"

#include "support/FileSystem.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

// Fails one chosen step of a safe write; every other call is the real one.
class FailingFs : public TFileSystem
{
public:
    TSafeWriteStep failAt = TSafeWriteStep::None;
    bool shortWrite = false;
    int failOnWriteCall = 1; // the n-th Write call fails
    int writeCalls = 0;

    int CreateTempFile(const QString &dir, const QString &base, QString &temp, int &handle) override
    {
        return failAt == TSafeWriteStep::CreateTemp ? 5 : TFileSystem::CreateTempFile(dir, base, temp, handle);
    }
    qint64 Write(int handle, const char *data, qint64 size) override
    {
        if (failAt == TSafeWriteStep::Write && ++writeCalls == failOnWriteCall) {
            if (shortWrite)
                return TFileSystem::Write(handle, data, size - 1);
            m_lastError = 1117;
            return -1;
        }
        return TFileSystem::Write(handle, data, size);
    }
    int CopyPermissions(const QString &from, int handle) override
    {
        return failAt == TSafeWriteStep::Permissions ? 5 : TFileSystem::CopyPermissions(from, handle);
    }
    int Sync(int handle) override { return failAt == TSafeWriteStep::Sync ? 1117 : TFileSystem::Sync(handle); }
    int Close(int handle) override
    {
        const int rc = TFileSystem::Close(handle);
        return failAt == TSafeWriteStep::Close ? 1117 : rc;
    }
    int Rename(const QString &from, const QString &to) override
    {
        return failAt == TSafeWriteStep::Rename ? 32 : TFileSystem::Rename(from, to);
    }
};

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
    QVERIFY(QFile::link(dir.FilePath(QStringLiteral("target.ini")), dir.FilePath(QStringLiteral("link.ini"))));
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
    QTest::newRow("close") << TSafeWriteStep::Close << false << 1 << 1117;
    QTest::newRow("rename") << TSafeWriteStep::Rename << false << 1 << 32;
}

void TestFileSystem::failedStepLeavesOldFile()
{
    QFETCH(TSafeWriteStep, step);
    QFETCH(bool, shortWrite);
    QFETCH(int, failingWriteCall);
    QFETCH(int, code);
    TempProgramDir dir;
    const QByteArray old = "[A]\r\nKey=old\r\n";
    dir.Write(QStringLiteral("a.ini"), old);
    FailingFs fs;
    fs.failAt = step;
    fs.shortWrite = shortWrite;
    fs.failOnWriteCall = failingWriteCall;
    TScopedFileSystem scope(&fs);
    TSafeWriteStep reported = TSafeWriteStep::None;
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), QByteArray(2 * 1024 * 1024, 'x'), &reported), code);
    QCOMPARE(reported, step);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), old);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});
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
    auto make = [&](const QString &name, int ageSeconds) {
        dir.Write(name, "part");
        const qint64 t = QDateTime::currentSecsSinceEpoch() - ageSeconds;
        const utimbuf times {t, t};
        ::utime(QFile::encodeName(dir.FilePath(name)).constData(), &times);
    };
    make(QStringLiteral(".a.ini.k3x9.tmp"), 3600); // left by a killed write
    make(QStringLiteral(".a.ini.zz.tmp"), 60); // the same
    make(QStringLiteral(".a.ini.held.tmp"), 3600); // a running write holds it
    make(QStringLiteral(".a.ini.new1.tmp"), 0); // just made
    make(QStringLiteral(".b.ini.k3x9.tmp"), 3600); // another file's
    make(QStringLiteral(".a.ini.k3x9.tmp.keep"), 3600); // not the pattern
    const int held = ::open(
        QFile::encodeName(dir.FilePath(QStringLiteral(".a.ini.held.tmp"))).constData(), O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "new"), 0);
    ::close(held);
    QCOMPARE(dir.Entries(),
        (QStringList {QStringLiteral(".a.ini.held.tmp"), QStringLiteral(".a.ini.k3x9.tmp.keep"),
            QStringLiteral(".a.ini.new1.tmp"), QStringLiteral(".b.ini.k3x9.tmp"),
            QStringLiteral("a.ini")}));
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_core_filesystem.moc"
