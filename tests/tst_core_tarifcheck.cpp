#include "TestSupport.h"

#include <QProcess>
#include <QTest>

// The command-line checker, run as a user runs it.
class TestTarifcheck : public QObject
{
    Q_OBJECT
private slots:
    void cleanFile();
    void faultyFileListsMessages();
    void unreadableFile();
    void writesWithTheEditorsWriter();

private:
    struct Result
    {
        int Exit = -1;
        QString Out;
    };
    static Result run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TARIFCHECK), args);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
    }
};

void TestTarifcheck::cleanFile()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("UserProv.ini"), CrLf({"[PROVIDER]", "P0=M\xFC" "ller_Net,MULL0001", "[MULL0001WERKTAG]",
                                                     "MULL00010=00:00-23:59/60/0.01", "[MULL0001FREEHOURSRANGE]",
                                                     "MULL00010=17|00:00-23:59/60/"}));
    const Result r = run({dir.FilePath(QStringLiteral("UserProv.ini"))});
    QCOMPARE(r.Exit, 0);
    QCOMPARE(r.Out, QStringLiteral("1 Provider, 1 Werktag-Einträge, 0 Wochenend-Einträge, 1 Freistunden-Bereiche\n"));
}

void TestTarifcheck::faultyFileListsMessages()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("x.ini"), CrLf({"[PROVIDER]", "P0=B\xE4r_Tarif,BAER0001", "[BAER0001WERKTAG]",
                                              "BAER00010=0800-1759/60/0.03", "BAER00011=08:00-25:00/60/0.03"}));
    const Result r = run({dir.FilePath(QStringLiteral("x.ini"))});
    QCOMPARE(r.Exit, 1);
    QCOMPARE(r.Out.split(u'\n'),
             (QStringList {QStringLiteral("Syntax Fehler: Der Providereintrag für Schlüssel BAER0001 ist fehlerhaft! "
                                          "Providereintrag wird nicht gelesen!"),
                           QStringLiteral("Fehler: Eintrag für Provider Bär_Tarif ( BAER0001WERKTAG ) ist nicht korrekt."),
                           QStringLiteral("1 Provider, 0 Werktag-Einträge, 0 Wochenend-Einträge, 0 Freistunden-Bereiche"),
                           QString()}));
}

void TestTarifcheck::unreadableFile()
{
    TempProgramDir dir;
    QCOMPARE(run({dir.FilePath(QStringLiteral("fehlt.ini"))}).Exit, 2);
    QCOMPARE(run({dir.Path()}).Exit, 2); // a directory
    QCOMPARE(run({}).Exit, 2);
    QCOMPARE(run({QStringLiteral("--date"), QStringLiteral("13/45/2026"), dir.Path()}).Exit, 2);
}

void TestTarifcheck::writesWithTheEditorsWriter()
{
    TempProgramDir dir;
    const QByteArray sample = [] {
        QFile f(QStringLiteral(TE_SOURCE_DIR "/samples/UserProv.ini"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!sample.isEmpty());
    dir.Write(QStringLiteral("in.ini"), sample);
    const QString out = dir.FilePath(QStringLiteral("UserProv.ini"));
    const Result r = run({QStringLiteral("--date"), QStringLiteral("12/01/2026"), QStringLiteral("--write"), out,
                          dir.FilePath(QStringLiteral("in.ini"))});
    QCOMPARE(r.Exit, 0);
    // The sample is itself a file the editor wrote on that day.
    QCOMPARE(dir.Read(QStringLiteral("UserProv.ini")), sample);
}

QTEST_GUILESS_MAIN(TestTarifcheck)
#include "tst_core_tarifcheck.moc"
