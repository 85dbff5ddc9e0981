#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The file-system calls of the program, behind one replaceable instance so that
// tests can make any single call fail (permission failures cannot be provoked
// for real when the tests run as root).
//
// Error codes are Windows-style, mapped from errno (MapErrno):
//   ENOENT 2 (file) / 3 (directory part missing, also ENOTDIR), EACCES/EPERM 5,
//   EMFILE/ENFILE 4, EEXIST 80, EROFS 19, EBUSY/ETXTBSY 32, EISDIR 5,
//   ENOSPC/EDQUOT 112, EFBIG 223, ENAMETOOLONG 206, EIO 1117, ELOOP 1921,
//   anything else 31 (a device or general failure). A safe write to a target
//   that is no regular file gives 161.
// No failing call ever returns 0, and a failed creation never returns 2: a
// missing directory gives 3.
class TFileSystem
{
public:
    virtual ~TFileSystem() = default;

    // The installed instance; the real one unless a test installed another.
    static TFileSystem &Instance();
    // Installs an instance (nullptr: the real one); returns the previous one.
    static TFileSystem *SetInstance(TFileSystem *fs);

    // Windows-style code for an errno value; `directoryPart` turns ENOENT into 3.
    static int MapErrno(int err, bool directoryPart = false);

    virtual bool Exists(const QString &path);
    // Size and modification time; false when there is no such file.
    virtual bool Stat(const QString &path, qint64 &size, QDateTime &modified);
    // A file is write-protected when it lacks its owner's write permission.
    virtual bool IsWriteProtected(const QString &path);
    // Gives the owner write permission back; false on failure.
    virtual bool RemoveWriteProtection(const QString &path);
    // Creates an empty file (failing when it exists); 0 or an error code.
    virtual int CreateEmptyFile(const QString &path);
    virtual bool RemoveFile(const QString &path);
    // Reads the whole file; 0 or an error code.
    virtual int ReadWholeFile(const QString &path, QByteArray &bytes);

    // The steps of a safe whole-file write. A handle is a file descriptor.
    // Creates a new, empty, uniquely named file in `dir`; 0 or an error code.
    // The name is "." + baseName + "." + a random part + ".tmp", with baseName
    // shortened so that the name stays within the file system's 255 bytes. The
    // file stays locked (flock) while its handle is open, so that another
    // writer can tell it from the leftover of a killed one.
    virtual int CreateTempFile(const QString &dir, const QString &baseName, QString &tempPath,
                               int &handle);
    // Removes the temporary files of baseName's naming pattern in `dir` that
    // no running write holds (left over by killed writes) and that have not
    // been touched for a few seconds.
    virtual void RemoveStaleTempFiles(const QString &dir, const QString &baseName);
    // Writes up to `size` bytes; returns the count written (which may be short) or -1.
    virtual qint64 Write(int handle, const char *data, qint64 size);
    // Pushes the data to the disk (fsync); 0 or an error code.
    virtual int Sync(int handle);
    // 0 or an error code.
    virtual int Close(int handle);
    // Copies the permission bits of `from` (when it exists) to the open file.
    virtual int CopyPermissions(const QString &from, int handle);
    // Replaces `to` with `from` in one step; 0 or an error code.
    virtual int Rename(const QString &from, const QString &to);
    // The errno of the last failed call of this instance, mapped.
    int LastError() const { return m_lastError; }
    void ClearLastError() { m_lastError = 0; }

protected:
    int m_lastError = 0;
};

// The reason for an error code in words, for messages ("Datenträger voll").
QString ErrorReason(int code);
// "Fehler 112: Datenträger voll" (the number alone when there is no reason).
QString ErrorCodeText(int code);

// Replaces the file at `path` with `bytes` in one step: a temporary file in the
// same directory is written completely, synced and renamed over the old file,
// which keeps its permission bits. On any failure the old file is left
// byte-identical, the temporary file is removed and an error code is returned;
// 0 means the new file is in place. A write-protected file is not replaced (5),
// and a symbolic link stays in place: the regular file it points to is
// replaced. A target that exists and is no regular file (a directory, a FIFO,
// a device) and a link that does not lead to a regular file are refused (161;
// 1921 for a loop of links). A file-size limit makes the write fail with 223
// instead of ending the program. Leftovers of killed writes to the same name
// are removed first. Every
// piece handed to Write must be written whole; a short count is a failure
// (the call's error, else 112), never retried.
int SafeWriteFile(const QString &path, const QByteArray &bytes);

// The step at which a safe write failed.
enum class TSafeWriteStep { None, CreateTemp, Write, Permissions, Sync, Close, Rename };
// As above, and tells at which step it failed (None on success). A failure to
// create the temporary file means the directory takes no new file; a
// write-protected target counts as that step too.
int SafeWriteFile(const QString &path, const QByteArray &bytes, TSafeWriteStep *failedAt);

// Installs a file system for the lifetime of the object (tests).
class TScopedFileSystem
{
public:
    explicit TScopedFileSystem(TFileSystem *fs) : m_previous(TFileSystem::SetInstance(fs)) {}
    ~TScopedFileSystem() { TFileSystem::SetInstance(m_previous); }
    TScopedFileSystem(const TScopedFileSystem &) = delete;
    TScopedFileSystem &operator=(const TScopedFileSystem &) = delete;

private:
    TFileSystem *m_previous;
};
