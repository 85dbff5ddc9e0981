#include "ProviderSaver.h"

#include "ProviderFormat.h"
#include "ProviderLoader.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/IniDocument.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QSet>
#include <QVarLengthArray>

#include <charconv>
#include <new>

using namespace ProviderFormat;

namespace {

// Writes into an in-memory profile with the same rules as the INI component,
// so that names that collide (two providers with one key, keys differing only
// in letter case) end up exactly as the profile services would leave them.
class DocumentWriter
{
public:
    explicit DocumentWriter(qsizetype expectedBytes) { m_doc.ReserveForWriting(expectedBytes); }
    void Comment(const QString &text)
    {
        const QString line = CommentPrefix + text;
        if (!m_doc.AppendLine(encode(line)))
            refuse(line);
    }
    // Starts a section, erasing what the document has of it. A section whose
    // idents are known to be distinct (as idents: letter case and blanks
    // around them aside) is written whole, without looking each one up;
    // otherwise each value is set, so that a later value of the same ident
    // replaces an earlier one in its place.
    void Section(const QString &section, bool distinctIdents = false, qsizetype expectedIdents = 24)
    {
        m_whole.reset();
        m_section = encode(section);
        if (distinctIdents)
            m_whole.emplace(m_doc.WriteSection(m_section, expectedIdents));
        else
            m_doc.EraseSection(m_section);
    }
    // The document refuses what would not read back as written (a line break,
    // a key with "=" or starting with ";" or "[").
    void Write(const QString &ident, const QString &value)
    {
        Buffer identBytes, valueBytes;
        if (!encodeInto(ident, identBytes) || !encodeInto(value, valueBytes))
            return;
        if (!WriteBytes(QByteArrayView(identBytes.constData(), identBytes.size()),
                QByteArrayView(valueBytes.constData(), valueBytes.size())))
            refuse(ident + u'=' + value);
    }
    // Bytes already in Windows-1252; false when refused (the caller says
    // which text, so that it is only made then).
    bool WriteBytes(QByteArrayView ident, QByteArrayView value)
    {
        return m_whole ? m_whole->Add(ident, value) : m_doc.SetValue(m_section, ident, value);
    }
    void Refuse(const QString &text) { refuse(text); }
    QByteArray Encode(const QString &text) { return encode(text); }
    bool Ok() const { return m_bad.isNull(); }
    const QString &Bad() const { return m_bad; }
    QByteArray Bytes() const { return m_doc.Serialize(); }

private:
    using Buffer = QVarLengthArray<char, 128>;
    // The bytes of a text on the stack; false (and refused) when a character has none.
    bool encodeInto(const QString &text, Buffer &out)
    {
        out.resize(text.size());
        if (Cp1252::encodeTo(text, out.data()))
            return true;
        refuse(text);
        return false;
    }
    QByteArray encode(const QString &text)
    {
        bool ok = true;
        QByteArray bytes = Cp1252::encode(text, &ok);
        if (!ok)
            refuse(text);
        return bytes;
    }
    void refuse(const QString &text)
    {
        if (m_bad.isNull())
            m_bad = text;
    }

    TIniDocument m_doc;
    QByteArray m_section;
    std::optional<TIniDocument::TSectionWriter> m_whole; // writes m_section whole
    QString m_bad;
};

// For each provider: true when a later provider's key names the same
// sections (the same key, or one differing in letter case). Its day-class and
// range sections would be erased and written anew by that later provider, so
// writing them is skipped: the file comes out the same, in time linear in the
// model, however many providers share a key.
QList<bool> shadowedProviders(
    const TProviderData &data, const QList<std::optional<QByteArray>> &keys)
{
    const QByteArray suffix = Cp1252::encode(SecFreeHoursRange);
    QList<bool> shadowed(data.Count(), false);
    QSet<QByteArray> later;
    for (int i = data.Count() - 1; i >= 0; --i) {
        if (!keys[i])
            continue; // refused by the writer anyway
        const QByteArray section = TIniDocument::FoldedName(*keys[i] + suffix);
        shadowed[i] = later.contains(section);
        later.insert(section);
    }
    return shadowed;
}

// A provider key's bytes followed by an index: the idents of its entries and
// free-hours ranges.
class IndexedIdents
{
public:
    explicit IndexedIdents(const QByteArray &key)
        : m_text(key.constBegin(), key.constEnd())
    { }
    QByteArrayView operator()(qsizetype index)
    {
        char digits[24];
        m_text.resize(m_keyLength);
        m_text.append(digits, std::to_chars(digits, digits + sizeof digits, index).ptr - digits);
        return QByteArrayView(m_text.constData(), m_text.size());
    }

private:
    QVarLengthArray<char, 128> m_text;
    const qsizetype m_keyLength = m_text.size();
};

// What the day-class and range writers share: each key's bytes (none when it
// has none), which providers a later one replaces, and the byte of the time
// separator (-1 when it has none).
struct KeyedSections
{
    QList<std::optional<QByteArray>> keys;
    QList<bool> shadowed;
    int sepByte = -1;
};

void writeDayClass(
    DocumentWriter &w, const TProviderData &data, TDayClass dayClass, const KeyedSections &k)
{
    // The entries are most of the file: their idents and values are formed
    // as bytes directly.
    if (k.sepByte < 0) {
        w.Refuse(QString(TLocaleSettings::Current().TimeSeparator)); // refuses the whole file
        return;
    }
    // Each section is written whole: its idents (key and index) are distinct.
    char value[MaxEntryValueBytes];
    for (int i = 0; i < data.Count(); ++i) {
        if (k.shadowed[i])
            continue;
        const QString &key = data.Provider(i).Key;
        const auto &entries = data.Entries(i, dayClass);
        w.Section(key + DayClassWord(dayClass), true, entries.size());
        if (!k.keys[i]) {
            w.Refuse(key);
            continue;
        }
        IndexedIdents ident(*k.keys[i]);
        for (qsizetype j = 0; j < entries.size(); ++j) {
            if (entries[j].Interval == 0)
                continue;
            const char *end = WriteEntryValue(value, entries[j], char(k.sepByte));
            if (!w.WriteBytes(ident(j), QByteArrayView(value, end - value)))
                w.Refuse(key);
        }
    }
}

// About the size of the file written for the data: room for it is made at
// once, so that the written bytes are neither moved nor grown piecemeal.
qsizetype expectedFileSize(const TProviderData &data)
{
    // Typical lengths: "08:00-17:59/60.0000/0.0340", "12|08:00-17:59/60.0000/",
    // an option's value and its "=" and line end.
    constexpr qsizetype entryValue = 30, rangeValue = 36, optionValue = 12;
    qsizetype size = 1024;
    for (int i = 0; i < data.Count(); ++i) {
        const qsizetype key = data.Provider(i).Key.size();
        const qsizetype entries = data.Entries(i, TDayClass::Weekday).size()
            + data.Entries(i, TDayClass::Weekend).size();
        size += 16 + key + data.Provider(i).DisplayName.size() // provider line
            + 3 * (key + 24) // its own section headers
            + entries * (key + 2 + entryValue + 3)
            + data.Options(i).FreeHoursRanges.size() * (key + 2 + rangeValue + 3)
            + qsizetype(std::size(SaveOrder)) * (key + optionValue + 3);
    }
    return size;
}

void writeRanges(DocumentWriter &w, const TProviderData &data, const KeyedSections &k)
{
    char value[MaxRangeValueBytes];
    for (int i = 0; i < data.Count(); ++i) {
        if (k.shadowed[i])
            continue;
        const QString &key = data.Provider(i).Key;
        // Written whole: its idents (key and index) are distinct.
        const auto &ranges = data.Options(i).FreeHoursRanges;
        w.Section(key + SecFreeHoursRange, true, ranges.size());
        if (ranges.isEmpty())
            continue;
        if (!k.keys[i] || k.sepByte < 0) {
            w.Refuse(!k.keys[i] ? IndexedIdent(key, 0) : RangeValueText(ranges[0]));
            continue;
        }
        IndexedIdents ident(*k.keys[i]);
        for (qsizetype j = 0; j < ranges.size(); ++j) {
            const char *end = WriteRangeValue(value, ranges[j], char(k.sepByte));
            if (!w.WriteBytes(ident(j), QByteArrayView(value, end - value)))
                w.Refuse(IndexedIdent(key, int(j)) + u'=' + RangeValueText(ranges[j]));
        }
    }
}

QString programPath(const QString &fileName)
{
    return ProgramDir() + fileName;
}

} // namespace

bool BuildProviderFile(const TProviderData &data, const QDate &date, QByteArray &bytes,
    QString *unencodable, const std::function<void()> &beforeEvenProvider)
{
    DocumentWriter w(expectedFileSize(data));
    for (const QString &text : HeaderTexts(data.FileName))
        w.Comment(text);

    w.Section(SecCommon, true);
    for (const auto &[ident, value] : CommonValues(data.FileName, date))
        w.Write(ident, value);

    w.Section(SecProvider, true, data.Count()); // P0, P1, …
    for (int i = 0; i < data.Count(); ++i) {
        if (i % 2 == 0 && beforeEvenProvider)
            beforeEvenProvider();
        w.Write(QStringLiteral("P") + QString::number(i),
            ProviderLineText(data.Provider(i).DisplayName, data.Provider(i).Key));
    }

    // Entries, options and ranges are formed as bytes, each key encoded once.
    // The option sections have the keys as idents: written whole when no two
    // keys are one ident.
    KeyedSections k;
    k.keys.resize(data.Count());
    QSet<QByteArray> idents;
    bool distinctKeys = true;
    for (int i = 0; i < data.Count(); ++i) {
        bool ok = true;
        k.keys[i] = Cp1252::encode(data.Provider(i).Key, &ok);
        if (!ok)
            k.keys[i].reset();
        distinctKeys = distinctKeys && ok;
        if (distinctKeys) {
            const QByteArray ident = TIniDocument::FoldedName(*k.keys[i]);
            distinctKeys = !idents.contains(ident);
            idents.insert(ident);
        }
    }
    k.shadowed = shadowedProviders(data, k.keys);
    k.sepByte = Cp1252::byteOf(TLocaleSettings::Current().TimeSeparator);
    writeDayClass(w, data, TDayClass::Weekday, k);
    writeDayClass(w, data, TDayClass::Weekend, k);

    char value[std::max(MaxFixedTextLength, MaxRangeValueBytes)];
    for (TOption option : SaveOrder) {
        w.Section(OptionSection(option), distinctKeys, data.Count());
        for (int i = 0; i < data.Count(); ++i) {
            const char *end = WriteOptionValue(value, option, data.Options(i));
            if (!end)
                continue;
            const QString &key = data.Provider(i).Key;
            if (!k.keys[i])
                w.Refuse(key);
            else if (!w.WriteBytes(*k.keys[i], QByteArrayView(value, end - value)))
                w.Refuse(key + u'=' + QLatin1StringView(value, end - value));
        }
        if (option == TOption::FREISTUNDEN)
            writeRanges(w, data, k);
    }

    if (!w.Ok()) {
        if (unencodable)
            *unencodable = w.Bad();
        return false;
    }
    bytes = w.Bytes();
    return true;
}

void PrepareForSave(TProviderData &data)
{
    data.SortAllEntries();
    for (int i = 0; i < data.Count(); ++i)
        NormalizeForSave(data.Options(i));
}

bool ConfirmOverwriteIfChanged(const TProviderData &data)
{
    const QString path = programPath(data.FileName);
    const TFileStamp now = FileStampOf(path);
    if (now == data.LoadedStamp)
        return true;
    return ShowMsgBox(QStringLiteral("Die Datei ") + path
                   + QStringLiteral(" wurde seit dem Einlesen von einem anderen Programm geändert.")
                   + u'\r'
                   + QStringLiteral(
                       "Trotzdem speichern und die dortigen Änderungen überschreiben?"),
               QString(), mkConfirmation, {btYesNo})
        == idYes;
}

TSaveResult SaveProviderFile(TTheIniFile &ini, TProviderData &data, const QDate &date,
    const std::function<void()> &beforeEvenProvider)
{
    const QString path = programPath(data.FileName);
    // The last line says why, as for a failed write.
    auto cannotReplace = [&](int code) {
        ShowMsgBox(QStringLiteral("Konnte ") + path + QStringLiteral(" nicht löschen!") + u'\r'
                + QStringLiteral("Speicherung kann nicht erfolgen!") + u'\r' + ErrorCodeText(code),
            QString(), mkError, {btOK});
        return TSaveResult::CannotReplace;
    };
    // The last line says why, in words: "Fehler 112: Datenträger voll", or
    // the text the file cannot hold.
    auto writeFailed = [&](const QString &reason) {
        ShowMsgBox(QStringLiteral("Konnte ") + path + QStringLiteral(" nicht speichern!") + u'\r'
                + QStringLiteral("Die bisherige Datei bleibt unverändert.") + u'\r' + reason,
            QString(), mkError, {btOK});
        return TSaveResult::WriteFailed;
    };

    // Opening drops a write protection of the old file, or shows why it cannot,
    // and tries whether the directory takes a new file when there is none.
    ini.SetIniFileName(data.FileName);
    ini.SetIniLocation(loProgDir);
    const int openCode = ini.CheckWritable();
    if (openCode != 0 && openCode != 2)
        return cannotReplace(openCode);

    // Work on a copy, so that a failure leaves the model exactly as it was.
    // Memory that runs out on the way leaves both as they were, too.
    TProviderData saved;
    QByteArray bytes;
    QString unwritable;
    TSafeWriteStep failedAt = TSafeWriteStep::None;
    QStringList notKept;
    int code = 0;
    try {
        saved = data;
        PrepareForSave(saved);
        if (!BuildProviderFile(saved, date, bytes, &unwritable, beforeEvenProvider))
            return writeFailed(QStringLiteral(
                "„%1“ enthält Zeichen, die in der Datei nicht dargestellt werden können.")
                                   .arg(unwritable));
        code = SafeWriteFile(path, bytes, &failedAt, &notKept);
    } catch (const std::bad_alloc &) {
        return writeFailed(ErrorCodeText(OutOfMemoryCode));
    }
    if (code != 0)
        return failedAt == TSafeWriteStep::CreateTemp ? cannotReplace(code)
                                                      : writeFailed(ErrorCodeText(code));
    // The file is in place; what it could not take over from the old one is
    // said, not dropped silently.
    if (!notKept.isEmpty())
        ShowMsgBox(QStringLiteral("Die Datei ") + path + QStringLiteral(" wurde gespeichert.")
                + u'\r'
                + QStringLiteral("Von der bisherigen Datei konnte nicht übernommen werden: ")
                + notKept.join(QStringLiteral(", ")) + u'.',
            QString(), mkWarning, {btOK});

    saved.Modified = false;
    saved.LoadedStamp = FileStampOf(path);
    data = std::move(saved);
    return TSaveResult::Saved;
}
