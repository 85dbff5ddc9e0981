// The file-system calls on Windows. Error codes are GetLastError's own; the
// write protection is the read-only attribute; a handle is an index into a
// table of open file handles.

#include "FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>

#include <algorithm>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

TFileSystem *&installed()
{
    static TFileSystem *fs = nullptr;
    return fs;
}

// The largest piece handed to one Write call; every piece must be written whole.
constexpr qint64 WriteChunk = qint64(1) << 20;

constexpr int ErrorDiskFull = 112;
constexpr int ErrorGeneral = 31;
constexpr int ErrorNotRegular = 161;
constexpr int ErrorLinkLoop = 1921;

// The longest file name NTFS takes, in UTF-16 units.
constexpr qsizetype MaxNameUnits = 255;
// A temporary file name: "." + base + "." + up to 7 random characters + ".tmp".
constexpr qsizetype TempNameExtra = 1 + 1 + 7 + 4;
// A temporary file untouched for this long, and not held open, is a leftover.
constexpr qint64 StaleSeconds = 5;

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
    return u'.' + base + u'.';
}

bool isTempName(const QString &name, const QString &prefix)
{
    if (!name.startsWith(prefix, Qt::CaseInsensitive)
        || !name.endsWith(QStringLiteral(".tmp"), Qt::CaseInsensitive))
        return false;
    const QStringView random
        = QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - 4);
    if (random.isEmpty() || random.size() > 7)
        return false;
    return std::all_of(random.begin(), random.end(),
        [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z'); });
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

TFileSystem &TFileSystem::Instance()
{
    static TFileSystem real;
    TFileSystem *fs = installed();
    return fs ? *fs : real;
}

TFileSystem *TFileSystem::SetInstance(TFileSystem *fs)
{
    TFileSystem *previous = installed();
    installed() = fs;
    return previous;
}

int TFileSystem::MapErrno(int err, bool directoryPart)
{
    // The C runtime's errno values, for the few callers that have one.
    switch (err) {
    case ENOENT:
        return directoryPart ? 3 : 2;
    case ENOTDIR:
        return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
        return 5;
    case EMFILE:
    case ENFILE:
        return 4;
    case EEXIST:
        return 80;
    case EROFS:
        return 19;
    case EBUSY:
    case ETXTBSY:
        return 32;
    case ENOSPC:
        return ErrorDiskFull;
    case EFBIG:
        return 223;
    case ENAMETOOLONG:
        return 206;
    case EIO:
        return 1117;
    case ELOOP:
        return ErrorLinkLoop;
    default:
        return ErrorGeneral;
    }
}

bool TFileSystem::Exists(const QString &path)
{
    return !path.isEmpty() && ::GetFileAttributesW(native(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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
    // Others may go on reading and writing; the file is read as it is now.
    const HANDLE h = ::CreateFileW(native(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = lastError();
    // The size is a hint only: the file is read up to its end, whatever that is.
    LARGE_INTEGER size;
    qint64 capacity
        = (::GetFileSizeEx(h, &size) && size.QuadPart > 0) ? size.QuadPart + 1 : 64 * 1024;
    QByteArray buffer(capacity, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == buffer.size())
            buffer.resize(buffer.size() * 2);
        const DWORD want = DWORD(std::min<qint64>(buffer.size() - total, WriteChunk));
        DWORD n = 0;
        if (!::ReadFile(h, buffer.data() + total, want, &n, nullptr)) {
            const int code = lastError();
            ::CloseHandle(h);
            return m_lastError = code;
        }
        if (n == 0)
            break;
        total += n;
    }
    ::CloseHandle(h);
    buffer.truncate(total);
    bytes = std::move(buffer);
    return 0;
}

int TFileSystem::CreateTempFile(
    const QString &dir, const QString &baseName, QString &tempPath, int &handle)
{
    handle = -1;
    const QString prefix
        = (dir.isEmpty() ? QStringLiteral(".") : dir) + u'/' + tempPrefix(baseName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = prefix
            + QString::number(QRandomGenerator::global()->generate() & 0x3FFFFFFF, 36)
            + QStringLiteral(".tmp");
        // Opened exclusively: while the write runs nobody else can open,
        // rename or delete it, which tells it from a killed write's leftover.
        const HANDLE h = ::CreateFileW(native(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

void TFileSystem::RemoveStaleTempFiles(const QString &dir, const QString &baseName)
{
    const QString d = dir.isEmpty() ? QStringLiteral(".") : dir;
    const QString prefix = tempPrefix(baseName);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW(native(d + QStringLiteral("/*.tmp")).c_str(),
        FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME nowFt;
    ::GetSystemTimeAsFileTime(&nowFt);
    const qint64 now = fileTimeToMSecs(nowFt);
    do {
        if (found.dwFileAttributes
            & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY))
            continue;
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!isTempName(name, prefix))
            continue;
        // A running write holds its file open exclusively, so the deletion
        // fails (error 32); a file just made or just written may be one whose
        // writer has closed it before renaming.
        if (now - fileTimeToMSecs(found.ftLastWriteTime) >= StaleSeconds * 1000)
            ::DeleteFileW(native(d + u'/' + name).c_str());
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
    if (!::CloseHandle(h))
        return m_lastError = lastError();
    return 0;
}

int TFileSystem::CopyPermissions(const QString &from, int handle)
{
    // ReplaceFileW hands the old file's ACL and attributes on; for the
    // fallback the new file takes the old one's attributes here (hidden,
    // system, archive, ...), except the read-only one, which a replaced file
    // never has.
    const DWORD attrs = ::GetFileAttributesW(native(from).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return 0; // no old file: the new one keeps the folder's defaults
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

int SafeWriteFile(const QString &path, const QByteArray &bytes)
{
    return SafeWriteFile(path, bytes, nullptr);
}

int SafeWriteFile(const QString &rawPath, const QByteArray &bytes, TSafeWriteStep *failedAt)
{
    TFileSystem &fs = TFileSystem::Instance();
    TSafeWriteStep step = TSafeWriteStep::CreateTemp;
    auto failAt = [&](TSafeWriteStep s, int code) {
        if (failedAt)
            *failedAt = s;
        return code;
    };
    if (failedAt)
        *failedAt = TSafeWriteStep::None;
    if (rawPath.isEmpty())
        return failAt(step, 3);
    const QString path = QDir::fromNativeSeparators(rawPath);

    // A symbolic link stays a link: the file it points to is replaced.
    QString target;
    if (const int rc = resolveTarget(path, target); rc != 0)
        return failAt(step, rc);

    // A write-protected file is not replaced behind its owner's back.
    if (fs.IsWriteProtected(target))
        return failAt(step, 5);

    const bool hadTarget = fs.Exists(target);
    const qsizetype slash = target.lastIndexOf(u'/');
    const QString dir = slash < 0 ? QStringLiteral(".") : parentOf(target);
    const QString baseName = target.mid(slash + 1);
    // A name longer than the file system takes: Windows' own code for it
    // (some file systems only say "not found").
    if (baseName.size() > MaxNameUnits)
        return failAt(step, ERROR_FILENAME_EXCED_RANGE);
    fs.RemoveStaleTempFiles(dir, baseName);

    QString tempPath;
    int handle = -1;
    int rc = fs.CreateTempFile(dir, baseName, tempPath, handle);
    if (rc != 0)
        return failAt(step, rc);

    auto fail = [&](int code, bool closeHandle) {
        if (closeHandle)
            fs.Close(handle);
        fs.RemoveFile(tempPath);
        return failAt(step, code != 0 ? code : ErrorGeneral);
    };
    auto lastErrorOr = [&](int fallback) {
        const int e = fs.LastError();
        return e != 0 ? e : fallback;
    };

    step = TSafeWriteStep::Write;
    const char *data = bytes.constData();
    const qint64 size = bytes.size();
    for (qint64 done = 0; done < size;) {
        const qint64 piece = std::min(WriteChunk, size - done);
        fs.ClearLastError();
        const qint64 n = fs.Write(handle, data + done, piece);
        if (n < 0)
            return fail(lastErrorOr(ErrorGeneral), true);
        if (n != piece)
            return fail(lastErrorOr(ErrorDiskFull), true);
        done += n;
    }
    step = TSafeWriteStep::Permissions;
    if ((rc = fs.CopyPermissions(target, handle)) != 0)
        return fail(rc, true);
    step = TSafeWriteStep::Sync;
    if ((rc = fs.Sync(handle)) != 0)
        return fail(rc, true);
    step = TSafeWriteStep::Close;
    if ((rc = fs.Close(handle)) != 0)
        return fail(rc, false);
    step = TSafeWriteStep::Rename;
    if ((rc = fs.Rename(tempPath, target)) != 0) {
        // ReplaceFileW may fail after it has put the old file aside (1176):
        // then the complete new file is the only copy left, and stays.
        if (hadTarget && !fs.Exists(target) && fs.Exists(tempPath))
            return failAt(step, rc);
        return fail(rc, false);
    }
    return 0;
}

QString ErrorReason(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("Datei nicht gefunden");
    case 3:
        return QStringLiteral("Pfad nicht gefunden");
    case 4:
        return QStringLiteral("zu viele offene Dateien");
    case 5:
        return QStringLiteral("Zugriff verweigert");
    case 6:
        return QStringLiteral("ungültiges Handle");
    case 8:
    case 14:
        return QStringLiteral("nicht genug Speicher");
    case 15:
        return QStringLiteral("Laufwerk nicht gefunden");
    case 17:
        return QStringLiteral("anderes Laufwerk");
    case 19:
        return QStringLiteral("Datenträger schreibgeschützt");
    case 21:
        return QStringLiteral("Laufwerk nicht bereit");
    case 23:
        return QStringLiteral("Datenfehler (CRC)");
    case 31:
        return QStringLiteral("Gerät oder System meldet einen Fehler");
    case 32:
        return QStringLiteral("Datei wird von einem anderen Prozess verwendet");
    case 33:
        return QStringLiteral("Datei von einem anderen Prozess gesperrt");
    case 53:
        return QStringLiteral("Netzwerkpfad nicht gefunden");
    case 64:
        return QStringLiteral("Netzwerkname nicht mehr verfügbar");
    case 80:
        return QStringLiteral("Datei existiert bereits");
    case 87:
        return QStringLiteral("Text wäre nicht wieder lesbar");
    case 112:
        return QStringLiteral("Datenträger voll");
    case 123:
        return QStringLiteral("ungültiger Name");
    case 161:
        return QStringLiteral("kein regulärer Pfad");
    case 206:
        return QStringLiteral("Name zu lang");
    case 223:
        return QStringLiteral("Datei zu groß");
    case 267:
        return QStringLiteral("ungültiger Ordnername");
    case 1113:
        return QStringLiteral("Zeichen im Windows-Zeichensatz nicht darstellbar");
    case 1117:
        return QStringLiteral("Ein-/Ausgabefehler");
    case 1175:
        return QStringLiteral("alte Datei nicht ersetzbar");
    case 1176:
    case 1177:
        return QStringLiteral("neue Datei nicht an ihren Platz zu bringen");
    case 1921:
        return QStringLiteral("Verknüpfung nicht auflösbar");
    default:
        return QString();
    }
}

QString ErrorCodeText(int code)
{
    const QString reason = ErrorReason(code);
    return reason.isEmpty() ? QStringLiteral("Fehler %1").arg(code)
                            : QStringLiteral("Fehler %1: %2").arg(code).arg(reason);
}
