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

void showSyntaxError(const QString &key)
{
    ShowMsgBox(QStringLiteral("Der Providereintrag für Schlüssel ") + key
                   + QStringLiteral(" ist fehlerhaft! ")
                   + QStringLiteral("Providereintrag wird nicht gelesen!"),
               QStringLiteral("Syntax Fehler"), mkError, {btOK});
}

TTariffEntryList readDayClass(TTheIniFile &ini, const TKeyAndName &provider, TDayClass dayClass)
{
    const QString word = DayClassWord(dayClass);
    TTariffEntryList entries;
    forEachValue(ini, provider.Key + word, MaxEntryLines, [&](const QString &value) {
        TTariffEntry entry;
        switch (ParseEntryValue(value, entry)) {
        case TEntryParse::Empty:
            return;
        case TEntryParse::SyntaxError:
            showSyntaxError(provider.Key);
            return;
        case TEntryParse::Faulty:
            ShowMsgBox(QStringLiteral("Eintrag für Provider ") + provider.Name + QStringLiteral(" ( ")
                           + provider.Key + word + QStringLiteral(" ) ist nicht korrekt."),
                       QString(), mkError, {btOK});
            break;
        case TEntryParse::Valid:
            break;
        }
        entries.append(std::move(entry));
    });
    return entries;
}

// Reads a provider's options; the free-hours ranges are taken from `ranges`
// when an earlier provider read the same section already.
TProviderOptions readOptions(TTheIniFile &ini, const QString &key,
                             const QList<TFreeHoursRange> *ranges)
{
    TProviderOptions options;
    for (TOption option : LoadOrder) {
        ini.SetSection(OptionSection(option));
        ReadOption(option, readValue(ini, key), options);
        if (option == TOption::FREISTUNDEN && ranges) {
            options.FreeHoursRanges = *ranges;
        } else if (option == TOption::FREISTUNDEN) {
            // The free-hours ranges come right after the free hours.
            // Every ident of the section, one at a time: a large section is
            // never listed whole.
            forEachValue(ini, key + SecFreeHoursRange, -1, [&](const QString &value) {
                if (value.isEmpty())
                    return;
                if (auto range = ParseRangeValue(value))
                    options.FreeHoursRanges.append(*range);
            });
        }
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

bool LoadProviderFile(TTheIniFile &ini, TProviderData &data)
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
            showSyntaxError(provider->Key);
            return;
        }
        providers.append(std::move(*provider));
    });
    SortProviderList(providers);

    // First pass: options, ranges and weekday entries; second pass: weekend
    // entries, so that messages come in the same order as ever.
    QList<TProviderOptions> options;
    QList<TTariffEntryList> weekday;
    options.reserve(providers.size());
    weekday.reserve(providers.size());
    // Providers whose keys name one range section (the same key, or keys
    // differing in letter case) share the list read for the first of them:
    // reading a large section once per provider would cost the number of
    // providers times the size of the file.
    QHash<QByteArray, QList<TFreeHoursRange>> rangesOfSection;
    for (const auto &provider : providers) {
        const QByteArray section = ini.SectionIdentity(provider.Key + SecFreeHoursRange);
        const auto none = rangesOfSection.constEnd();
        const auto known = section.isEmpty() ? none : rangesOfSection.constFind(section);
        options.append(readOptions(ini, provider.Key, known == none ? nullptr : &*known));
        if (known == none && !section.isEmpty())
            rangesOfSection.insert(section, options.constLast().FreeHoursRanges);
        weekday.append(readDayClass(ini, provider, TDayClass::Weekday));
    }
    data.Reserve(static_cast<int>(providers.size()));
    for (qsizetype i = 0; i < providers.size(); ++i) {
        TTariffEntryList weekend = readDayClass(ini, providers[i], TDayClass::Weekend);
        SortTariffEntries(weekday[i]);
        SortTariffEntries(weekend);
        data.AppendProvider(std::move(providers[i]), std::move(options[i]), std::move(weekday[i]),
                            std::move(weekend));
    }
    ini.SetIniFileName(QStringLiteral("Rates.ini"));
    return true;
}
