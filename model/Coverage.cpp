#include "Coverage.h"

#include "ProviderData.h"
#include "support/LocaleSettings.h"
#include "support/TextHelpers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Day = TDayCoverage::MinutesPerDay;

int minuteOf(std::int32_t seconds)
{
    return std::clamp(seconds / 60, 0, Day - 1);
}

// A piece of one entry's time, end excluded.
struct Piece
{
    int From;
    int End;
    int Entry;
};

// An interval as short as it reads: "60", "0,5", "7,25".
QString intervalText(double seconds)
{
    return NumberText(seconds, 4, TTrailingZeros::Cut);
}

QString entryNumbersText(const QList<int> &entries)
{
    QStringList numbers;
    for (int e : entries)
        numbers.append(QString::number(e + 1));
    const QString last = numbers.takeLast();
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" und ") + last;
}

QString entryTimesText(const TTariffEntry &e)
{
    return SecondsToShortTimeText(e.TimeFrom) + u'–' + SecondsToShortTimeText(e.TimeTo);
}

} // namespace

const TCoverageSpan *TDayCoverage::SpanAt(int minute) const
{
    for (const QList<TCoverageSpan> *list : {&Segments, &Gaps})
        for (const TCoverageSpan &s : *list)
            if (minute >= s.From && minute <= s.To)
                return &s;
    return nullptr;
}

TDayCoverage DayCoverage(const TTariffEntryList &entries)
{
    TDayCoverage c;
    c.Entries = entries;
    c.Entries.removeIf([](const TTariffEntry &e) { return e.Interval == 0; });

    QList<Piece> pieces;
    QList<int> bounds {0, Day};
    for (int n = 0; n < c.Entries.size(); ++n) {
        const int from = minuteOf(c.Entries[n].TimeFrom);
        const int to = minuteOf(c.Entries[n].TimeTo);
        if (from <= to) {
            pieces.append({from, to + 1, n});
        } else {
            c.PastMidnight.append(n);
            pieces.append({from, Day, n});
            pieces.append({0, to + 1, n});
        }
    }
    for (const Piece &p : pieces)
        bounds << p.From << p.End;
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    // Between two neighbouring bounds the same entries cover every minute.
    QList<TCoverageSpan> runs;
    for (qsizetype b = 0; b + 1 < bounds.size(); ++b) {
        TCoverageSpan run {bounds[b], bounds[b + 1] - 1, {}};
        for (const Piece &p : pieces)
            if (p.From <= run.From && run.From < p.End && !run.Entries.contains(p.Entry))
                run.Entries.append(p.Entry);
        std::sort(run.Entries.begin(), run.Entries.end());
        if (!runs.isEmpty() && runs.last().Entries == run.Entries)
            runs.last().To = run.To;
        else
            runs.append(std::move(run));
    }

    for (const TCoverageSpan &run : runs) {
        if (run.Entries.isEmpty()) {
            c.Gaps.append(run);
            continue;
        }
        c.Segments.append(run);
        if (run.Entries.size() < 2)
            continue;
        if (!c.Overlaps.isEmpty() && c.Overlaps.last().To + 1 == run.From) {
            TCoverageSpan &o = c.Overlaps.last();
            o.To = run.To;
            for (int e : run.Entries)
                if (!o.Entries.contains(e))
                    o.Entries.append(e);
            std::sort(o.Entries.begin(), o.Entries.end());
        } else {
            c.Overlaps.append(run);
        }
    }
    return c;
}

double PricePerMinute(const TTariffEntry &entry)
{
    return entry.Fee / entry.Interval * 60.0;
}

double TPriceRange::Position(double price) const
{
    if (!Valid || !(Max > Min))
        return 0.5;
    return std::clamp((price - Min) / (Max - Min), 0.0, 1.0);
}

TPriceRange FilePriceRange(const TProviderData &data)
{
    TPriceRange range;
    range.Min = HUGE_VAL;
    range.Max = -HUGE_VAL;
    for (const auto *lists : {&data.WeekdayLists(), &data.WeekendLists()})
        for (const TTariffEntryList &list : *lists)
            for (const TTariffEntry &e : list) {
                if (e.Interval == 0)
                    continue;
                const double p = PricePerMinute(e);
                if (!std::isfinite(p))
                    continue;
                range.Min = std::min(range.Min, p);
                range.Max = std::max(range.Max, p);
                range.Valid = true;
            }
    if (!range.Valid)
        range.Min = range.Max = 0;
    return range;
}

QString MinuteRangeText(int from, int to)
{
    return SecondsToShortTimeText(from * 60) + u'–' + SecondsToShortTimeText(to * 60);
}

QString CentsPerMinuteText(double pricePerMinute)
{
    return NumberText(pricePerMinute * 100, 2) + QStringLiteral(" ct/min");
}

QString EntryPriceText(const TTariffEntry &entry)
{
    return entryTimesText(entry) + QStringLiteral(" Uhr · ")
        + CentsPerMinuteText(PricePerMinute(entry)) + QStringLiteral(" (") + FeeToText(entry.Fee)
        + QStringLiteral(" je ") + intervalText(entry.Interval) + QStringLiteral(" s)");
}

QString GapText(const TCoverageSpan &gap)
{
    return QStringLiteral("keine Tarifangabe ") + MinuteRangeText(gap.From, gap.To)
        + QStringLiteral(" Uhr");
}

QString OverlapText(const TCoverageSpan &overlap)
{
    return QStringLiteral("Überschneidung ") + MinuteRangeText(overlap.From, overlap.To)
        + QStringLiteral(" Uhr");
}

QString CoverageSummary(const TDayCoverage &coverage)
{
    if (coverage.Entries.isEmpty())
        return QStringLiteral("keine Einträge");
    const auto gaps = coverage.Gaps.size();
    const auto overlaps = coverage.Overlaps.size();
    if (gaps == 0 && overlaps == 0)
        return QStringLiteral("lückenlos");
    if (gaps == 1 && overlaps == 0)
        return QStringLiteral("Lücke ")
            + MinuteRangeText(coverage.Gaps[0].From, coverage.Gaps[0].To);
    if (gaps == 0 && overlaps == 1)
        return QStringLiteral("Überschneidung ")
            + MinuteRangeText(coverage.Overlaps[0].From, coverage.Overlaps[0].To);
    QStringList parts;
    if (gaps > 0)
        parts.append(gaps == 1 ? QStringLiteral("1 Lücke") : QStringLiteral("%1 Lücken").arg(gaps));
    if (overlaps > 0)
        parts.append(overlaps == 1 ? QStringLiteral("1 Überschneidung")
                                   : QStringLiteral("%1 Überschneidungen").arg(overlaps));
    return parts.join(QStringLiteral(", "));
}

QStringList CoverageFindings(const TDayCoverage &coverage)
{
    if (coverage.Entries.isEmpty())
        return {QStringLiteral("keine Einträge")};
    QStringList lines;
    for (const TCoverageSpan &g : coverage.Gaps)
        lines.append(QStringLiteral("Lücke ") + MinuteRangeText(g.From, g.To));
    for (const TCoverageSpan &o : coverage.Overlaps)
        lines.append(QStringLiteral("Überschneidung %1 (Einträge %2)")
                         .arg(MinuteRangeText(o.From, o.To), entryNumbersText(o.Entries)));
    for (int e : coverage.PastMidnight)
        lines.append(QStringLiteral("Eintrag %1 läuft über Mitternacht (%2)")
                         .arg(e + 1)
                         .arg(entryTimesText(coverage.Entries[e])));
    return lines;
}

QString DayClassCaption(TDayClass dayClass)
{
    return dayClass == TDayClass::Weekday ? QStringLiteral("Werktag")
                                          : QStringLiteral("Samstag/Sonntag/Feiertag");
}

QStringList FileCoverageFindings(const TProviderData &data)
{
    QStringList lines;
    for (int i = 0; i < data.Count(); ++i) {
        const QString &name = data.Provider(i).DisplayName;
        for (const TDayClass c : {TDayClass::Weekday, TDayClass::Weekend}) {
            const QString lead
                = name + QStringLiteral(", ") + DayClassCaption(c) + QStringLiteral(": ");
            for (const QString &finding : CoverageFindings(DayCoverage(data.Entries(i, c))))
                lines.append(lead + finding);
        }
    }
    return lines;
}
