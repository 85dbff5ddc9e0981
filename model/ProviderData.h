#pragma once

#include "TETypes.h"

#include <QDateTime>

// What the loader saw of the file on disk, so that a save can tell whether
// another program replaced the file in the meantime.
struct TFileStamp
{
    bool Exists = false;
    qint64 Size = 0;
    QDateTime Modified;

    bool operator==(const TFileStamp &) const = default;
};

// The providers of one provider file in memory: four parallel lists, where
// index i of each describes the same provider. Providers are only added and
// removed here, so the lists never differ in length.
class TProviderData
{
public:
    int Count() const { return static_cast<int>(m_providers.size()); }
    bool IsEmpty() const { return m_providers.isEmpty(); }

    const QList<TKeyAndName> &ProviderList() const { return m_providers; }
    const QList<TProviderOptions> &OptionsList() const { return m_options; }
    const QList<TTariffEntryList> &WeekdayLists() const { return m_weekday; }
    const QList<TTariffEntryList> &WeekendLists() const { return m_weekend; }

    TKeyAndName &Provider(int i) { return m_providers[i]; }
    const TKeyAndName &Provider(int i) const { return m_providers.at(i); }
    TProviderOptions &Options(int i) { return m_options[i]; }
    const TProviderOptions &Options(int i) const { return m_options.at(i); }
    TTariffEntryList &Entries(int i, TDayClass c)
    {
        return c == TDayClass::Weekday ? m_weekday[i] : m_weekend[i];
    }
    const TTariffEntryList &Entries(int i, TDayClass c) const
    {
        return c == TDayClass::Weekday ? m_weekday.at(i) : m_weekend.at(i);
    }

    // Appends one provider at the end of all four lists; returns its index.
    int AppendProvider(TKeyAndName provider, TProviderOptions options = {},
        TTariffEntryList weekday = {}, TTariffEntryList weekend = {});
    // Removes provider i from all four lists.
    void RemoveProvider(int i);
    void Clear();
    void Reserve(int count);

    // Runs SortTariffEntries on every weekday list, then on every weekend list.
    void SortAllEntries();

    // True when the data were changed since loading or saving.
    bool Modified = false;
    // The bare name of the provider file ("Provider.ini" or "UserProv.ini").
    QString FileName;
    // The file on disk as it was when loaded or last saved.
    TFileStamp LoadedStamp;

    // Same providers, options and entries (for tests and round trips).
    bool SameContent(const TProviderData &o) const;

private:
    QList<TKeyAndName> m_providers;
    QList<TProviderOptions> m_options;
    QList<TTariffEntryList> m_weekday;
    QList<TTariffEntryList> m_weekend;
};
