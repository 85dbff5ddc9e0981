#include "ProviderData.h"

#include "TariffRules.h"

int TProviderData::AppendProvider(TKeyAndName provider, TProviderOptions options,
    TTariffEntryList weekday, TTariffEntryList weekend)
{
    m_providers.append(std::move(provider));
    m_options.append(std::move(options));
    m_weekday.append(std::move(weekday));
    m_weekend.append(std::move(weekend));
    return Count() - 1;
}

void TProviderData::RemoveProvider(int i)
{
    m_providers.removeAt(i);
    m_options.removeAt(i);
    m_weekday.removeAt(i);
    m_weekend.removeAt(i);
}

void TProviderData::Clear()
{
    m_providers.clear();
    m_options.clear();
    m_weekday.clear();
    m_weekend.clear();
}

void TProviderData::Reserve(int count)
{
    m_providers.reserve(count);
    m_options.reserve(count);
    m_weekday.reserve(count);
    m_weekend.reserve(count);
}

void TProviderData::SortAllEntries()
{
    for (auto &list : m_weekday)
        SortTariffEntries(list);
    for (auto &list : m_weekend)
        SortTariffEntries(list);
}

bool TProviderData::SameContent(const TProviderData &o) const
{
    return m_providers == o.m_providers && m_options == o.m_options && m_weekday == o.m_weekday
        && m_weekend == o.m_weekend;
}
