#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// Access information of a provider. The editor never fills, reads or writes
// it and it is not part of the provider file; it stays empty.
struct TAccessInfos
{
};

// Identity of one provider.
struct TKeyAndName
{
    static constexpr int MaxNameLength = 100;

    // Names the provider's own sections, its ident in the option sections and
    // the prefix of its entries' idents. Never contains blanks.
    QString Key;
    // The name in file form (blanks as "_"); at most MaxNameLength characters.
    QString Name;
    TAccessInfos AccessInfos;
    // The name the editor shows in its drop-down list and saving writes to
    // the provider line (blanks as "_"). Loading takes it from Name with "_"
    // as blanks; a new provider gets the name it was created with.
    QString DisplayName;

    bool operator==(const TKeyAndName &o) const
    {
        return Key == o.Key && Name == o.Name && DisplayName == o.DisplayName;
    }
};

// One time range in which the free hours may be used.
struct TFreeHoursRange
{
    // Bit n stands for day number n: 1 Sunday, 2..6 Monday..Friday,
    // 7 Saturday, 8 holiday. Bits 0 and 9..15 are never set.
    std::uint16_t Days = 0;
    // Seconds since midnight, whole minutes.
    std::int32_t TimeFrom = 0;
    // Seconds since midnight of the START of the last included minute: 23:59
    // is 86340. Unlike TTariffEntry::TimeTo, no 59 seconds are added; the
    // range list shows TimeTo + 59 as its end.
    std::int32_t TimeTo = 0;
    // Billing interval in seconds during this range.
    double Interval = 0;

    bool operator==(const TFreeHoursRange &) const = default;
};

using TFreeHoursRangeArray = QList<TFreeHoursRange>;

// The options of one provider. Amounts are in cents.
struct TProviderOptions
{
    // The most free hours the options dialog's field holds: 9999:59:59. The
    // loader keeps free hours in 0 to this.
    static constexpr std::int32_t MaxFreeHours = 9999 * 3600 + 59 * 60 + 59;

    std::int32_t FreeHours = 0; // seconds, 0 to MaxFreeHours
    double FreeHoursCosts = 0; // cents
    bool Holidays2431 = true; // holiday tariff on 24 and 31 December
    std::int32_t BaseAmount = 0; // whole cents per month
    double NoCostsFrom = -1; // cents per month; -1 (or <= 0): no limit
    double Timing = -1; // seconds, at most 1000; <= 0: entries' own
    double MinConnectTime = -1; // seconds, at most 1000; <= 0: not set
    double CostsPerDay = 0; // cents, 0 or more
    double BaseConnectPrice = 0; // cents per dial-in
    TFreeHoursRangeArray FreeHoursRanges; // empty: around the clock
    bool FreeHoursPerDay = false;
    bool ISDNDoubleCosts = false;

    bool operator==(const TProviderOptions &) const = default;
};

// One time-of-day tariff line of a day class.
struct TTariffEntry
{
    static constexpr int MaxSortKeyLength = 27;

    std::int32_t TimeFrom = 0; // seconds since midnight, whole minutes
    // The LAST SECOND of the end minute (hh:mm:59): 23:59 is 86399. Unlike
    // TFreeHoursRange::TimeTo, the 59 seconds are part of the value.
    std::int32_t TimeTo = 0;
    double Interval = 0; // seconds; 0 marks an entry the next sort removes
    double Fee = 0; // currency units per interval

    // The key SortTariffEntries orders by: start and end as hh:mm:ss with the
    // locale's time separator, joined by one blank, at most 27 characters. It
    // follows from the times, so it is worked out when asked for, not stored;
    // it is defined with the sort in TariffRules.cpp.
    QString SortKey() const;

    bool operator==(const TTariffEntry &o) const
    {
        return TimeFrom == o.TimeFrom && TimeTo == o.TimeTo && Interval == o.Interval
            && Fee == o.Fee;
    }
};

using TTariffEntryList = QList<TTariffEntry>;

// The two day classes of a provider.
enum class TDayClass { Weekday, Weekend };

// The day-class word of the section names.
inline QString DayClassWord(TDayClass c)
{
    return c == TDayClass::Weekday ? QStringLiteral("WERKTAG") : QStringLiteral("SASO");
}
