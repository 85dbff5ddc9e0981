#include "TestSupport.h"

#include "support/FileSystem.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

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

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_core_filesystem.moc"
