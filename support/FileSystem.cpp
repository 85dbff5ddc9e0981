// The platform-neutral part of the file layer: the installed instance, the
// steps of a safe write through the seam, file names and error texts.

#include "FileSystem.h"
#include "FileSystemPlatform.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <new>

using namespace FileSystemDetail;

namespace {

TFileSystem *&installed()
{
    static TFileSystem *fs = nullptr;
    return fs;
}

// The length of the valid UTF-8 sequence at s[i], or 0.
int utf8SequenceAt(const QByteArray &s, qsizetype i)
{
    const auto byte = [&](qsizetype k) {
        return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u;
    };
    const unsigned b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    const auto cont = [&](qsizetype k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        const unsigned b = byte(k);
        return b >= lo && b <= hi;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return cont(i + 1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        // No overlong forms, no surrogates.
        const unsigned lo = b0 == 0xE0 ? 0xA0 : 0x80, hi = b0 == 0xED ? 0x9F : 0xBF;
        return cont(i + 1, lo, hi) && cont(i + 2) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const unsigned lo = b0 == 0xF0 ? 0x90 : 0x80, hi = b0 == 0xF4 ? 0x8F : 0xBF;
        return cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    }
    return 0;
}

} // namespace

QByteArray FileSystemDetail::RandomPart()
{
    quint64 n = QRandomGenerator::global()->generate64();
    QByteArray out(RandomChars, '0');
    for (qsizetype i = 0; i < RandomChars; ++i, n /= 36)
        out[i] = "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    return out;
}

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
#ifdef EDQUOT
    case EDQUOT:
#endif
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

int SafeWriteFile(const QString &path, const QByteArray &bytes)
{
    return SafeWriteFile(path, bytes, nullptr);
}

int SafeWriteFile(
    const QString &path, const QByteArray &bytes, TSafeWriteStep *failedAt, QStringList *notKept)
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
    QString target, dir, baseName;
    if (const int rc = PrepareSafeWriteTarget(path, target, dir, baseName); rc != 0)
        return failAt(step, rc);

    // A write-protected file is not replaced behind its owner's back, nor a
    // file the user may not write: replacing goes through the folder's
    // permissions, which would let any user who may write the folder take
    // another user's file.
    if (fs.IsWriteProtected(target))
        return failAt(step, 5);
    if (const int rc = fs.CheckWriteAccess(target); rc != 0)
        return failAt(step, rc);

    const bool hadTarget = fs.Exists(target);
    fs.RemoveStaleTempFiles(dir, baseName);

    QString tempPath;
    int handle = -1;
    int rc = fs.CreateTempFile(dir, baseName, tempPath, handle);
    if (rc != 0)
        return failAt(step, rc);

    // The name goes before the handle, so that the lock is held throughout
    // (a file without a name goes with its handle).
    auto fail = [&](int code, bool closeHandle) {
        if (!tempPath.isEmpty())
            fs.RemoveFile(tempPath);
        if (closeHandle)
            fs.Close(handle);
        return failAt(step, code != 0 ? code : ErrorGeneral);
    };
    auto lastErrorOr = [&](int fallback) {
        const int e = fs.LastError();
        return e != 0 ? e : fallback;
    };

    // Memory that runs out on the way (a file system of a test, the list of
    // what was not kept) ends the write like any failure.
    try {
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
        QStringList lost;
        if ((rc = fs.CopyPermissions(target, handle, lost)) != 0)
            return fail(rc, true);
        step = TSafeWriteStep::Sync;
        if ((rc = fs.Sync(handle)) != 0)
            return fail(rc, true);
        step = TSafeWriteStep::Rename;
        if ((rc = fs.NameTempFile(handle, dir, baseName, tempPath)) != 0)
            return fail(rc, true);
        if ((rc = fs.Rename(tempPath, target)) != 0) {
            // A replacement that failed after the old file was put aside
            // (ReplaceFileW's 1176) leaves the complete new file as the only
            // copy: it stays.
            if (hadTarget && !tempPath.isEmpty() && !fs.Exists(target) && fs.Exists(tempPath)) {
                fs.Close(handle);
                return failAt(step, rc);
            }
            return fail(rc, true);
        }
        // The lock goes only now that the file is in place, so that no cleaner
        // takes a finished file for a leftover (on Windows it went just before
        // the replacement, which needs the file unshared). The data were
        // synced: a failing close loses nothing, and the file is in place
        // either way.
        fs.Close(handle);
        if (notKept)
            *notKept = lost;
        return 0;
    } catch (const std::bad_alloc &) {
        return fail(ErrorOutOfMemory, true);
    }
}

QString DecodeFileName(const QByteArray &name)
{
    QString out;
    out.reserve(name.size());
    qsizetype runStart = 0, i = 0;
    while (i < name.size()) {
        const int n = utf8SequenceAt(name, i);
        if (n > 0) {
            i += n;
            continue;
        }
        out += QString::fromUtf8(name.constData() + runStart, i - runStart);
        out += QChar(char16_t(0xDC00 + static_cast<unsigned char>(name[i])));
        runStart = ++i;
    }
    out += QString::fromUtf8(name.constData() + runStart, i - runStart);
    return out;
}

QByteArray EncodeFileName(const QString &name)
{
    QByteArray out;
    out.reserve(name.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool lone = c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
        if (!lone)
            continue;
        out += QStringView(name).sliced(runStart, i - runStart).toUtf8();
        out += char(c - 0xDC00);
        runStart = i + 1;
    }
    out += QStringView(name).sliced(runStart).toUtf8();
    return out;
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
        return QStringLiteral("nicht genügend Arbeitsspeicher");
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
        return QStringLiteral("kein Ordner");
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

QString ReadFailureText(const QString &path, int code)
{
    if (code == TooLargeCode)
        return QStringLiteral("Die Datei %1 ist zu groß (mehr als %2 MiB).")
            .arg(path)
            .arg(MaxFileBytes >> 20);
    return QStringLiteral("Die Datei %1 kann nicht gelesen werden.").arg(path) + u'\r'
        + ErrorCodeText(code);
}
