#include "FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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
        return 1921;
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
    const QString prefix = (dir.isEmpty() ? QStringLiteral(".") : dir) + QStringLiteral("/.") + baseName + u'.';
    // Mode 0666 lets the umask decide, as for any new file, when there is no
    // old file to take the bits from.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = prefix + QString::number(QRandomGenerator::global()->generate(), 36)
            + QStringLiteral(".tmp");
        const int fd = ::open(native(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            tempPath = candidate;
            handle = fd;
            return 0;
        }
        if (errno != EEXIST)
            return m_lastError = MapErrno(errno, true);
    }
    return m_lastError = 80;
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

    // A symbolic link stays a link: the file it points to is replaced.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        target = canonical.isEmpty() ? info.symLinkTarget() : canonical;
    }

    // A write-protected file is not replaced behind its owner's back.
    if (fs.IsWriteProtected(target))
        return failAt(step, 5);

    const qsizetype slash = target.lastIndexOf(u'/');
    const QString dir = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : target.left(slash));
    const QString baseName = target.mid(slash + 1);

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
