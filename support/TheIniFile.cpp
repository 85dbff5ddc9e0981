#include "TheIniFile.h"

#include "Cp1252.h"
#include "FileSystem.h"
#include "MsgBox.h"
#include "TextHelpers.h"

#include <QStandardPaths>
#include <QVarLengthArray>

#include <optional>

namespace {

constexpr int ErrorNoMapping = 1113;
constexpr int ErrorInvalidParameter = 87;

using ByteBuffer = QVarLengthArray<char, 128>;

// Windows-1252 bytes of a text into a stack buffer (UTF-8 for a document read
// from a Unicode file); false when a character has none.
bool toBytes(const QString &text, ByteBuffer &out, bool utf8 = false)
{
    if (utf8) {
        const QByteArray bytes = text.toUtf8();
        out.resize(bytes.size());
        std::copy(bytes.begin(), bytes.end(), out.begin());
        return true;
    }
    out.resize(text.size());
    return Cp1252::encodeTo(text, out.data());
}

QByteArrayView view(const ByteBuffer &b)
{
    return QByteArrayView(b.constData(), b.size());
}

void ShowNoFileName()
{
    ShowPlainMessage(QStringLiteral("Bitte Dateiname angeben."));
}

QString withSlash(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir.append(u'/');
    return dir;
}

} // namespace

struct TTheIniFile::Private
{
    QString iniFileName;
    QString fullFileName;
    QString section;
    QByteArray sectionBytes;
    bool sectionEncodable = true;
    QString defFilePath;
    QString windowsDir;
    QString progDir;
    TIniLocation location = loWinDir;
    int errorCode = 0;
    bool open = false;
    bool readOnly = false;

    // The open document, read from fullFileName; its names and values are
    // UTF-8 when the file had a byte order mark.
    std::optional<TIniDocument> doc;
    Cp1252::TByteOrderMark mark = Cp1252::TByteOrderMark::None;
    bool utf8() const { return mark != Cp1252::TByteOrderMark::None; }
    TIniDocument::TNames names() const
    {
        return utf8() ? TIniDocument::TNames::Utf8 : TIniDocument::TNames::Windows1252;
    }
    QString decode(QByteArrayView v) const
    {
        return utf8() ? QString::fromUtf8(v) : Cp1252::decode(v.data(), v.size());
    }
    // A document whose write failed when it was released, with its changes,
    // until a later Release() writes it or DiscardChanges() drops it.
    std::optional<QByteArray> unsaved;
    QString unsavedPath;
};

TTheIniFile::TTheIniFile() : d(std::make_unique<Private>())
{
    d->windowsDir = withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    d->progDir = withSlash(ProgramDir());
}

TTheIniFile::~TTheIniFile()
{
    // Nobody is left to hear of a failed write here; callers who must know
    // call Release() first.
    Release();
}

QString TTheIniFile::IniFileName() const { return d->iniFileName; }

void TTheIniFile::SetIniFileName(const QString &name)
{
    if (d->open)
        SetOpen(false);
    d->iniFileName = name;
}

QString TTheIniFile::Section() const { return d->section; }

void TTheIniFile::SetSection(const QString &section)
{
    d->section = section;
    bool ok = true;
    d->sectionBytes = d->utf8() ? section.toUtf8() : Cp1252::encode(section, &ok);
    d->sectionEncodable = ok;
}

Cp1252::TByteOrderMark TTheIniFile::ByteOrderMark() const
{
    return d->mark;
}

QByteArray TTheIniFile::SectionIdentity(const QString &section) const
{
    bool ok = true;
    const QByteArray bytes = d->utf8() ? section.toUtf8() : Cp1252::encode(section, &ok);
    return ok ? TIniDocument::FoldedName(bytes, d->names()) : QByteArray();
}

TIniLocation TTheIniFile::IniLocation() const { return d->location; }
void TTheIniFile::SetIniLocation(TIniLocation location) { d->location = location; }
int TTheIniFile::ErrorCode() const { return d->errorCode; }
void TTheIniFile::SetErrorCode(int code) { d->errorCode = code; }
QString TTheIniFile::DefFilePath() const { return d->defFilePath; }
void TTheIniFile::SetDefFilePath(const QString &path) { d->defFilePath = withSlash(path); }
bool TTheIniFile::Open() const { return d->open; }
bool TTheIniFile::ReadOnly() const
{
    return d->readOnly;
}
void TTheIniFile::SetReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}
QString TTheIniFile::WindowsDir() const { return d->windowsDir; }
QString TTheIniFile::ProgDir() const { return d->progDir; }

void TTheIniFile::SetProgDir(const QString &dir)
{
    d->progDir = withSlash(dir);
}
bool TTheIniFile::IsDocumentOpen() const { return d->doc.has_value(); }
bool TTheIniFile::HasUnsavedChanges() const { return d->unsaved.has_value(); }

void TTheIniFile::SetOpen(bool open)
{
    d->open = open;
    if (open)
        OpenIniFile(); // releases the previous document first
    else
        Release();
}

bool TTheIniFile::ready() const
{
    return d->open && d->doc && !d->section.isEmpty() && !d->iniFileName.isEmpty();
}

QString TTheIniFile::ReadString(const QString &ident, const QString &def)
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return def;
    }
    if (ident.isEmpty())
        return QString();
    ByteBuffer key;
    std::optional<QByteArrayView> value;
    if (d->sectionEncodable && toBytes(ident, key, d->utf8()))
        value = d->doc->ValueView(d->sectionBytes, view(key));
    // A missing key and a key holding the sentinel itself look alike, as they
    // do to the Windows call that reads with the sentinel as default.
    if (!value || isSentinel(*value)) {
        d->errorCode = -1;
        return def;
    }
    return d->decode(*value);
}

void TTheIniFile::ReadSection(QStringList &strings)
{
    ReadSection(strings, -1);
}

void TTheIniFile::ReadSection(QStringList &strings, qsizetype limit)
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return;
    }
    strings.clear();
    if (d->sectionEncodable)
        d->doc->ForEachKey(d->sectionBytes, [&](QByteArrayView k) {
            if (limit >= 0 && strings.size() >= limit)
                return false;
            strings.append(d->decode(k));
            return true;
        });
    if (strings.isEmpty())
        d->errorCode = -1;
}

qsizetype TTheIniFile::KeyCount()
{
    const TIniDocument *doc = nullptr;
    QByteArray section;
    if (!startVisit(doc, section))
        return 0;
    const qsizetype count = doc->KeyCount(section);
    d->errorCode = count > 0 ? 0 : -1;
    return count;
}

void TTheIniFile::ForEachValue(const std::function<void(const QString &)> &visit, qsizetype limit)
{
    // One text for all values: most are short, and its memory is reused.
    QString text;
    visitValueBytes(
        [&](QByteArrayView value) {
            if (value.isEmpty())
                text.resize(0);
            else if (d->utf8())
                text = QString::fromUtf8(value);
            else
                Cp1252::decodeInto(value.data(), value.size(), text);
            visit(text);
        },
        limit);
}

std::optional<QByteArrayView> TTheIniFile::ReadRawString(QByteArrayView ident)
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return std::nullopt;
    }
    if (ident.isEmpty() && !d->utf8())
        return QByteArrayView();
    std::optional<QByteArrayView> value;
    if (d->sectionEncodable && !d->utf8())
        value = d->doc->ValueView(d->sectionBytes, ident);
    if (!value || isSentinel(*value)) {
        d->errorCode = -1;
        return std::nullopt;
    }
    return value;
}

bool TTheIniFile::startVisit(const TIniDocument *&doc, QByteArray &section)
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return false;
    }
    if (!d->sectionEncodable) {
        d->errorCode = -1;
        return false;
    }
    doc = &*d->doc;
    section = d->sectionBytes;
    return true;
}

void TTheIniFile::WriteString(const QString &ident, const QString &value)
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return;
    }
    if (ident.isEmpty())
        return;
    if (d->readOnly) {
        d->errorCode = 5;
        return;
    }
    ByteBuffer key, bytes;
    if (!d->sectionEncodable || !toBytes(ident, key, d->utf8())
        || !toBytes(value, bytes, d->utf8())) {
        d->errorCode = ErrorNoMapping;
        return;
    }
    if (!d->doc->SetValue(d->sectionBytes, view(key), view(bytes)))
        d->errorCode = ErrorInvalidParameter;
}

void TTheIniFile::EraseSection()
{
    d->errorCode = 0;
    if (!ready()) {
        ShowNoFileName();
        return;
    }
    if (d->readOnly)
        d->errorCode = 5;
    else if (d->sectionEncodable)
        d->doc->EraseSection(d->sectionBytes);
}

int TTheIniFile::appendTextLine(const QString &path, const QString &line)
{
    bool ok = true;
    const QByteArray encoded = Cp1252::encode(line, &ok);
    if (!ok)
        return ErrorNoMapping;
    if (encoded.contains('\r') || encoded.contains('\n'))
        return ErrorInvalidParameter;

    TFileSystem &fs = TFileSystem::Instance();
    fs.RemoveWriteProtection(path);
    QByteArray bytes;
    const int rc = fs.ReadWholeFile(path, bytes);
    if (rc != 0 && rc != 2)
        return rc;
    // A last line without its line end keeps its own line.
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        bytes.append("\r\n");
    bytes.append(encoded);
    bytes.append("\r\n");
    return SafeWriteFile(path, bytes);
}

void TTheIniFile::AddCommentLine(const QString &text, const QString &prefix)
{
    d->errorCode = 0;
    if (d->iniFileName.isEmpty()) {
        ShowNoFileName();
        return;
    }
    if (d->readOnly) {
        d->errorCode = 5;
        return;
    }
    const QString path = GetFullFileName();
    if (!Release())
        return;
    const int textResult = appendTextLine(path, (prefix.isEmpty() ? QStringLiteral(";") : prefix) + text);
    OpenIniFile();
    if (textResult != 0 && (d->errorCode == 0 || d->errorCode == 2))
        d->errorCode = textResult;
}

bool TTheIniFile::DeleteIniFile()
{
    if (d->readOnly) {
        d->errorCode = 5;
        return false;
    }
    if (!Release())
        return false;
    TFileSystem &fs = TFileSystem::Instance();
    const QString path = GetFullFileName();
    bool result = true;
    if (fs.Exists(path))
        result = fs.RemoveFile(path);
    OpenIniFile();
    return result;
}

int TTheIniFile::OpenIniFile()
{
    d->errorCode = 0;
    // The document of an earlier opening goes first, with its changes; when
    // they cannot be written nothing else happens.
    if (!Release())
        return d->errorCode;

    const QString path = GetFullFileName();
    bool exists = true;
    if (!d->readOnly) {
        if (const int rc = checkWritable(path, exists); rc != 0)
            return rc;
    }
    QByteArray bytes;
    if (exists) {
        if (const int rc = TFileSystem::Instance().ReadWholeFile(path, bytes); rc != 0) {
            d->errorCode = rc;
            return rc;
        }
    }
    d->fullFileName = path;
    d->mark = Cp1252::DecodeMarkedFile(bytes);
    SetSection(d->section); // in the document's own encoding
    d->doc = TIniDocument::ParseBytes(std::move(bytes), d->names());
    return 0;
}

int TTheIniFile::CheckWritable()
{
    d->errorCode = 0;
    if (!Release())
        return d->errorCode;
    bool exists = false;
    return checkWritable(GetFullFileName(), exists);
}

// The checks of an opening: drops a write protection (or says why it cannot)
// and, for a missing file, tries whether the directory takes a new one.
// Returns 0 (ErrorCode 0, or 2 for a missing file) or the failure code.
int TTheIniFile::checkWritable(const QString &path, bool &exists)
{
    TFileSystem &fs = TFileSystem::Instance();
    fs.RemoveWriteProtection(path);
    exists = fs.Exists(path);
    if (exists) {
        if (fs.IsWriteProtected(path) && !fs.RemoveWriteProtection(path)) {
            d->errorCode = 5;
            ShowPlainMessage(QStringLiteral("Kann Schreibschutz von ") + path + QStringLiteral(" nicht entfernen!"));
            return 5;
        }
        return 0;
    }
    // A trial creation tells whether the first write will be able to
    // create the file; the file itself is left to that write.
    d->errorCode = 2;
    const int rc = fs.CreateEmptyFile(path);
    if (rc != 0) {
        d->errorCode = rc;
        return rc;
    }
    fs.RemoveFile(path);
    return 0;
}

QString TTheIniFile::GetFullFileName() const
{
    switch (d->location) {
    case loWinDir:
        return d->windowsDir + d->iniFileName;
    case loProgDir:
        return d->progDir + d->iniFileName;
    case loUser:
        return d->iniFileName;
    case loDefUser:
        return d->defFilePath + d->iniFileName;
    }
    return d->iniFileName;
}

bool TTheIniFile::Release()
{
    if (d->unsaved) {
        const int rc = SafeWriteFile(d->unsavedPath, *d->unsaved);
        if (rc != 0) {
            d->errorCode = rc;
            return false;
        }
        d->unsaved.reset();
    }
    if (!d->doc)
        return true;
    TIniDocument doc = std::move(*d->doc);
    d->doc.reset();
    const bool utf8 = d->utf8();
    d->mark = Cp1252::TByteOrderMark::None;
    SetSection(d->section);
    if (!doc.IsModified())
        return true;
    QByteArray bytes = doc.Serialize();
    if (utf8) {
        // Written back in the format's own code page.
        bool ok = true;
        bytes = Cp1252::encode(QString::fromUtf8(bytes), &ok);
        if (!ok) {
            d->errorCode = ErrorNoMapping;
            return false;
        }
    }
    const int rc = SafeWriteFile(d->fullFileName, bytes);
    if (rc != 0) {
        d->errorCode = rc;
        d->unsaved = std::move(bytes);
        d->unsavedPath = d->fullFileName;
        return false;
    }
    return true;
}

void TTheIniFile::DiscardChanges()
{
    d->unsaved.reset();
    d->doc.reset();
}
