#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The file-system calls of the program, behind one replaceable instance so that
// tests can make any single call fail (permission failures cannot be provoked
// for real when the tests run as root).
//
// Error codes are Windows-style, mapped from errno (MapErrno):
//   ENOENT 2 (file) / 3 (directory part missing, also ENOTDIR), EACCES/EPERM 5,
//   EMFILE/ENFILE 4, EEXIST 80, EROFS 19, EBUSY/ETXTBSY 32, EISDIR 5,
//   ENOSPC/EDQUOT 112, EFBIG 223, ENAMETOOLONG 206, EIO 1117, ELOOP 1921,
//   anything else 31 (a device or general failure). A safe write to a target
//   that is no regular file gives 161, and so does reading one (a FIFO, a
//   device; a directory gives 5). A file larger than MaxFileBytes is not read
//   (223); memory that cannot be had for a read gives 8.
// No failing call ever returns 0, and a failed creation never returns 2: a
// missing directory gives 3.
// The largest file the program reads: far above the largest provider file
// (about 2.2 MB), far below what would exhaust the memory of a small machine.
inline constexpr qint64 MaxFileBytes = qint64(64) << 20;
// The codes of a file larger than that, and of memory that ran out.
inline constexpr int TooLargeCode = 223;
inline constexpr int OutOfMemoryCode = 8;

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
    // 0 when `path` names a folder the user may list and enter; 2 when there
    // is nothing, 267 when it is no folder, 5 when it may not be read.
    virtual int CheckFolder(const QString &path);
    // Size and modification time; false when there is no such file.
    virtual bool Stat(const QString &path, qint64 &size, QDateTime &modified);
    // A file is write-protected when it lacks its owner's write permission.
    virtual bool IsWriteProtected(const QString &path);
    // Gives the owner write permission back; false on failure.
    virtual bool RemoveWriteProtection(const QString &path);
    // Creates an empty file (failing when it exists); 0 or an error code.
    virtual int CreateEmptyFile(const QString &path);
    virtual bool RemoveFile(const QString &path);
    // Reads the whole file; 0 or an error code. What is no regular file is
    // refused before it is opened (a FIFO would block the opening for ever),
    // and so is a file larger than MaxFileBytes.
    virtual int ReadWholeFile(const QString &path, QByteArray &bytes);
    // 0 when the current user may write the existing file at `path` itself
    // (or there is none); 5 when not (another user's file, even in a folder
    // the user may write), 19 on a read-only file system. Asked before a
    // safe write replaces a file.
    virtual int CheckWriteAccess(const QString &path);

    // The steps of a safe whole-file write. A handle is a file descriptor.
    // Creates a new, empty file in `dir` that only the current user may read
    // (mode 0600); 0 or an error code. Where the file system allows, the file
    // has no name yet (tempPath empty) until NameTempFile gives it one, so
    // that nothing unfinished is ever seen in the folder. Otherwise it is
    // named at once. The name is "." + baseName + ".tarifsave-" + 12 random
    // characters [0-9a-z] + ".tmp" (the mark of this program's temporary
    // files), with baseName shortened so that the name stays within the file
    // system's 255 bytes. The file stays locked (flock) while its handle is
    // open, so that another writer can tell it from the leftover of a killed
    // one; the handle is closed only after the rename.
    virtual int CreateTempFile(const QString &dir, const QString &baseName, QString &tempPath,
                               int &handle);
    // Gives a temporary file made without a name its marked name in `dir`
    // (a file with a name keeps it); 0 or an error code.
    virtual int NameTempFile(
        int handle, const QString &dir, const QString &baseName, QString &tempPath);
    // Removes the temporary files in `dir` left over by killed writes to
    // baseName: only names with this program's mark, only the current user's
    // regular files and only those no running write holds (locked).
    virtual void RemoveStaleTempFiles(const QString &dir, const QString &baseName);
    // Writes up to `size` bytes; returns the count written (which may be short) or -1.
    virtual qint64 Write(int handle, const char *data, qint64 size);
    // Pushes the data to the disk (fsync); 0 or an error code.
    virtual int Sync(int handle);
    // 0 or an error code.
    virtual int Close(int handle);
    // Gives the open file what the file `from` has besides its contents: the
    // permission bits, the owner and group where the user may set them, and
    // the extended attributes (which hold the ACLs). Without an old file, the
    // bits a new file gets (0666 less the umask). 0 or an error code when the
    // bits cannot be set; what else cannot be handed on is named in
    // `notKept` ("Gruppe", "Zugriffsliste (ACL)", an attribute's name).
    virtual int CopyPermissions(const QString &from, int handle, QStringList &notKept);
    // Replaces `to` with `from` in one step; 0 or an error code.
    virtual int Rename(const QString &from, const QString &to);
    // The errno of the last failed call of this instance, mapped.
    int LastError() const { return m_lastError; }
    void ClearLastError() { m_lastError = 0; }

protected:
    int m_lastError = 0;
};

// File names as the file system gives them. Names are bytes; those that are
// valid UTF-8 read as that text, and every byte that is not part of valid
// UTF-8 becomes the lone surrogate U+DC00 + byte, which EncodeFileName turns
// back into the same byte. So every name survives the round trip (Qt's own
// conversion turns such bytes into U+FFFD and the file can no longer be found).
// All paths given to TFileSystem are taken in this form.
QString DecodeFileName(const QByteArray &name);
QByteArray EncodeFileName(const QString &name);
// `path` made absolute against the working directory and cleaned, by text
// alone (for names in the form above).
QString AbsoluteFilePath(const QString &path);

// The reason for an error code in words, for messages ("Datenträger voll").
QString ErrorReason(int code);
// "Fehler 112: Datenträger voll" (the number alone when there is no reason).
QString ErrorCodeText(int code);
// Why the existing file at `path` could not be read, for messages: "Die Datei
// PATH ist zu groß (mehr als 64 MiB)." for TooLargeCode, else "Die Datei PATH
// kann nicht gelesen werden." + CR + ErrorCodeText(code).
QString ReadFailureText(const QString &path, int code);

// Replaces the file at `path` with `bytes` in one step: a temporary file in the
// same directory is written completely, given the old file's permission bits,
// group and extended attributes, synced and renamed over the old file; its
// handle (and lock) is closed after the rename. On any failure the old file is
// left byte-identical, the temporary file is removed and an error code is
// returned; 0 means the new file is in place. A write-protected file, and a
// file the current user may not write, is not replaced (5), before anything
// is written; a symbolic link stays in place: the regular file it points to is
// replaced. A target that exists and is no regular file (a directory, a FIFO,
// a device) and a link that does not lead to a regular file are refused (161;
// 1921 for a loop of links). A file-size limit makes the write fail with 223
// instead of ending the program. Leftovers of killed writes to the same name
// are removed first. Every
// piece handed to Write must be written whole; a short count is a failure
// (the call's error, else 112), never retried.
int SafeWriteFile(const QString &path, const QByteArray &bytes);

// The step at which a safe write failed. Close is no longer reported: the
// handle is closed after the rename, when the synced file is in place.
enum class TSafeWriteStep { None, CreateTemp, Write, Permissions, Sync, Close, Rename };
// As above, and tells at which step it failed (None on success). A failure to
// create the temporary file means the directory takes no new file; a
// write-protected target, or one the user may not write, counts as that step
// too. With notKept given, it receives what the new file could not take over
// from the old one (see TFileSystem::CopyPermissions) on success.
int SafeWriteFile(const QString &path, const QByteArray &bytes, TSafeWriteStep *failedAt,
    QStringList *notKept = nullptr);

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
