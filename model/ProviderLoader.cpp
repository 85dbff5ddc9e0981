#include "ProviderLoader.h"

#include "ProviderFormat.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

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
    reportFaulty(faultyLines,
                 QStringLiteral("Der Providereintrag für Schlüssel ") + key + QStringLiteral(" ist fehlerhaft! ")
                     + QStringLiteral("Providereintrag wird nicht gelesen!"),
                 QStringLiteral("Syntax Fehler"));
}

TTariffEntryList readDayClass(TTheIniFile &ini, const TKeyAndName &provider, TDayClass dayClass, int *faultyLines)
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
    forEachValue(ini, SecProvider, MaxProviderLines, [&](const QString &value) {
        auto provider = ParseProviderLine(value);
        if (!provider)
            return;
        // A key that cannot stand as an ident would come back as another key
        // after saving, and the provider would lose its sections.
        if (!IsWritableKey(provider->Key)) {
            showSyntaxError(provider->Key, faultyLines);
            return;
        }
        providers.append(std::move(*provider));
    });
    SortProviderList(providers);

    // Options and ranges first, then the weekday entries of every provider,
    // then the weekend entries, so that messages come in the same order as ever.
    QList<TProviderOptions> options = readOptions(ini, providers);
    QList<TTariffEntryList> weekday;
    weekday.reserve(providers.size());
    for (const auto &provider : providers)
        weekday.append(readDayClass(ini, provider, TDayClass::Weekday, faultyLines));
    data.Reserve(static_cast<int>(providers.size()));
    for (qsizetype i = 0; i < providers.size(); ++i) {
        TTariffEntryList weekend = readDayClass(ini, providers[i], TDayClass::Weekend, faultyLines);
        SortTariffEntries(weekday[i]);
        SortTariffEntries(weekend);
        data.AppendProvider(std::move(providers[i]), std::move(options[i]), std::move(weekday[i]),
                            std::move(weekend));
    }
    ini.SetIniFileName(QStringLiteral("Rates.ini"));
    return true;
}
