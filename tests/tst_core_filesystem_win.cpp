// The file system on Windows: the real calls, the read-only attribute, files
// held by another process, long paths and the leftovers of killed writes.
#include "TestSupport.h"

#include "FailingFs.h"
#include "support/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// Set in the environment of a second copy of this program, which then holds
// the named file open without sharing it until its input ends.
const char *const HoldVariable = "TE_HOLD_FILE";

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

DWORD attributesOf(const QString &path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

bool addAttributes(const QString &path, DWORD attrs)
{
    return ::SetFileAttributesW(wide(path).c_str(), attributesOf(path) | attrs);
}

} // namespace

class TestFileSystemWin : public QObject
{
    Q_OBJECT
private slots:
    void errorCodesOfRealCalls();
    void readOnlyAttributeIsTheProtection();
    void safeWriteReplacesAndKeepsAttributes();
    void failedStepLeavesOldFile_data();
    void failedStepLeavesOldFile();
    void failedCloseAfterReplaceLosesNothing();
    void folderIsNoTarget();
    void fileHeldByAnotherProcess();
    void longPathsAndNames();
    void leftoversOfKilledWritesGo();
};

void TestFileSystemWin::errorCodesOfRealCalls()
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
    QCOMPARE(fs.CheckFolder(dir.Path()), 0);
    QCOMPARE(fs.CheckFolder(dir.FilePath(QStringLiteral("a.ini"))), 267);
    QCOMPARE(fs.CheckFolder(dir.FilePath(QStringLiteral("no"))), 2);
    QCOMPARE(fs.CheckWriteAccess(dir.FilePath(QStringLiteral("a.ini"))), 0);
    QCOMPARE(fs.CheckWriteAccess(dir.FilePath(QStringLiteral("b.ini"))), 0);
    QVERIFY(!fs.RemoveFile(dir.FilePath(QStringLiteral("b.ini"))));
    QCOMPARE(fs.LastError(), 2);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("no/a.ini")), "x"), 3);
    qint64 size = -1;
    QDateTime modified;
    QVERIFY(fs.Stat(dir.FilePath(QStringLiteral("a.ini")), size, modified));
    QCOMPARE(size, 0);
    QVERIFY(qAbs(modified.secsTo(QDateTime::currentDateTime())) < 60);
}

void TestFileSystemWin::readOnlyAttributeIsTheProtection()
{
    TempProgramDir dir;
    TFileSystem &fs = TFileSystem::Instance();
    const QString path = dir.FilePath(QStringLiteral("a.ini"));
    dir.Write(QStringLiteral("a.ini"), "old");
    QVERIFY(!fs.IsWriteProtected(path));
    QVERIFY(addAttributes(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    QVERIFY(fs.IsWriteProtected(path));
    QCOMPARE(fs.CheckWriteAccess(path), 5);
    TSafeWriteStep step = TSafeWriteStep::None;
    QCOMPARE(SafeWriteFile(path, "new", &step), 5);
    QCOMPARE(step, TSafeWriteStep::CreateTemp);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("old"));

    // Only the read-only attribute goes; a folder keeps its own.
    QVERIFY(fs.RemoveWriteProtection(path));
    QCOMPARE(attributesOf(path) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
        DWORD(FILE_ATTRIBUTE_HIDDEN));
    QVERIFY(!fs.IsWriteProtected(path));
    QVERIFY(!fs.RemoveWriteProtection(dir.Path()));
    QCOMPARE(SafeWriteFile(path, "new"), 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("new"));
}

void TestFileSystemWin::safeWriteReplacesAndKeepsAttributes()
{
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("a.ini"));
    dir.Write(QStringLiteral("a.ini"), "old contents\r\n");
    QVERIFY(addAttributes(path, FILE_ATTRIBUTE_HIDDEN));
    // Larger than one write piece, with every byte value.
    QByteArray bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 7; ++i)
        bytes.append(char(i * 7));
    QCOMPARE(SafeWriteFile(path, bytes), 0);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), bytes);
    QVERIFY(attributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});

    QByteArray read;
    QCOMPARE(TFileSystem::Instance().ReadWholeFile(path, read), 0);
    QCOMPARE(read, bytes);
    // A new file, and a path in Windows form.
    QCOMPARE(
        SafeWriteFile(QDir::toNativeSeparators(dir.FilePath(QStringLiteral("new.ini"))), "x"), 0);
    QCOMPARE(dir.Read(QStringLiteral("new.ini")), QByteArray("x"));
}

void TestFileSystemWin::failedStepLeavesOldFile_data()
{
    QTest::addColumn<TSafeWriteStep>("step");
    QTest::addColumn<bool>("shortWrite");
    QTest::addColumn<int>("code");
    QTest::newRow("temp file") << TSafeWriteStep::CreateTemp << false << 5;
    QTest::newRow("write error") << TSafeWriteStep::Write << false << 1117;
    QTest::newRow("short write") << TSafeWriteStep::Write << true << 112;
    QTest::newRow("attributes") << TSafeWriteStep::Permissions << false << 5;
    QTest::newRow("flush") << TSafeWriteStep::Sync << false << 1117;
    QTest::newRow("replace") << TSafeWriteStep::Rename << false << 32;
}

void TestFileSystemWin::failedStepLeavesOldFile()
{
    QFETCH(TSafeWriteStep, step);
    QFETCH(bool, shortWrite);
    QFETCH(int, code);
    CheckFailedStepLeavesOldFile(step, shortWrite, 1, code);
}

void TestFileSystemWin::failedCloseAfterReplaceLosesNothing()
{
    // The handle goes only after the replacement, when the flushed file is
    // in place.
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), "old");
    FailingFs fs;
    fs.failAt = TSafeWriteStep::Close;
    TScopedFileSystem scope(&fs);
    TSafeWriteStep reported = TSafeWriteStep::Close;
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "new", &reported), 0);
    QCOMPARE(reported, TSafeWriteStep::None);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("new"));
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});
}

void TestFileSystemWin::folderIsNoTarget()
{
    TempProgramDir dir;
    QVERIFY(QDir(dir.Path()).mkdir(QStringLiteral("out.ini")));
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("out.ini")), "[A]\r\n"), 161);
    QVERIFY(QFileInfo(dir.FilePath(QStringLiteral("out.ini"))).isDir());
    QCOMPARE(dir.Entries(), QStringList());
}

void TestFileSystemWin::fileHeldByAnotherProcess()
{
    TempProgramDir dir;
    const QString path = dir.FilePath(QStringLiteral("Provider.ini"));
    const QByteArray old = "[A]\r\nKey=old\r\n";
    dir.Write(QStringLiteral("Provider.ini"), old);

    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(HoldVariable), path);
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));

    QByteArray read;
    QCOMPARE(TFileSystem::Instance().ReadWholeFile(path, read), 32);
    const int rc = SafeWriteFile(path, "[A]\r\nKey=new\r\n");
    QCOMPARE(rc, 32);
    QCOMPARE(ErrorCodeText(rc),
        QStringLiteral("Fehler 32: Datei wird von einem anderen Prozess verwendet"));

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(dir.Read(QStringLiteral("Provider.ini")), old);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("Provider.ini")});
    // Once it is let go, the file is written.
    QCOMPARE(SafeWriteFile(path, "[A]\r\nKey=new\r\n"), 0);
}

void TestFileSystemWin::longPathsAndNames()
{
    TempProgramDir dir;
    // Beyond MAX_PATH (260 characters) in folders, and the longest names
    // (which under Wine must also fit Linux's 255 bytes).
    QString folder = dir.Path();
    while (folder.size() < 400)
        folder += QString(60, u'f') + u'/';
    QVERIFY(QDir().mkpath(folder));
    for (const QString &name :
        {QString(255, u'n'), QString(120, u'ä') + QStringLiteral("abcdefghijklmno")}) {
        const QString path = folder + name;
        QCOMPARE(SafeWriteFile(path, "[A]\r\n"), 0);
        QCOMPARE(SafeWriteFile(path, "[B]\r\n"), 0);
        QByteArray bytes;
        QCOMPARE(TFileSystem::Instance().ReadWholeFile(path, bytes), 0);
        QCOMPARE(bytes, QByteArray("[B]\r\n"));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QCOMPARE(SafeWriteFile(folder + QString(256, u'n'), "[A]\r\n"), 206);
}

void TestFileSystemWin::leftoversOfKilledWritesGo()
{
    TempProgramDir dir;
    auto make = [&](const QString &name) {
        dir.Write(name, "part");
    };
    // Left by killed writes: they go at once, whatever their age.
    make(QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d3.tmp"));
    make(QStringLiteral(".a.ini.tarifsave-000000000000.tmp"));
    // A running write holds it; another file's; names without the mark.
    make(QStringLiteral(".a.ini.tarifsave-heldheldheld.tmp"));
    make(QStringLiteral(".b.ini.tarifsave-k3x9a0b1c2d3.tmp"));
    make(QStringLiteral(".a.ini.k3x9.tmp"));
    make(QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d.tmp"));
    make(QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d-.tmp"));
    make(QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d3.tmp.keep"));
    const HANDLE held = ::CreateFileW(
        wide(dir.FilePath(QStringLiteral(".a.ini.tarifsave-heldheldheld.tmp"))).c_str(),
        GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, 0, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), "new"), 0);
    ::CloseHandle(held);
    QCOMPARE(dir.Entries(),
        (QStringList {QStringLiteral(".a.ini.k3x9.tmp"),
            QStringLiteral(".a.ini.tarifsave-heldheldheld.tmp"),
            QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d-.tmp"),
            QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d.tmp"),
            QStringLiteral(".a.ini.tarifsave-k3x9a0b1c2d3.tmp.keep"),
            QStringLiteral(".b.ini.tarifsave-k3x9a0b1c2d3.tmp"), QStringLiteral("a.ini")}));
}

int main(int argc, char *argv[])
{
    // The second process of fileHeldByAnotherProcess.
    if (const QString held = qEnvironmentVariable(HoldVariable); !held.isEmpty()) {
        const HANDLE h = ::CreateFileW(wide(held).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
            OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return 1;
        std::puts("held");
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) { }
        ::CloseHandle(h);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestFileSystemWin test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_core_filesystem_win.moc"
