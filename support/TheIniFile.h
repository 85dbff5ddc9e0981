#pragma once

#include "IniDocument.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

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
//    5  write protection that could not be removed (a message was shown)
//   -1  ReadString: missing key; ReadSection: section without keys
//   other positive: the Windows-style error code of a failed trial creation or
//   of a failed write when the file is released (TFileSystem::MapErrno).
//
// The file is read once when opened and kept in memory; changes reach the disk
// in one safe whole-file write when the component releases the file (Open :=
// false, a new IniFileName, AddCommentLine, DeleteIniFile, Release(),
// destruction).
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
    void SetDefFilePath(const QString &path);
    bool Open() const;
    void SetOpen(bool open);

    QString ReadString(const QString &ident, const QString &def);
    void ReadSection(QStringList &strings);
    void WriteString(const QString &ident, const QString &value);
    void EraseSection();
    void AddCommentLine(const QString &text, const QString &prefix);
    bool DeleteIniFile();

    int OpenIniFile();
    QString GetFullFileName() const;

    // Releases the file: writes pending changes in one safe whole-file write.
    // Returns false when that write failed (ErrorCode then holds its code and
    // the file on disk is as it was).
    bool Release();

    // The directory used for loWinDir, ending in "/": the user's configuration
    // directory (QStandardPaths::GenericConfigLocation).
    QString WindowsDir() const;
    QString ProgDir() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
