#include "TestSupport.h"

#include <QProcess>
#include <QTest>

// tarifcheck --coverage, run as a user runs it.
class TestCoverageCheck : public QObject
{
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
};

void TestCoverageCheck::findings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QStringList>("lines");

    const QByteArray faulty = CrLf({"[PROVIDER]", "P0=Tele_Plus,TELE0001", "P1=Nacht_Net,NACH0001",
        "[TELE0001WERKTAG]", "TELE00010=00:00-08:59/60/0.01", "TELE00011=08:00-17:59/60/0.03",
        "TELE00012=19:00-23:59/60/0.02", "[NACH0001WERKTAG]", "NACH00010=06:00-21:59/60/0.02",
        "NACH00011=22:00-05:59/60/0.01", "[NACH0001SASO]", "NACH00010=00:00-23:59/60/0.01"});
    const QString count = QStringLiteral(
        "2 Provider, 5 Werktag-Einträge, 1 Wochenend-Einträge, 0 Freistunden-Bereiche");
    QTest::newRow("each kind of finding")
        << faulty << QStringList {QStringLiteral("--coverage")} << 1
        << QStringList {count,
               QStringLiteral("Nacht Net, Werktag: Eintrag 2 läuft über Mitternacht (22:00–05:59)"),
               QStringLiteral("Tele Plus, Werktag: Lücke 18:00–18:59"),
               QStringLiteral("Tele Plus, Werktag: Überschneidung 08:00–08:59 (Einträge 1 und 2)"),
               QStringLiteral("Tele Plus, Samstag/Sonntag/Feiertag: keine Einträge")};
    QTest::newRow("without --coverage as before")
        << faulty << QStringList() << 0 << QStringList {count};

    const QByteArray clean = CrLf({"[PROVIDER]", "P0=Tele_Plus,TELE0001", "[TELE0001WERKTAG]",
        "TELE00010=00:00-23:59/60/0.01", "[TELE0001SASO]", "TELE00010=00:00-23:59/60/0.01"});
    QTest::newRow("clean")
        << clean << QStringList {QStringLiteral("--coverage")} << 0
        << QStringList {QStringLiteral(
               "1 Provider, 1 Werktag-Einträge, 1 Wochenend-Einträge, 0 Freistunden-Bereiche")};
    // A loader message alone makes the exit status 1, as without --coverage.
    QByteArray message = clean;
    message.replace("TELE00010=00:00-23:59/60/0.01\r\n[TELE0001SASO]",
        "TELE00010=00:00-23:59/60/0.01\r\nTELE00011=x\r\n[TELE0001SASO]");
    QTest::newRow("loader message")
        << message << QStringList {QStringLiteral("--coverage")} << 1
        << QStringList {
               QStringLiteral(
                   "Syntax Fehler: Der Providereintrag für Schlüssel TELE0001 ist fehlerhaft! "
                   "Providereintrag wird nicht gelesen!"),
               QStringLiteral(
                   "1 Provider, 1 Werktag-Einträge, 1 Wochenend-Einträge, 0 Freistunden-Bereiche")};
}

void TestCoverageCheck::findings()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, args);
    TempProgramDir dir;
    dir.Write(QStringLiteral("x.ini"), file);
    QProcess p;
    p.start(QStringLiteral(TARIFCHECK), args << dir.FilePath(QStringLiteral("x.ini")));
    QVERIFY(p.waitForFinished(30000));
    QString out = ProgramText(p.readAllStandardOutput());
    QVERIFY(out.endsWith(u'\n'));
    out.chop(1);
    QTEST(out.split(u'\n'), "lines");
    QTEST(p.exitCode(), "exit");
}

QTEST_GUILESS_MAIN(TestCoverageCheck)
#include "tst_core_coveragecheck.moc"
