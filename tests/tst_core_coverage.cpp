#include "TestSupport.h"

#include "model/Coverage.h"
#include "model/ProviderData.h"

#include <QTest>

namespace {

// "08:00-17:59" → an entry from 08:00:00 to 17:59:59, 60 s for the fee.
TTariffEntry entry(const char *times, double fee = 0.01)
{
    const QString t = QString::fromLatin1(times);
    auto seconds = [&t](int at) {
        return t.mid(at, 2).toInt() * 3600 + t.mid(at + 3, 2).toInt() * 60;
    };
    return MakeEntry(seconds(0), seconds(6) + 59, 60, fee);
}

// "0-479:0 480-1079:1 1080-1439:-" with the entries of each run ("-" a gap).
QString runsText(const TDayCoverage &c)
{
    QList<TCoverageSpan> runs = c.Segments + c.Gaps;
    std::sort(
        runs.begin(), runs.end(), [](const auto &a, const auto &b) { return a.From < b.From; });
    QStringList parts;
    for (const TCoverageSpan &r : runs) {
        QStringList entries;
        for (int e : r.Entries)
            entries.append(QString::number(e));
        parts.append(QStringLiteral("%1-%2:%3")
                         .arg(r.From)
                         .arg(r.To)
                         .arg(entries.isEmpty() ? QStringLiteral("-") : entries.join(u',')));
    }
    return parts.join(u' ');
}

} // namespace

class TestCoverage : public QObject
{
    Q_OBJECT
private slots:
    void dayCoverage_data();
    void dayCoverage();
    void skipsEntriesWithoutInterval();
    void texts();
    void filePriceRange();
};

void TestCoverage::dayCoverage_data()
{
    QTest::addColumn<TTariffEntryList>("entries");
    QTest::addColumn<QString>("runs");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("summary");

    QTest::newRow("full day") << TTariffEntryList {entry("00:00-07:59"), entry("08:00-17:59"),
        entry("18:00-23:59")} << QStringLiteral("0-479:0 480-1079:1 1080-1439:2")
                              << QStringList() << QStringLiteral("lückenlos");
    QTest::newRow("one gap") << TTariffEntryList {entry("00:00-17:59"), entry("19:00-23:59")}
                             << QStringLiteral("0-1079:0 1080-1139:- 1140-1439:1")
                             << QStringList {QStringLiteral("Lücke 18:00–18:59")}
                             << QStringLiteral("Lücke 18:00–18:59");
    QTest::newRow("gap at midnight")
        << TTariffEntryList {entry("00:01-23:58")} << QStringLiteral("0-0:- 1-1438:0 1439-1439:-")
        << QStringList {QStringLiteral("Lücke 00:00–00:00"), QStringLiteral("Lücke 23:59–23:59")}
        << QStringLiteral("2 Lücken");
    QTest::newRow("overlap") << TTariffEntryList {entry("00:00-08:59"), entry("08:00-23:59")}
                             << QStringLiteral("0-479:0 480-539:0,1 540-1439:1")
                             << QStringList {QStringLiteral(
                                    "Überschneidung 08:00–08:59 (Einträge 1 und 2)")}
                             << QStringLiteral("Überschneidung 08:00–08:59");
    QTest::newRow("nested")
        << TTariffEntryList {entry("00:00-23:59"), entry("08:00-17:59"), entry("10:00-10:59")}
        << QStringLiteral("0-479:0 480-599:0,1 600-659:0,1,2 660-1079:0,1 1080-1439:0")
        << QStringList {QStringLiteral("Überschneidung 08:00–17:59 (Einträge 1, 2 und 3)")}
        << QStringLiteral("Überschneidung 08:00–17:59");
    QTest::newRow("equal") << TTariffEntryList {entry("00:00-23:59"), entry("00:00-23:59", 0.02)}
                           << QStringLiteral("0-1439:0,1")
                           << QStringList {QStringLiteral(
                                  "Überschneidung 00:00–23:59 (Einträge 1 und 2)")}
                           << QStringLiteral("Überschneidung 00:00–23:59");
    QTest::newRow("past midnight")
        << TTariffEntryList {entry("06:00-21:59"), entry("22:00-05:59")}
        << QStringLiteral("0-359:1 360-1319:0 1320-1439:1")
        << QStringList {QStringLiteral("Eintrag 2 läuft über Mitternacht (22:00–05:59)")}
        << QStringLiteral("lückenlos");
    QTest::newRow("gaps and overlap")
        << TTariffEntryList {entry("01:00-08:59"), entry("08:00-17:59"), entry("19:00-22:59")}
        << QStringLiteral(
               "0-59:- 60-479:0 480-539:0,1 540-1079:1 1080-1139:- 1140-1379:2 1380-1439:-")
        << QStringList {QStringLiteral("Lücke 00:00–00:59"), QStringLiteral("Lücke 18:00–18:59"),
               QStringLiteral("Lücke 23:00–23:59"),
               QStringLiteral("Überschneidung 08:00–08:59 (Einträge 1 und 2)")}
        << QStringLiteral("3 Lücken, 1 Überschneidung");
    QTest::newRow("empty") << TTariffEntryList() << QStringLiteral("0-1439:-")
                           << QStringList {QStringLiteral("keine Einträge")}
                           << QStringLiteral("keine Einträge");

    // 20 entries of 72 minutes each, the last one ending a minute early.
    TTariffEntryList twenty;
    QStringList runs;
    for (int i = 0; i < 20; ++i) {
        twenty.append(MakeEntry(
            i * 72 * 60, ((i + 1) * 72 - 1) * 60 + 59 - (i == 19 ? 60 : 0), 60, 0.01 * i));
        runs.append(
            QStringLiteral("%1-%2:%3").arg(i * 72).arg((i + 1) * 72 - 1 - (i == 19)).arg(i));
    }
    QTest::newRow("20 entries") << twenty << runs.join(u' ') + QStringLiteral(" 1439-1439:-")
                                << QStringList {QStringLiteral("Lücke 23:59–23:59")}
                                << QStringLiteral("Lücke 23:59–23:59");
}

void TestCoverage::dayCoverage()
{
    QFETCH(TTariffEntryList, entries);
    const TScopedLocaleSettings german(TLocaleSettings::German());
    const TDayCoverage c = DayCoverage(entries);
    QTEST(runsText(c), "runs");
    QTEST(CoverageFindings(c), "findings");
    QTEST(CoverageSummary(c), "summary");
}

// An entry without interval has no grid row: it neither covers nor counts.
void TestCoverage::skipsEntriesWithoutInterval()
{
    const TDayCoverage c
        = DayCoverage({MakeEntry(0, 86399, 0), entry("00:00-11:59"), entry("12:00-23:59")});
    QCOMPARE(runsText(c), QStringLiteral("0-719:0 720-1439:1"));
    QCOMPARE(c.Entries.size(), 2);
    QCOMPARE(c.SpanAt(720)->Entries, QList<int> {1});
}

void TestCoverage::texts()
{
    const TTariffEntry day = MakeEntry(8 * 3600, 18 * 3600 - 1, 60, 0.039);
    const TTariffEntry night = MakeEntry(22 * 3600, 6 * 3600 - 1, 0.5, 0.0002);
    {
        const TScopedLocaleSettings german(TLocaleSettings::German());
        QCOMPARE(EntryPriceText(day),
            QStringLiteral("08:00–17:59 Uhr · 3,90 ct/min (0,0390 € je 60 s)"));
        QCOMPARE(EntryPriceText(night),
            QStringLiteral("22:00–05:59 Uhr · 2,40 ct/min (0,0002 € je 0,5 s)"));
        QCOMPARE(GapText({1080, 1139, {}}), QStringLiteral("keine Tarifangabe 18:00–18:59 Uhr"));
        QCOMPARE(OverlapText({480, 539, {0, 1}}), QStringLiteral("Überschneidung 08:00–08:59 Uhr"));
    }
    TLocaleSettings dollar = DollarLocale();
    dollar.TimeSeparator = u'.';
    const TScopedLocaleSettings scoped(dollar);
    QCOMPARE(
        EntryPriceText(day), QStringLiteral("08.00–17.59 Uhr · 3.90 ct/min ($0.0390 je 60 s)"));
}

void TestCoverage::filePriceRange()
{
    TProviderData data;
    QVERIFY(!FilePriceRange(data).Valid);
    data.AppendProvider({}, {}, {MakeEntry(0, 86399, 60, 0.03), MakeEntry(0, 86399, 0, 9)},
        {MakeEntry(0, 86399, 30, 0.005)});
    data.AppendProvider({}, {}, {MakeEntry(0, 86399, 1, 0.001)});
    const TPriceRange r = FilePriceRange(data);
    QVERIFY(r.Valid);
    QCOMPARE(r.Min, 0.01);
    QCOMPARE(r.Max, 0.06);
    QCOMPARE(r.Position(0.01), 0.0);
    QCOMPARE(r.Position(0.035), 0.5);
    QCOMPARE(r.Position(0.06), 1.0);
    QCOMPARE((TPriceRange {0.02, 0.02, true}).Position(0.02), 0.5);
}

QTEST_GUILESS_MAIN(TestCoverage)
#include "tst_core_coverage.moc"
