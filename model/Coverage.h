#pragma once

#include "TETypes.h"

#include <QList>
#include <QString>
#include <QStringList>

class TProviderData;

// How the entries of one day class cover the day, in minutes of the day
// (0 = 00:00, 1439 = 23:59).
//
// Only entries whose Interval is not 0 take part, as only they have a grid
// row; entry numbers count these entries from 0 in list order, so entry n is
// shown in grid row n + 1. An entry whose start lies after its end (22:00 to
// 05:59) runs past midnight: it covers the end of the day and its start.

// A run of minutes, both ends included, with the entries covering it.
struct TCoverageSpan
{
    int From = 0;
    int To = 0;
    QList<int> Entries; // ascending

    bool operator==(const TCoverageSpan &) const = default;
};

struct TDayCoverage
{
    static constexpr int MinutesPerDay = 24 * 60;

    // The entries taking part, in list order (entry n is Entries[n]).
    TTariffEntryList Entries;
    // Covered runs in time order; within a run the same entries cover every
    // minute, so a run with two or more entries lies inside an overlap.
    QList<TCoverageSpan> Segments;
    // Runs no entry covers, in time order; a gap at the end of the day and
    // one at its start count as two.
    QList<TCoverageSpan> Gaps;
    // Longest runs covered by two or more entries, with every entry involved.
    QList<TCoverageSpan> Overlaps;
    // Entries running past midnight.
    QList<int> PastMidnight;

    bool HasGapsOrOverlaps() const { return !Gaps.isEmpty() || !Overlaps.isEmpty(); }
    // The run that holds the minute; nullptr outside the day.
    const TCoverageSpan *SpanAt(int minute) const;
};

TDayCoverage DayCoverage(const TTariffEntryList &entries);

// Currency units per minute: Fee / Interval × 60.
double PricePerMinute(const TTariffEntry &entry);

// The cheapest and the dearest price per minute over every entry of a file,
// both day classes; Valid is false when the file has no entry.
struct TPriceRange
{
    double Min = 0;
    double Max = 0;
    bool Valid = false;

    // 0 for the cheapest price, 1 for the dearest, 0.5 when all are equal.
    double Position(double price) const;
};
TPriceRange FilePriceRange(const TProviderData &data);

// "18:00–18:59" with the locale's time separator.
QString MinuteRangeText(int from, int to);
// "3,90 ct/min" with the locale's decimal separator.
QString CentsPerMinuteText(double pricePerMinute);
// "08:00–17:59 Uhr · 3,90 ct/min (0,0390 € je 60 s)".
QString EntryPriceText(const TTariffEntry &entry);
// "keine Tarifangabe 18:00–18:59 Uhr".
QString GapText(const TCoverageSpan &gap);
// "Überschneidung 08:00–08:59 Uhr".
QString OverlapText(const TCoverageSpan &overlap);

// The short text next to a grid's caption: "lückenlos", "keine Einträge",
// "Lücke 18:00–18:59", "Überschneidung 08:00–08:59" or counts such as
// "2 Lücken, 1 Überschneidung".
QString CoverageSummary(const TDayCoverage &coverage);

// One line per finding, entry numbers counted from 1: "Lücke 18:00–18:59",
// "Überschneidung 08:00–08:59 (Einträge 1 und 2)", "Eintrag 3 läuft über
// Mitternacht (22:00–05:59)"; a day class without entries gives only
// "keine Einträge". Empty when the entries cover the day once.
QStringList CoverageFindings(const TDayCoverage &coverage);

// The caption of a day class: "Werktag", "Samstag/Sonntag/Feiertag".
QString DayClassCaption(TDayClass dayClass);

// CoverageFindings of every provider of a file, weekdays before weekends, each
// line led by the provider's name and the day class: "Tele Plus, Werktag:
// Lücke 18:00–18:59".
QStringList FileCoverageFindings(const TProviderData &data);
