#include "ProviderLoader.h"

#include "ProviderFormat.h"
#include "TariffRules.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <climits>

using namespace ProviderFormat;

namespace {

// ReadString that yields the empty text for a missing key.
QString readValue(TTheIniFile &ini, const QString &ident)
{
    QString value = ini.ReadString(ident, QString());
    return ini.ErrorCode() == 0 ? value : QString();
}

// Calls visit(value) for the first `limit` idents of a section in file order
// (every one when `limit` is negative), with the empty text for a missing value.
void forEachValue(TTheIniFile &ini, const QString &section, qsizetype limit,
    const std::function<void(const QString &)> &visit)
{
    ini.SetSection(section);
    ini.ForEachValue(visit, limit);
}

// The same with the value's bytes for a Windows-1252 file, which the parsers
// read as they read its text: visit takes both a QByteArrayView and a QString.
template<typename Visit>
void forEachValueOrBytes(TTheIniFile &ini, const QString &section, qsizetype limit, Visit visit)
{
    ini.SetSection(section);
    if (!ini.ForEachRawValue(visit, limit))
        ini.ForEachValue(visit, limit);
}

// A faulty line is shown at once, or only counted when the caller wants a count.
void reportFaulty(int *faultyLines, const QString &text, const QString &caption)
{
    if (faultyLines)
        ++*faultyLines;
    else
        ShowMsgBox(text, caption, mkError, {btOK});
}

void showSyntaxError(const QString &key, int *faultyLines)
{
    // A key too long to be taken over is shown with its start only.
    const QString shown = key.size() > MaxKeyLength ? key.left(MaxKeyLength) + u'…' : key;
    reportFaulty(faultyLines,
        QStringLiteral("Der Providereintrag für Schlüssel ") + shown
            + QStringLiteral(" ist fehlerhaft! ")
            + QStringLiteral("Providereintrag wird nicht gelesen!"),
        QStringLiteral("Syntax Fehler"));
}

// Lines of a section past a reading limit: which section, how many of how many.
struct TLostLines
{
    QString Where;
    qsizetype Lost = 0;
    qsizetype Total = 0;
};

// Notes the lines of the current section past `limit`.
void noteLostLines(TTheIniFile &ini, qsizetype limit, const QString &where, QList<TLostLines> &lost)
{
    const qsizetype total = ini.KeyCount();
    if (total > limit)
        lost.append({where, total - limit, total});
}

// The lines past the reading limits would be gone after the next save: the
// user is told once, after the file is read, which sections lose how many.
// Where faulty lines are only counted, these are counted with them.
void reportLostLines(const QString &path, const QList<TLostLines> &lost, int *faultyLines)
{
    if (lost.isEmpty())
        return;
    if (faultyLines) {
        for (const TLostLines &l : lost)
            *faultyLines = int(std::min<qsizetype>(qsizetype(*faultyLines) + l.Lost, INT_MAX));
        return;
    }
    // A box lists so many; the rest are counted.
    constexpr qsizetype Listed = 20;
    QString text = QStringLiteral("Die Datei ") + path
        + QStringLiteral(" enthält mehr Zeilen, als eingelesen werden (höchstens %1 Provider und "
                         "je %2 Einträge für Werktag und Samstag/Sonntag/Feiertag). Die folgenden "
                         "Zeilen werden nicht gelesen und fehlen nach dem Speichern:")
              .arg(MaxProviderLines)
              .arg(MaxEntryLines);
    for (qsizetype i = 0; i < std::min(lost.size(), Listed); ++i)
        text += u'\r' + lost[i].Where
            + QStringLiteral(": %1 von %2 Zeilen").arg(lost[i].Lost).arg(lost[i].Total);
    if (lost.size() > Listed)
        text += QStringLiteral("\r… und %1 weitere").arg(lost.size() - Listed);
    ShowMsgBox(text, QString(), mkError, {btOK});
}

TTariffEntryList readDayClass(TTheIniFile &ini, const TKeyAndName &provider, TDayClass dayClass,
    int *faultyLines, QList<TLostLines> &lost)
{
    const QString word = DayClassWord(dayClass);
    TTariffEntryList entries;
    entries.reserve(MaxEntryLines);
    forEachValueOrBytes(ini, provider.Key + word, MaxEntryLines, [&](const auto &value) {
        TTariffEntry entry;
        switch (ParseEntryValue(value, entry)) {
        case TEntryParse::Empty:
            return;
        case TEntryParse::SyntaxError:
            showSyntaxError(provider.Key, faultyLines);
            return;
        case TEntryParse::Faulty:
            reportFaulty(faultyLines,
                QStringLiteral("Eintrag für Provider ") + provider.Name + QStringLiteral(" ( ")
                    + provider.Key + word + QStringLiteral(" ) ist nicht korrekt."),
                QString());
            break;
        case TEntryParse::Valid:
            break;
        }
        entries.append(std::move(entry));
    });
    noteLostLines(ini, MaxEntryLines,
        QStringLiteral("Provider ") + provider.Name + QStringLiteral(" ( ") + provider.Key + word
            + QStringLiteral(" )"),
        lost);
    return entries;
}

// Reads the options of every provider, one option section at a time, then
// the free-hours ranges of each. Options and ranges show no messages, so the
// order of reading changes nothing but the cost: one section at a time is
// found once, not once per provider.
QList<TProviderOptions> readOptions(TTheIniFile &ini, const QList<TKeyAndName> &providers)
{
    QList<TProviderOptions> options(providers.size());
    // In a Windows-1252 file the keys are looked up as the file's bytes,
    // made once. Each key came from the file, so it has its bytes; were one
    // to lack them, the empty ident reads as the empty value, as in ReadString.
    const bool bytes = ini.ByteOrderMark() == Cp1252::TByteOrderMark::None;
    QList<QByteArray> keys;
    if (bytes) {
        keys.reserve(providers.size());
        for (const auto &provider : providers) {
            bool ok = true;
            const QByteArray key = Cp1252::encode(provider.Key, &ok);
            keys.append(ok ? key : QByteArray());
        }
    }
    for (TOption option : LoadOrder) {
        ini.SetSection(OptionSection(option));
        for (qsizetype i = 0; i < providers.size(); ++i) {
            if (bytes)
                ReadOption(
                    option, ini.ReadRawString(keys[i]).value_or(QByteArrayView()), options[i]);
            else
                ReadOption(option, readValue(ini, providers[i].Key), options[i]);
        }
    }
    // Providers whose keys name one range section (the same key, or keys
    // differing in letter case) share the list read for the first of them:
    // reading a large section once per provider would cost the number of
    // providers times the size of the file.
    QHash<QByteArray, QList<TFreeHoursRange>> rangesOfSection;
    for (qsizetype i = 0; i < providers.size(); ++i) {
        const QString section = providers[i].Key + SecFreeHoursRange;
        const QByteArray identity = ini.SectionIdentity(section);
        if (const auto known = rangesOfSection.constFind(identity);
            !identity.isEmpty() && known != rangesOfSection.constEnd()) {
            options[i].FreeHoursRanges = *known;
            continue;
        }
        // Every ident of the section, one at a time: a large section is
        // never listed whole.
        forEachValueOrBytes(ini, section, -1, [&](const auto &value) {
            if (value.isEmpty())
                return;
            if (auto range = ParseRangeValue(value))
                options[i].FreeHoursRanges.append(*range);
        });
        if (!identity.isEmpty())
            rangesOfSection.insert(identity, options[i].FreeHoursRanges);
    }
    return options;
}

} // namespace

void SortProviderList(QList<TKeyAndName> &providers)
{
    if (providers.isEmpty())
        return;
    // Compare precomputed Windows-1252 bytes: cheaper than converting per comparison.
    struct Item
    {
        QByteArray Bytes;
        TKeyAndName Provider;
    };
    QList<Item> items;
    items.reserve(providers.size());
    for (auto &p : providers)
        items.append({Cp1252::encode(p.Name), std::move(p)});
    // Equal names are ordered by key, so that a sorted list stays as it is
    // (the quicksort would swap equal elements).
    EditorQuickSort(items, 0, items.size() - 1, [](const Item &a, const Item &b) {
        const int c = a.Bytes.compare(b.Bytes); // ordinal, bytes unsigned
        return c != 0 ? c < 0 : Cp1252::compare(a.Provider.Key, b.Provider.Key) < 0;
    });
    for (qsizetype i = 0; i < items.size(); ++i)
        providers[i] = std::move(items[i].Provider);
}

TFileStamp FileStampOf(const QString &path)
{
    TFileStamp stamp;
    stamp.Exists = TFileSystem::Instance().Stat(path, stamp.Size, stamp.Modified);
    return stamp;
}

bool LoadProviderFile(TTheIniFile &ini, TProviderData &data, int *faultyLines)
{
    ini.SetIniLocation(loProgDir);
    ini.SetIniFileName(data.FileName);
    ini.SetOpen(true);
    data.Clear();
    data.LoadedStamp = FileStampOf(ini.GetFullFileName());
    if (ini.ErrorCode() != 0)
        return false;
    if (ini.ByteOrderMark() != Cp1252::TByteOrderMark::None)
        ShowMsgBox(QStringLiteral("Die Datei ") + ini.GetFullFileName()
                + QStringLiteral(" ist als Unicode gespeichert. Sie wird beim Speichern im "
                                 "Windows-Zeichensatz geschrieben."),
            QString(), mkInformation, {btOK});

    QList<TKeyAndName> providers;
    QList<TLostLines> lost;
    forEachValue(ini, SecProvider, MaxProviderLines, [&](const QString &value) {
        auto provider = ParseProviderLine(value);
        if (!provider)
            return;
        // A key that cannot stand as an ident would come back as another key
        // after saving, and the provider would lose its sections; a key past
        // the bound would make every ident of the written file that long.
        if (!IsWritableKey(provider->Key) || provider->Key.size() > MaxKeyLength) {
            showSyntaxError(provider->Key, faultyLines);
            return;
        }
        providers.append(std::move(*provider));
    });
    noteLostLines(ini, MaxProviderLines, QStringLiteral("Abschnitt ") + SecProvider, lost);
    SortProviderList(providers);

    // Options and ranges first, then the weekday entries of every provider,
    // then the weekend entries, so that messages come in the same order as ever.
    QList<TProviderOptions> options = readOptions(ini, providers);
    QList<TTariffEntryList> weekday;
    weekday.reserve(providers.size());
    for (const auto &provider : providers)
        weekday.append(readDayClass(ini, provider, TDayClass::Weekday, faultyLines, lost));
    data.Reserve(static_cast<int>(providers.size()));
    for (qsizetype i = 0; i < providers.size(); ++i) {
        TTariffEntryList weekend
            = readDayClass(ini, providers[i], TDayClass::Weekend, faultyLines, lost);
        SortTariffEntries(weekday[i]);
        SortTariffEntries(weekend);
        data.AppendProvider(std::move(providers[i]), std::move(options[i]), std::move(weekday[i]),
            std::move(weekend));
    }
    reportLostLines(ini.GetFullFileName(), lost, faultyLines);
    ini.SetIniFileName(QStringLiteral("Rates.ini"));
    return true;
}
