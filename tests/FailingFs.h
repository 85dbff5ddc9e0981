#pragma once

#include "TestSupport.h"
#include "support/FileSystem.h"

#include <QTest>

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
        return failAt == TSafeWriteStep::CreateTemp
            ? 5
            : TFileSystem::CreateTempFile(dir, base, temp, handle);
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
    int CopyPermissions(const QString &from, int handle, QStringList &notKept) override
    {
        return failAt == TSafeWriteStep::Permissions
            ? 5
            : TFileSystem::CopyPermissions(from, handle, notKept);
    }
    int Sync(int handle) override
    {
        return failAt == TSafeWriteStep::Sync ? 1117 : TFileSystem::Sync(handle);
    }
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

// Makes `step` of a safe write over a file fail (a write: the given call) and
// checks the code and step reported, that the old file stays whole and that
// nothing else is left in its folder.
inline void CheckFailedStepLeavesOldFile(
    TSafeWriteStep step, bool shortWrite, int failingWriteCall, int code)
{
    TempProgramDir dir;
    const QByteArray old = "[A]\r\nKey=old\r\n";
    dir.Write(QStringLiteral("a.ini"), old);
    FailingFs fs;
    fs.failAt = step;
    fs.shortWrite = shortWrite;
    fs.failOnWriteCall = failingWriteCall;
    TScopedFileSystem scope(&fs);
    TSafeWriteStep reported = TSafeWriteStep::None;
    QCOMPARE(SafeWriteFile(dir.FilePath(QStringLiteral("a.ini")), QByteArray(2 * 1024 * 1024, 'x'),
                 &reported),
        code);
    QCOMPARE(reported, step);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), old);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});
}
