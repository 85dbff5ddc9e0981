#include "FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TFileSystem *&installed()
{
    static TFileSystem *fs = nullptr;
    return fs;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

// ENOENT names the file when its directory is there, the directory otherwise.
bool directoryMissing(const QString &path)
{
    struct stat st;
    return ::stat(native(parentOf(path)).constData(), &st) != 0 || !S_ISDIR(st.st_mode);
}

// The largest piece handed to one Write call; every piece must be written whole.
constexpr qint64 WriteChunk = qint64(1) << 20;

constexpr int ErrorDiskFull = 112;
constexpr int ErrorGeneral = 31;
constexpr int ErrorNotRegular = 161;
constexpr int ErrorLinkLoop = 1921;

// The longest file name the file systems take, in bytes.
constexpr qsizetype MaxNameBytes = 255;
// A temporary file name: "." + base + "." + up to 7 random characters + ".tmp".
constexpr qsizetype TempNameExtra = 1 + 1 + 7 + 4;
// A temporary file untouched for this long, and not locked, is a leftover.
constexpr int StaleSeconds = 5;

// "." + the encoded base name, cut at a character boundary so that a
// temporary name made from it stays within MaxNameBytes.
QByteArray tempPrefix(const QString &baseName)
{
    QByteArray base = QFile::encodeName(baseName);
    const qsizetype room = MaxNameBytes - TempNameExtra;
    if (base.size() > room) {
        qsizetype cut = room;
        // Never end inside a UTF-8 sequence: back up to the start of one.
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut);
    }
    return '.' + base + '.';
}

bool isTempName(QByteArrayView name, QByteArrayView prefix)
{
    if (!name.startsWith(prefix) || !name.endsWith(".tmp"))
        return false;
    const QByteArrayView random = name.sliced(prefix.size(), name.size() - prefix.size() - 4);
    if (random.isEmpty() || random.size() > 7)
        return false;
    return std::all_of(random.begin(), random.end(),
        [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

// A process killed by SIGXFSZ (a file-size limit) would end without a word;
// ignored, the write fails with EFBIG and is reported. A handler the program
// set itself stays.
void ignoreFileSizeSignal()
{
    static const bool done = [] {
        struct sigaction current
        {
        };
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore
            {
            };
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGXFSZ, &ignore, nullptr);
        }
        return true;
    }();
    (void)done;
}

// The file a safe write replaces: the path itself or, for a symbolic link,
// the regular file it leads to. 0, or the code of a target that must not be
// replaced.
int resolveTarget(const QString &path, QString &target)
{
    target = path;
    const QByteArray p = native(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return 0; // nothing there: a new file
    if (S_ISLNK(st.st_mode)) {
        if (::stat(p.constData(), &st) != 0)
            return errno == ELOOP ? ErrorLinkLoop : ErrorNotRegular;
        if (!S_ISREG(st.st_mode))
            return ErrorNotRegular;
        target = QFileInfo(path).canonicalFilePath();
        return target.isEmpty() ? ErrorNotRegular : 0;
    }
    return S_ISREG(st.st_mode) ? 0 : ErrorNotRegular;
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
    case EDQUOT:
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
    struct stat st;
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0;
}

bool TFileSystem::Stat(const QString &path, qint64 &size, QDateTime &modified)
{
    struct stat st;
    if (path.isEmpty() || ::stat(native(path).constData(), &st) != 0) {
        m_lastError = MapErrno(errno);
        return false;
    }
    size = st.st_size;
    modified = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000
                                              + st.st_mtim.tv_nsec / 1000000);
    return true;
}

bool TFileSystem::IsWriteProtected(const QString &path)
{
    struct stat st;
    return ::stat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode)
        && !(st.st_mode & S_IWUSR);
}

bool TFileSystem::RemoveWriteProtection(const QString &path)
{
    const QByteArray p = native(path);
    struct stat st;
    if (::stat(p.constData(), &st) != 0) {
        m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(path));
        return false;
    }
    // Only regular files: a directory named by mistake keeps its bits.
    if (!S_ISREG(st.st_mode)) {
        m_lastError = 5;
        return false;
    }
    if (st.st_mode & S_IWUSR)
        return true;
    if (::chmod(p.constData(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        m_lastError = MapErrno(errno);
        return false;
    }
    return true;
}

int TFileSystem::CreateEmptyFile(const QString &path)
{
    // An empty path has no directory part to create the file in.
    if (path.isEmpty())
        return m_lastError = 3;
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return m_lastError = MapErrno(errno, true);
    ::close(fd);
    return 0;
}

bool TFileSystem::RemoveFile(const QString &path)
{
    if (::unlink(native(path).constData()) != 0) {
        m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(path));
        return false;
    }
    return true;
}

int TFileSystem::ReadWholeFile(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    if (path.isEmpty())
        return m_lastError = 2;
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(path));
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return m_lastError = 5;
    }
    // The size is a hint only: the file is read up to its end, whatever that is.
    qint64 capacity = (::fstat(fd, &st) == 0 && st.st_size > 0) ? st.st_size + 1 : 64 * 1024;
    QByteArray buffer(capacity, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(fd, buffer.data() + total, size_t(buffer.size() - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = MapErrno(errno);
            ::close(fd);
            return m_lastError = code;
        }
        if (n == 0)
            break;
        total += n;
    }
    ::close(fd);
    buffer.truncate(total);
    bytes = std::move(buffer);
    return 0;
}

int TFileSystem::CreateTempFile(const QString &dir, const QString &baseName, QString &tempPath,
                                int &handle)
{
    handle = -1;
    const QByteArray prefix
        = native(dir.isEmpty() ? QStringLiteral(".") : dir) + '/' + tempPrefix(baseName);
    // Mode 0666 lets the umask decide, as for any new file, when there is no
    // old file to take the bits from.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = prefix
            + QByteArray::number(QRandomGenerator::global()->generate() & 0x3FFFFFFF, 36) + ".tmp";
        const int fd = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Nobody else knows the name yet, so the lock is free.
            ::flock(fd, LOCK_EX | LOCK_NB);
            tempPath = QFile::decodeName(candidate);
            handle = fd;
            return 0;
        }
        if (errno != EEXIST)
            return m_lastError = MapErrno(errno, true);
    }
    return m_lastError = 80;
}

void TFileSystem::RemoveStaleTempFiles(const QString &dir, const QString &baseName)
{
    const QByteArray d = native(dir.isEmpty() ? QStringLiteral(".") : dir);
    const QByteArray prefix = tempPrefix(baseName);
    DIR *listing = ::opendir(d.constData());
    if (!listing)
        return;
    const std::time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(listing)) {
        if (!isTempName(QByteArrayView(entry->d_name), prefix))
            continue;
        const QByteArray path = d + '/' + entry->d_name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st;
        // A running write holds the lock; a file just made or just written
        // may be one whose writer has not taken the lock yet or has just
        // closed it before renaming.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= StaleSeconds
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(listing);
}

qint64 TFileSystem::Write(int handle, const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(handle, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_lastError = MapErrno(errno);
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
    while (::fsync(handle) != 0) {
        if (errno != EINTR)
            return m_lastError = MapErrno(errno);
    }
    return 0;
}

int TFileSystem::Close(int handle)
{
    // A failed close may mean lost data (network file systems); EINTR is not
    // retried because the descriptor is gone either way.
    if (::close(handle) != 0 && errno != EINTR)
        return m_lastError = MapErrno(errno);
    return 0;
}

int TFileSystem::CopyPermissions(const QString &from, int handle)
{
    struct stat st;
    if (::stat(native(from).constData(), &st) != 0)
        return 0; // no old file: the new one keeps the umask's bits
    // The owner can only be handed on by a privileged process; elsewhere the
    // file stays the writer's, as any rewritten file would.
    if (::fchown(handle, st.st_uid, st.st_gid) != 0) {
        // not an error
    }
    if (::fchmod(handle, st.st_mode & 07777) != 0)
        return m_lastError = MapErrno(errno);
    return 0;
}

int TFileSystem::Rename(const QString &from, const QString &to)
{
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        return m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(to));
    // Makes the new directory entry durable; a failure here changes nothing
    // about the outcome, the file is already in place.
    const int dirFd = ::open(native(parentOf(to)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

int SafeWriteFile(const QString &path, const QByteArray &bytes)
{
    return SafeWriteFile(path, bytes, nullptr);
}

int SafeWriteFile(const QString &path, const QByteArray &bytes, TSafeWriteStep *failedAt)
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
    if (path.isEmpty())
        return failAt(step, 3);

    ignoreFileSizeSignal();

    // A symbolic link stays a link: the file it points to is replaced.
    QString target;
    if (const int rc = resolveTarget(path, target); rc != 0)
        return failAt(step, rc);

    // A write-protected file is not replaced behind its owner's back.
    if (fs.IsWriteProtected(target))
        return failAt(step, 5);

    const qsizetype slash = target.lastIndexOf(u'/');
    const QString dir = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : target.left(slash));
    const QString baseName = target.mid(slash + 1);
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
    if ((rc = fs.Rename(tempPath, target)) != 0)
        return fail(rc, false);
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
    case 19:
        return QStringLiteral("Datenträger schreibgeschützt");
    case 31:
        return QStringLiteral("Gerät oder System meldet einen Fehler");
    case 32:
        return QStringLiteral("Datei wird von einem anderen Prozess verwendet");
    case 80:
        return QStringLiteral("Datei existiert bereits");
    case 87:
        return QStringLiteral("Text wäre nicht wieder lesbar");
    case 112:
        return QStringLiteral("Datenträger voll");
    case 161:
        return QStringLiteral("kein regulärer Pfad");
    case 206:
        return QStringLiteral("Name zu lang");
    case 223:
        return QStringLiteral("Datei zu groß");
    case 1113:
        return QStringLiteral("Zeichen im Windows-Zeichensatz nicht darstellbar");
    case 1117:
        return QStringLiteral("Ein-/Ausgabefehler");
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
