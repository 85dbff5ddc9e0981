// The file-system calls on Windows. Error codes are GetLastError's own; the
// write protection is the read-only attribute; a handle is an index into a
// table of open file handles.

#include "FileSystem.h"
#include "FileSystemPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>

#include <algorithm>
#include <new>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

using namespace FileSystemDetail;

namespace {

// The longest file name NTFS takes, in UTF-16 units.
constexpr qsizetype MaxNameUnits = 255;

// The program's own code 87 means text that would not read back; a system
// "invalid parameter" is a general failure to it.
int mapError(DWORD err)
{
    if (err == ERROR_SUCCESS || err == ERROR_INVALID_PARAMETER)
        return ErrorGeneral;
    if (err == ERROR_HANDLE_DISK_FULL)
        return ErrorDiskFull;
    return int(err);
}

int lastError()
{
    return mapError(::GetLastError());
}

// The path as Windows takes it: absolute, with backslashes and the "\\?\"
// prefix that lifts the limit of MAX_PATH characters.
std::wstring native(const QString &path)
{
    QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    p = QDir::toNativeSeparators(p);
    if (p.startsWith(QStringLiteral("\\\\?\\")))
        return p.toStdWString();
    if (p.startsWith(QStringLiteral("\\\\")))
        p = QStringLiteral("\\\\?\\UNC\\") + p.mid(2);
    else
        p = QStringLiteral("\\\\?\\") + p;
    return p.toStdWString();
}

// The path back in Qt's form, without the long-path prefix.
QString fromNative(const wchar_t *path)
{
    QString p = QString::fromWCharArray(path);
    if (p.startsWith(QStringLiteral("\\\\?\\UNC\\")))
        p = QStringLiteral("\\\\") + p.mid(8);
    else if (p.startsWith(QStringLiteral("\\\\?\\")))
        p = p.mid(4);
    return QDir::fromNativeSeparators(p);
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0 || (slash == 2 && path.at(1) == u':'))
        return path.left(slash + 1);
    return path.left(slash);
}

// The open files, so that a handle fits the interface's int.
class HandleTable
{
public:
    int Add(HANDLE h)
    {
        QMutexLocker lock(&m_mutex);
        const auto free = std::find(m_handles.begin(), m_handles.end(), INVALID_HANDLE_VALUE);
        if (free != m_handles.end()) {
            *free = h;
            return int(free - m_handles.begin()) + 1;
        }
        m_handles.push_back(h);
        return int(m_handles.size());
    }
    HANDLE Get(int handle)
    {
        QMutexLocker lock(&m_mutex);
        if (handle < 1 || handle > int(m_handles.size()))
            return INVALID_HANDLE_VALUE;
        return m_handles[size_t(handle - 1)];
    }
    HANDLE Take(int handle)
    {
        QMutexLocker lock(&m_mutex);
        if (handle < 1 || handle > int(m_handles.size()))
            return INVALID_HANDLE_VALUE;
        return std::exchange(m_handles[size_t(handle - 1)], INVALID_HANDLE_VALUE);
    }
    // Puts h in the place of the handle (nullptr: closed, the place still
    // taken until Close); returns the one it held.
    HANDLE Swap(int handle, HANDLE h)
    {
        QMutexLocker lock(&m_mutex);
        if (handle < 1 || handle > int(m_handles.size()))
            return INVALID_HANDLE_VALUE;
        return std::exchange(m_handles[size_t(handle - 1)], h);
    }

private:
    QMutex m_mutex;
    std::vector<HANDLE> m_handles;
};

HandleTable &handles()
{
    static HandleTable table;
    return table;
}

// "." + the base name, cut so that a temporary name made from it stays
// within MaxNameUnits, never between the halves of a surrogate pair. The
// UTF-8 length is kept within the same bound, so that the name also fits a
// Linux file system under Wine or Samba (255 bytes).
QString tempPrefix(const QString &baseName)
{
    QString base = baseName;
    const qsizetype room = MaxNameUnits - TempNameExtra;
    while (base.size() > room || base.toUtf8().size() > room) {
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    }
    return u'.' + base + QLatin1StringView(TempMark);
}

bool isTempName(const QString &name, const QString &prefix)
{
    if (!name.startsWith(prefix, Qt::CaseInsensitive)
        || !name.endsWith(QStringLiteral(".tmp"), Qt::CaseInsensitive))
        return false;
    const QStringView random
        = QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - 4);
    if (random.size() != RandomChars)
        return false;
    return std::all_of(
        random.begin(), random.end(), [](QChar c) { return IsRandomChar(c.unicode()); });
}

qint64 fileTimeToMSecs(const FILETIME &ft)
{
    const qint64 ticks = (qint64(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    // 100-ns ticks since 1601-01-01 to milliseconds since 1970-01-01.
    return ticks / 10000 - Q_INT64_C(11644473600000);
}

// Opens a file or folder for its attributes only, following links.
HANDLE openForQuery(const std::wstring &p)
{
    return ::CreateFileW(p.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The file a safe write replaces: the path itself or, for a symbolic link,
// the regular file it leads to. 0, or the code of a target that must not be
// replaced (a folder, a device, a link to no regular file).
int resolveTarget(const QString &path, QString &target)
{
    target = path;
    const std::wstring p = native(path);
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
            return 0; // nothing there: a new file (or a missing folder, found later)
        // Reserved device names ("NUL", "COM1") have no attributes on some systems.
        return err == ERROR_CANT_RESOLVE_FILENAME ? ErrorLinkLoop : 0;
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return ErrorNotRegular;
    const HANDLE h = openForQuery(p);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (attrs & FILE_ATTRIBUTE_REPARSE_POINT)
            return err == ERROR_CANT_RESOLVE_FILENAME ? ErrorLinkLoop : ErrorNotRegular;
        return 0; // the later steps tell what is wrong
    }
    int rc = 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK
        || (::GetFileInformationByHandle(h, &info)
            && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        rc = ErrorNotRegular;
    } else if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
        wchar_t buffer[32768];
        const DWORD n = ::GetFinalPathNameByHandleW(
            h, buffer, DWORD(std::size(buffer)), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0 || n >= std::size(buffer))
            rc = ErrorNotRegular;
        else
            target = fromNative(buffer);
    }
    ::CloseHandle(h);
    return rc;
}

// The holder of a file another program keeps open: true when the file cannot
// even be opened for deletion because someone else shares it not.
bool heldByAnother(const std::wstring &p)
{
    const HANDLE h = ::CreateFileW(p.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    const DWORD err = ::GetLastError();
    return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
}

} // namespace

int FileSystemDetail::PrepareSafeWriteTarget(
    const QString &rawPath, QString &target, QString &dir, QString &baseName)
{
    const QString path = QDir::fromNativeSeparators(rawPath);
    if (const int rc = resolveTarget(path, target); rc != 0)
        return rc;
    const qsizetype slash = target.lastIndexOf(u'/');
    dir = slash < 0 ? QStringLiteral(".") : parentOf(target);
    baseName = target.mid(slash + 1);
    // A name longer than the file system takes: Windows' own code for it
    // (some file systems only say "not found").
    if (baseName.size() > MaxNameUnits)
        return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

bool TFileSystem::Exists(const QString &path)
{
    return !path.isEmpty() && ::GetFileAttributesW(native(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int TFileSystem::CheckFolder(const QString &path)
{
    if (path.isEmpty())
        return m_lastError = 2;
    const std::wstring p = native(path);
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        return m_lastError
            = (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? 2 : mapError(err);
    }
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY))
        return m_lastError = ERROR_DIRECTORY;
    // Listing it tells whether the user may read it.
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW(
        (p + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? 0 : (m_lastError = mapError(err));
    }
    ::FindClose(search);
    return 0;
}

bool TFileSystem::Stat(const QString &path, qint64 &size, QDateTime &modified)
{
    if (path.isEmpty()) {
        m_lastError = 2;
        return false;
    }
    const HANDLE h = openForQuery(native(path));
    if (h == INVALID_HANDLE_VALUE) {
        m_lastError = lastError();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(h, &info);
    if (!ok)
        m_lastError = lastError();
    ::CloseHandle(h);
    if (!ok)
        return false;
    size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    modified = QDateTime::fromMSecsSinceEpoch(fileTimeToMSecs(info.ftLastWriteTime));
    return true;
}

bool TFileSystem::IsWriteProtected(const QString &path)
{
    const DWORD attrs = ::GetFileAttributesW(native(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)
        && (attrs & FILE_ATTRIBUTE_READONLY);
}

bool TFileSystem::RemoveWriteProtection(const QString &path)
{
    const std::wstring p = native(path);
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        m_lastError = lastError();
        return false;
    }
    // Only files: a folder named by mistake keeps its attributes.
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        m_lastError = 5;
        return false;
    }
    if (!(attrs & FILE_ATTRIBUTE_READONLY))
        return true;
    DWORD rest = attrs & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (rest == 0)
        rest = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileAttributesW(p.c_str(), rest)) {
        m_lastError = lastError();
        return false;
    }
    return true;
}

int TFileSystem::CreateEmptyFile(const QString &path)
{
    // An empty path has no folder to create the file in.
    if (path.isEmpty())
        return m_lastError = 3;
    const HANDLE h = ::CreateFileW(native(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int code = lastError();
        return m_lastError = code == 2 ? 3 : code;
    }
    ::CloseHandle(h);
    return 0;
}

bool TFileSystem::RemoveFile(const QString &path)
{
    if (!::DeleteFileW(native(path).c_str())) {
        m_lastError = lastError();
        return false;
    }
    return true;
}

int TFileSystem::ReadWholeFile(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    if (path.isEmpty())
        return m_lastError = 2;
    const std::wstring p = native(path);
    // A folder or a device is refused before it is opened.
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return m_lastError = lastError();
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return m_lastError = 5;
    if (attrs & FILE_ATTRIBUTE_DEVICE)
        return m_lastError = ErrorNotRegular;
    // Others may go on reading and writing; the file is read as it is now.
    const HANDLE h = ::CreateFileW(p.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = lastError();
    // What was opened may be something else by now (a pipe put in its place).
    LARGE_INTEGER size;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        return m_lastError = ErrorNotRegular;
    }
    if (!::GetFileSizeEx(h, &size))
        size.QuadPart = 0;
    if (size.QuadPart > MaxFileBytes) {
        ::CloseHandle(h);
        return m_lastError = ErrorTooLarge;
    }
    const int code = ReadToEnd(size.QuadPart, bytes, [h](char *dst, qint64 max) -> qint64 {
        DWORD n = 0;
        if (!::ReadFile(h, dst, DWORD(std::min(max, WriteChunk)), &n, nullptr))
            return -lastError();
        return n;
    });
    ::CloseHandle(h);
    return code == 0 ? 0 : (m_lastError = code);
}

int TFileSystem::CheckWriteAccess(const QString &path)
{
    // The read-only attribute, then the access list: opening the file for
    // writing asks it, and changes nothing. (The attribute is asked itself:
    // a privileged process may be let open such a file.)
    const std::wstring p = native(path);
    const DWORD attrs = ::GetFileAttributesW(p.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)
        && (attrs & FILE_ATTRIBUTE_READONLY))
        return m_lastError = 5;
    const HANDLE h = ::CreateFileW(p.c_str(), GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return 0;
    }
    switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
        return m_lastError = 5;
    case ERROR_WRITE_PROTECT:
        return m_lastError = 19;
    default:
        return 0; // nothing there, or a failure the write itself will meet
    }
}

int TFileSystem::CreateTempFile(
    const QString &dir, const QString &baseName, QString &tempPath, int &handle)
{
    handle = -1;
    tempPath.clear();
    const QString prefix
        = (dir.isEmpty() ? QStringLiteral(".") : dir) + u'/' + tempPrefix(baseName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate
            = prefix + QString::fromLatin1(RandomPart()) + QStringLiteral(".tmp");
        // Held open until it is complete (see NameTempFile): a cleaner,
        // which takes a file only when nobody holds it, leaves it alone.
        const HANDLE h
            = ::CreateFileW(native(candidate).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            tempPath = candidate;
            handle = handles().Add(h);
            return 0;
        }
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            return m_lastError = err == ERROR_FILE_NOT_FOUND ? 3 : mapError(err);
    }
    return m_lastError = 80;
}

int TFileSystem::NameTempFile(int handle, const QString &, const QString &, QString &tempPath)
{
    // The file got its marked name when it was made. ReplaceFileW opens it
    // again without sharing it (under Wine even a handle that only reads
    // makes it fail with error 32, and the old file's ACL would be lost to
    // the fallback): the complete, flushed file is closed here, just before
    // the replacement. A cleaner that took it in this instant would make the
    // replacement fail, with the old file whole.
    if (tempPath.isEmpty())
        return m_lastError = ERROR_INVALID_HANDLE;
    const HANDLE h = handles().Swap(handle, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = ERROR_INVALID_HANDLE;
    if (h != nullptr && !::CloseHandle(h))
        return m_lastError = lastError();
    return 0;
}

void TFileSystem::RemoveStaleTempFiles(const QString &dir, const QString &baseName)
{
    const QString d = dir.isEmpty() ? QStringLiteral(".") : dir;
    const QString prefix = tempPrefix(baseName);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW(native(d + QStringLiteral("/*.tmp")).c_str(),
        FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes
            & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY))
            continue;
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!isTempName(name, prefix))
            continue;
        // Opened without sharing, which fails while anyone holds it (a
        // running write does until its rename), and deleted on closing.
        const HANDLE h = ::CreateFileW(native(d + u'/' + name).c_str(), DELETE, 0, nullptr,
            OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

qint64 TFileSystem::Write(int handle, const char *data, qint64 size)
{
    const HANDLE h = handles().Get(handle);
    if (h == INVALID_HANDLE_VALUE) {
        m_lastError = ERROR_INVALID_HANDLE;
        return -1;
    }
    qint64 done = 0;
    while (done < size) {
        DWORD n = 0;
        const DWORD piece = DWORD(std::min(size - done, WriteChunk));
        if (!::WriteFile(h, data + done, piece, &n, nullptr)) {
            m_lastError = lastError();
            return done > 0 ? done : -1;
        }
        if (n == 0) {
            m_lastError = ErrorDiskFull;
            break;
        }
        done += n;
    }
    return done;
}

int TFileSystem::Sync(int handle)
{
    const HANDLE h = handles().Get(handle);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = ERROR_INVALID_HANDLE;
    if (!::FlushFileBuffers(h))
        return m_lastError = lastError();
    return 0;
}

int TFileSystem::Close(int handle)
{
    const HANDLE h = handles().Take(handle);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = ERROR_INVALID_HANDLE;
    if (h == nullptr) // closed before the replacement
        return 0;
    if (!::CloseHandle(h))
        return m_lastError = lastError();
    return 0;
}

int TFileSystem::CopyPermissions(const QString &from, int handle, QStringList &)
{
    // ReplaceFileW hands the old file's ACL and attributes on; for the
    // fallback the new file takes the old one's attributes here (hidden,
    // system, archive, ...), except the read-only one, which a replaced file
    // never has. Without an old file the new one keeps the folder's defaults.
    const DWORD attrs = ::GetFileAttributesW(native(from).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    const HANDLE h = handles().Get(handle);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = ERROR_INVALID_HANDLE;
    constexpr DWORD Kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info {};
    info.FileAttributes = (attrs & Kept) ? (attrs & Kept) : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info))
        return m_lastError = lastError();
    return 0;
}

int TFileSystem::Rename(const QString &from, const QString &to)
{
    const std::wstring src = native(from);
    const std::wstring dst = native(to);
    // A file another program keeps open without sharing its deletion cannot
    // be replaced: said so before trying (a failed ReplaceFileW may leave a
    // file of its own behind).
    if (heldByAnother(dst))
        return m_lastError = ERROR_SHARING_VIOLATION;
    // One step that keeps the replaced file's ACL, attributes and identity;
    // where it cannot be used (no old file, a file system without it), a
    // move that replaces and returns only when done.
    if (::ReplaceFileW(
            dst.c_str(), src.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return 0;
    const DWORD replaceError = ::GetLastError();
    if (::MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    DWORD err = ::GetLastError();
    // Another program holding the old file open shows as "access denied" or
    // as ReplaceFileW's "cannot remove the replaced file": say what it is.
    if (err == ERROR_ACCESS_DENIED || replaceError == ERROR_UNABLE_TO_REMOVE_REPLACED) {
        if (heldByAnother(dst))
            err = ERROR_SHARING_VIOLATION;
    }
    return m_lastError = mapError(err);
}

QString AbsoluteFilePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(path)));
}
