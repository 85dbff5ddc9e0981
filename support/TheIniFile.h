#pragma once

#include "Cp1252.h"
#include "IniDocument.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// Where the INI file lies.
enum TIniLocation : std::uint8_t {
    loWinDir = 0,  // the per-user system directory (see TTheIniFile::WindowsDir)
    loProgDir = 1, // the directory of the running program
    loUser = 2,    // IniFileName is the complete path
    loDefUser = 3, // DefFilePath + IniFileName
};

// The program's one door to an INI file: resolves where the file lies, makes
// sure it can be written before anything is read or written, keeps one current
// section for all value operations and reports the outcome of every operation
// in ErrorCode instead of raising.
//
// ErrorCode:
//    0  success; the file exists and is writable
//    2  the file does not exist yet (a trial creation succeeded); the first write creates it
//    5  write protection that could not be removed (a message was shown), or a
//       write-protected file that a write would have replaced
//   -1  ReadString: missing key; ReadSection: section without keys
//   87  WriteString or AddCommentLine: text that would not read back as
//       written (CR or LF in it; a key containing "=" or starting with ";" or
//       "["); nothing was written
// 1113  WriteString or AddCommentLine: a character Windows-1252 cannot hold;
//       nothing was written
//   other positive: the Windows-style error code of a failed trial creation or
//   read, or of a failed write when the file is released (TFileSystem::MapErrno).
// AddCommentLine reports a failed append (87, 1113 or the write's code) only
// when the opening that follows it succeeded; otherwise the opening's code.
//
// An operation that needs the file (ReadString, ReadSection, WriteString,
// EraseSection) runs only when Section and IniFileName are set, Open is true
// and the file was opened successfully; otherwise it shows "Bitte Dateiname
// angeben." and does nothing else.
//
// The file is read once when opened and kept in memory; changes reach the disk
// in one safe whole-file write when the component releases the file (Open :=
// false, a new IniFileName, AddCommentLine, DeleteIniFile, OpenIniFile,
// Release(), destruction). When that write fails the file on disk stays as it
// was, ErrorCode holds the code and the changed document is kept aside: every
// later release or opening writes it first and stops there while it still
// fails (see HasUnsavedChanges, DiscardChanges). At destruction a failed write
// cannot be reported: callers who must know call Release() first.
class TTheIniFile
{
public:
    TTheIniFile();
    ~TTheIniFile();
    TTheIniFile(const TTheIniFile &) = delete;
    TTheIniFile &operator=(const TTheIniFile &) = delete;

    QString IniFileName() const;
    void SetIniFileName(const QString &name);
    QString Section() const;
    void SetSection(const QString &section);
    TIniLocation IniLocation() const;
    void SetIniLocation(TIniLocation location);
    int ErrorCode() const;
    void SetErrorCode(int code);
    QString DefFilePath() const;
    // Appends "/" when missing; an empty path stays empty, so that loDefUser
    // then takes IniFileName as it stands, like loUser.
    void SetDefFilePath(const QString &path);
    bool Open() const;
    void SetOpen(bool open);
    // A component for reading only: opening reads the file as it is (a
    // missing or unreadable file is that failure's code), drops no write
    // protection and makes no trial file; writes are refused with 5 and
    // nothing ever reaches the disk. Off by default.
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

    QString ReadString(const QString &ident, const QString &def);
    void ReadSection(QStringList &strings);
    // The same, listing at most `limit` names (the first in file order).
    void ReadSection(QStringList &strings, qsizetype limit);
    // The number of names ReadSection lists for Section, without listing
    // them; ErrorCode as ReadSection leaves it.
    qsizetype KeyCount();
    // Calls visit(value) for the first `limit` key names of Section in file
    // order (every one when `limit` is negative), one at a time, with the
    // value ReadString gives for the name, or the empty text where ReadString
    // finds none; for sections too large to list. ErrorCode as ReadSection
    // leaves it. The component must not be changed while it runs.
    void ForEachValue(const std::function<void(const QString &)> &visit, qsizetype limit = -1);
    // The same visit with the bytes of each value (no bytes where
    // ForEachValue gives the empty text), for readers of Windows-1252 bytes;
    // the views are valid during the visit. Returns false, visiting nothing
    // and leaving everything as it was, when the document was read from a
    // Unicode file (ByteOrderMark() not None): its values are no
    // Windows-1252 bytes, ForEachValue reads them.
    template<typename Visit> bool ForEachRawValue(Visit visit, qsizetype limit = -1)
    {
        if (IsUnicode())
            return false;
        visitValueBytes(visit, limit);
        return true;
    }
    // ReadString for an ident given as Windows-1252 bytes, giving the bytes
    // of the value; nothing where ReadString gives `def`. ErrorCode as
    // ReadString sets it. The view is valid until the next change. For a
    // document read from a Unicode file, nothing, with ErrorCode -1.
    std::optional<QByteArrayView> ReadRawString(QByteArrayView ident);
    void WriteString(const QString &ident, const QString &value);
    void EraseSection();
    void AddCommentLine(const QString &text, const QString &prefix);
    bool DeleteIniFile();

    int OpenIniFile();
    // The checks of OpenIniFile without reading the file: drops a write
    // protection (or shows why it cannot) and, for a missing file, tries
    // whether the directory takes a new one. ErrorCode as after opening; the
    // component stays closed. For callers that replace the file whole.
    int CheckWritable();
    QString GetFullFileName() const;

    // Releases the file: writes pending changes in one safe whole-file write
    // and closes the document (Open keeps its value; value operations then wait
    // for the next opening). Returns false when that write failed (ErrorCode
    // then holds its code, the file on disk is as it was and the changes are
    // kept for the next try).
    bool Release();
    // True while changes whose write failed are waiting for the next Release().
    bool HasUnsavedChanges() const;
    // Drops the open document and any changes kept after a failed write,
    // without writing anything.
    void DiscardChanges();
    // The byte order mark of the file last opened (None for a Windows-1252
    // file). A file with one is read as the Unicode text it is; names and
    // values are then compared and returned as that text. Changes to such a
    // file are written in Windows-1252; when a character has no byte there,
    // Release() fails with 1113 and the changes are dropped.
    Cp1252::TByteOrderMark ByteOrderMark() const;
    // A section name as the open document matches it (letter case folded,
    // blanks and tabs at the ends dropped); empty when it cannot occur in the
    // document. Two names name one section when these are equal.
    QByteArray SectionIdentity(const QString &section) const;
    // True while a document is open (after a successful opening, until released).
    bool IsDocumentOpen() const;

    // The directory used for loWinDir, ending in "/": the user's configuration
    // directory (QStandardPaths::GenericConfigLocation), taken at construction.
    QString WindowsDir() const;
    // The directory of the running program (ProgramDir()), ending in "/",
    // taken at construction.
    QString ProgDir() const;
    // Points loProgDir at another folder (the folder of the provider files
    // chosen after the component was made); takes effect from the next Open.
    void SetProgDir(const QString &dir);

private:
    // True when the document was read from a Unicode file.
    bool IsUnicode() const { return ByteOrderMark() != Cp1252::TByteOrderMark::None; }
    // What ForEachValue and ForEachRawValue share: visit(bytes) for the
    // values of the section in file order (no bytes for the sentinel), the
    // limit, the count and ErrorCode.
    template<typename Visit> void visitValueBytes(Visit visit, qsizetype limit)
    {
        QByteArray section;
        const TIniDocument *doc = nullptr;
        if (!startVisit(doc, section))
            return;
        qsizetype count = 0;
        doc->ForEachValue(section, [&](QByteArrayView value) {
            if (limit >= 0 && count >= limit)
                return false;
            ++count;
            // The sentinel reads as a missing key, as in ReadString.
            visit(isSentinel(value) ? QByteArrayView() : value);
            return true;
        });
        SetErrorCode(count > 0 ? 0 : -1);
    }
    // The start of a visit: the document and the section (kept aside, as a
    // visit may read other keys of it), or false, with ErrorCode set, when
    // there is nothing to visit: -1 for a section that cannot occur, 0 after
    // the message of a component that is not ready.
    bool startVisit(const TIniDocument *&doc, QByteArray &section);
    // The value a missing key and the sentinel share.
    static bool isSentinel(QByteArrayView value) { return value == QByteArrayView("INIERROR"); }
    int checkWritable(const QString &path, bool &exists);
    bool ready() const;
    int appendTextLine(const QString &path, const QString &line);

    struct Private;
    std::unique_ptr<Private> d;
};
