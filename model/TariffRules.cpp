#include "TariffRules.h"

#include "support/Cp1252.h"
#include "support/IniDocument.h"
#include "support/LocaleSettings.h"
#include "support/MyTools.h"
#include "support/TextHelpers.h"

#include <QSet>

#include <algorithm>

TKeyAndName NewProviderKey(const QString &name, const QList<TKeyAndName> &providers)
{
    const QString prefix = MyTools.KeyLetters(name.left(4).trimmed());
    // A key names sections and idents, which the file matches regardless of
    // letter case: a fresh key must differ from every key there as such a name.
    QSet<QByteArray> taken;
    taken.reserve(providers.size());
    for (const TKeyAndName &p : providers)
        taken.insert(TIniDocument::FoldedName(Cp1252::encode(p.Key)));
    for (int counter = 1;; ++counter) {
        const QString candidate = prefix + QStringLiteral("%1").arg(counter, 4, 10, QChar(u'0'));
        if (!taken.contains(TIniDocument::FoldedName(Cp1252::encode(candidate)))) {
            TKeyAndName record;
            record.Key = candidate;
            record.Name = prefix;
            record.DisplayName = name;
            return record;
        }
    }
}

void AddNewProviderKey(const QString &name, QList<TKeyAndName> &providers)
{
    providers.append(NewProviderKey(name, providers));
}

namespace {

// The sort key into buf (room for 2 * MaxTimeTextLength + 1); returns its length.
qsizetype writeSortKey(QChar *buf, const TTariffEntry &entry)
{
    const QChar sep = TLocaleSettings::Current().TimeSeparator;
    QChar *end = WriteTimeText(buf, entry.TimeFrom, sep);
    *end++ = u' ';
    end = WriteTimeText(end, entry.TimeTo, sep);
    return std::min<qsizetype>(end - buf, TTariffEntry::MaxSortKeyLength);
}

bool isClockTime(std::int32_t seconds)
{
    return seconds >= 0 && seconds < 100 * 3600;
}

} // namespace

QString TTariffEntry::SortKey() const
{
    QChar buf[2 * MaxTimeTextLength + 1];
    return QString(buf, writeSortKey(buf, *this));
}

void SortTariffEntries(TTariffEntryList &entries)
{
    entries.removeIf([](const TTariffEntry &e) { return e.Interval == 0; });
    if (entries.isEmpty())
        return;
    const bool clockTimes = std::all_of(entries.cbegin(), entries.cend(),
        [](const TTariffEntry &e) { return isClockTime(e.TimeFrom) && isClockTime(e.TimeTo); });
    if (clockTimes) {
        // Keys of times of day all have one width, two-digit hours and the
        // separator in the same places: comparing them is comparing the
        // times, and no key text is made.
        auto less = [](const TTariffEntry &a, const TTariffEntry &b) {
            return a.TimeFrom != b.TimeFrom ? a.TimeFrom < b.TimeFrom : a.TimeTo < b.TimeTo;
        };
        // A list already in strictly rising order (as loaded or saved lists
        // are) is what any sort makes of it: it is left alone, and shared
        // copies of it are not copied. Equal keys are sorted, since the
        // quicksort may swap them.
        const TTariffEntryList &view = entries;
        if (std::adjacent_find(view.cbegin(), view.cend(),
                [&](const TTariffEntry &a, const TTariffEntry &b) { return !less(a, b); })
            == view.cend())
            return;
        EditorQuickSort(entries, 0, entries.size() - 1, less);
        return;
    }
    // Other times compare as their key texts, made once per entry: the
    // entries are sorted together with their keys, which gives the same
    // order as sorting the entries alone by the same comparisons.
    struct Keyed
    {
        QString key;
        TTariffEntry entry;
    };
    QList<Keyed> keyed;
    keyed.reserve(entries.size());
    for (const TTariffEntry &e : std::as_const(entries))
        keyed.append(Keyed {e.SortKey(), e});
    EditorQuickSort(keyed, 0, keyed.size() - 1,
        [](const Keyed &a, const Keyed &b) { return Cp1252::compare(a.key, b.key) < 0; });
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i] = keyed[i].entry;
}
