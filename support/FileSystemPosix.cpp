// The file-system calls on POSIX systems. Error codes are errno values mapped
// to Windows-style codes (MapErrno); a handle is a file descriptor.

#include "FileSystem.h"
#include "FileSystemPlatform.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <new>

using namespace FileSystemDetail;

namespace {

QByteArray native(const QString &path)
{
    return EncodeFileName(path);
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

// The longest file name the file systems take, in bytes.
constexpr qsizetype MaxNameBytes = 255;
// A named temporary file is created without any permission bit and gets
// them once its writer holds the lock; such a file is taken for a leftover
// only when it has stayed so for this long.
constexpr int UnlockedBirthSeconds = 5;

// "." + the encoded base name, cut at a character boundary so that a
// temporary name made from it stays within MaxNameBytes.
QByteArray tempPrefix(const QString &baseName)
{
    QByteArray base = EncodeFileName(baseName);
    const qsizetype room = MaxNameBytes - TempNameExtra;
    if (base.size() > room) {
        qsizetype cut = room;
        // Never end inside a UTF-8 sequence: back up to the start of one.
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut);
    }
    return '.' + base + TempMark;
}

bool isTempName(QByteArrayView name, QByteArrayView prefix)
{
    if (!name.startsWith(prefix) || !name.endsWith(".tmp"))
        return false;
    const QByteArrayView random = name.sliced(prefix.size(), name.size() - prefix.size() - 4);
    if (random.size() != RandomChars)
        return false;
    return std::all_of(
        random.begin(), random.end(), [](char c) { return IsRandomChar(char16_t(c)); });
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
        char *real = ::realpath(p.constData(), nullptr);
        if (!real)
            return ErrorNotRegular;
        target = DecodeFileName(QByteArray(real));
        ::free(real);
        return 0;
    }
    return S_ISREG(st.st_mode) ? 0 : ErrorNotRegular;
}

} // namespace

int FileSystemDetail::PrepareSafeWriteTarget(
    const QString &path, QString &target, QString &dir, QString &baseName)
{
    ignoreFileSizeSignal();
    if (const int rc = resolveTarget(path, target); rc != 0)
        return rc;
    const qsizetype slash = target.lastIndexOf(u'/');
    dir = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : target.left(slash));
    baseName = target.mid(slash + 1);
    return 0;
}

bool TFileSystem::Exists(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0;
}

int TFileSystem::CheckFolder(const QString &path)
{
    const QByteArray p = native(path);
    struct stat st;
    if (path.isEmpty() || ::stat(p.constData(), &st) != 0)
        return m_lastError = (path.isEmpty() || errno == ENOENT) ? 2 : MapErrno(errno);
    if (!S_ISDIR(st.st_mode))
        return m_lastError = 267;
    if (::faccessat(AT_FDCWD, p.constData(), R_OK | X_OK, AT_EACCESS) != 0)
        return m_lastError = MapErrno(errno);
    return 0;
}

bool TFileSystem::Stat(const QString &path, qint64 &size, QDateTime &modified)
{
    struct stat st;
    if (path.isEmpty() || ::stat(native(path).constData(), &st) != 0) {
        m_lastError = MapErrno(errno);
        return false;
    }
    size = st.st_size;
    modified = QDateTime::fromMSecsSinceEpoch(
        qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
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

namespace {

// 0 for a regular file of at most MaxFileBytes, else the code that refuses it.
int readableKind(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        return 5;
    if (!S_ISREG(st.st_mode))
        return ErrorNotRegular;
    return st.st_size > MaxFileBytes ? ErrorTooLarge : 0;
}

} // namespace

int TFileSystem::ReadWholeFile(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    if (path.isEmpty())
        return m_lastError = 2;
    const QByteArray p = native(path);
    // A FIFO or a device is refused before it is opened: opening a FIFO
    // waits for a writer. O_NONBLOCK guards against one put in its place
    // meanwhile, and the check is made again on what was opened.
    struct stat st;
    if (::stat(p.constData(), &st) != 0)
        return m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(path));
    if (const int code = readableKind(st); code != 0)
        return m_lastError = code;
    const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return m_lastError = MapErrno(errno, errno == ENOENT && directoryMissing(path));
    if (::fstat(fd, &st) != 0 || readableKind(st) != 0) {
        const int code = readableKind(st);
        ::close(fd);
        return m_lastError = code != 0 ? code : ErrorGeneral;
    }
    const int code = ReadToEnd(st.st_size, bytes, [fd](char *dst, qint64 max) -> qint64 {
        for (;;) {
            const ssize_t n = ::read(fd, dst, size_t(max));
            if (n >= 0)
                return n;
            if (errno != EINTR)
                return -MapErrno(errno);
        }
    });
    ::close(fd);
    return code == 0 ? 0 : (m_lastError = code);
}

int TFileSystem::CheckWriteAccess(const QString &path)
{
    // The effective ids decide, as for the opening the check stands for.
    if (::faccessat(AT_FDCWD, native(path).constData(), W_OK, AT_EACCESS) == 0)
        return 0;
    switch (errno) {
    case EACCES:
    case EPERM:
    case EROFS:
        return m_lastError = MapErrno(errno);
    default:
        return 0; // nothing there, or a failure the write itself will meet
    }
}

int TFileSystem::CreateTempFile(
    const QString &dir, const QString &baseName, QString &tempPath, int &handle)
{
    handle = -1;
    tempPath.clear();
    const QByteArray d = native(dir.isEmpty() ? QStringLiteral(".") : dir);
#ifdef O_TMPFILE
    // No name until the file is complete; file systems without the feature
    // refuse it, and the named way below is taken.
    if (const int fd = ::open(d.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); fd >= 0) {
        ::flock(fd, LOCK_EX | LOCK_NB);
        handle = fd;
        return 0;
    }
#endif
    const QByteArray prefix = d + '/' + tempPrefix(baseName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = prefix + RandomPart() + ".tmp";
        // Born without permission bits: a cleaner leaves such a file alone,
        // so it cannot be taken between its creation and its locking.
        const int fd = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            if (::fchmod(fd, 0600) != 0) {
                const int code = MapErrno(errno);
                ::unlink(candidate.constData());
                ::close(fd);
                return m_lastError = code;
            }
            tempPath = DecodeFileName(candidate);
            handle = fd;
            return 0;
        }
        if (errno != EEXIST)
            return m_lastError = MapErrno(errno, true);
    }
    return m_lastError = 80;
}

int TFileSystem::NameTempFile(
    int handle, const QString &dir, const QString &baseName, QString &tempPath)
{
    if (!tempPath.isEmpty())
        return 0;
    const QByteArray prefix
        = native(dir.isEmpty() ? QStringLiteral(".") : dir) + '/' + tempPrefix(baseName);
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(handle);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = prefix + RandomPart() + ".tmp";
        // linkat cannot replace an existing name, so the file gets a marked
        // name of its own first and is renamed over the target afterwards.
        int rc = ::linkat(
            AT_FDCWD, self.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW);
#ifdef AT_EMPTY_PATH
        if (rc != 0 && errno == ENOENT) // no /proc
            rc = ::linkat(handle, "", AT_FDCWD, candidate.constData(), AT_EMPTY_PATH);
#endif
        if (rc == 0) {
            tempPath = DecodeFileName(candidate);
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
    const uid_t me = ::geteuid();
    while (const dirent *entry = ::readdir(listing)) {
        if (!isTempName(QByteArrayView(entry->d_name), prefix))
            continue;
        const QByteArray path = d + '/' + entry->d_name;
        struct stat st;
        // Only the user's own regular files; a link is never followed.
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != me)
            continue;
        // A file without permission bits may be one whose writer has not
        // taken the lock yet.
        if ((st.st_mode & 07777) == 0 && now - st.st_ctime < UnlockedBirthSeconds)
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        // A running write holds the lock until its file is renamed.
        struct stat opened;
        if (::fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && opened.st_dev == st.st_dev
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

namespace {

// The bits of a new file: 0666 less the umask. The umask can only be read by
// setting it; nothing else of this program creates files meanwhile.
mode_t newFileMode()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Copies the extended attributes of `from` (the ACLs among them) onto the
// open file; the names of those that could not be set go to notKept.
void copyAttributes(const QByteArray &from, int handle, QStringList &notKept)
{
    // The names as a list: from the old file, or from the open one.
    auto namesOf = [](auto list) {
        QByteArray names;
        ssize_t size = list(nullptr, 0);
        if (size > 0) {
            names.resize(size);
            size = list(names.data(), size_t(names.size()));
        }
        names.truncate(std::max<ssize_t>(size, 0));
        QList<QByteArray> out = names.split('\0');
        out.removeAll(QByteArray());
        return out;
    };
    const QList<QByteArray> names = namesOf(
        [&](char *list, size_t size) { return ::listxattr(from.constData(), list, size); });
    // An access list the new file got from the folder's default list, which
    // the old file did not have, goes; so do user attributes it did not have.
    const QList<QByteArray> given
        = namesOf([&](char *list, size_t size) { return ::flistxattr(handle, list, size); });
    for (const QByteArray &name : given)
        if (!names.contains(name)
            && (name == "system.posix_acl_access" || name.startsWith("user.")))
            ::fremovexattr(handle, name.constData());
    for (const QByteArray &name : names) {
        bool kept = false;
        const ssize_t valueSize = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        if (valueSize >= 0) {
            QByteArray value(valueSize, Qt::Uninitialized);
            const ssize_t got = ::getxattr(
                from.constData(), name.constData(), value.data(), size_t(value.size()));
            if (got >= 0) {
                value.truncate(got);
                // One the new file already has (given by the system) counts as kept.
                QByteArray current(got, Qt::Uninitialized);
                kept = ::fgetxattr(handle, name.constData(), current.data(), size_t(current.size()))
                        == got
                    && current == value;
                if (!kept)
                    kept = ::fsetxattr(
                               handle, name.constData(), value.constData(), size_t(value.size()), 0)
                        == 0;
            }
        }
        if (!kept)
            notKept.append(name == "system.posix_acl_access" ? QStringLiteral("Zugriffsliste (ACL)")
                                                             : QString::fromUtf8(name));
    }
}

} // namespace

int TFileSystem::CopyPermissions(const QString &from, int handle, QStringList &notKept)
{
    const QByteArray f = native(from);
    struct stat st;
    if (::stat(f.constData(), &st) != 0) {
        // No old file: the bits any new file gets.
        if (::fchmod(handle, newFileMode()) != 0)
            return m_lastError = MapErrno(errno);
        return 0;
    }
    // The owner can only be handed on by a privileged process; elsewhere the
    // file becomes the writer's, as any rewritten file would. The group is
    // kept where the writer belongs to it.
    if (::fchown(handle, st.st_uid, st.st_gid) != 0)
        ::fchown(handle, uid_t(-1), st.st_gid);
    struct stat now;
    if (::fstat(handle, &now) == 0) {
        if (now.st_uid != st.st_uid)
            notKept.append(QStringLiteral("Eigentümer"));
        if (now.st_gid != st.st_gid)
            notKept.append(QStringLiteral("Gruppe"));
    }
    // After the owner, which clears the set-id bits.
    if (::fchmod(handle, st.st_mode & 07777) != 0)
        return m_lastError = MapErrno(errno);
    copyAttributes(f, handle, notKept);
    // An access list set or removed above may have changed the bits.
    struct stat after;
    if (::fstat(handle, &after) == 0 && (after.st_mode & 07777) != (st.st_mode & 07777)
        && ::fchmod(handle, st.st_mode & 07777) != 0)
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

QString AbsoluteFilePath(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    char *cwd = ::getcwd(nullptr, 0);
    const QString base = cwd ? DecodeFileName(QByteArray(cwd)) : QStringLiteral("/");
    ::free(cwd);
    return QDir::cleanPath(base + u'/' + path);
}
