#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "support/FileSystem.h"

#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

// The command-line checker, run as a user runs it.
class TestTarifcheck : public QObject
{
    Q_OBJECT
private slots:
    void cleanFile();
    void faultyFileListsMessages();
    void unreadableFile();
    void writesWithTheEditorsWriter();
    void checkChangesNothing();
    void protectedAndUnreadableFilesOfOthers();
    void writeRefusesFifo();
    void controlCharactersPrintedVisibly();
    void refusedCalls_data();
    void refusedCalls();
    void memoryRunningOutIsReported();
    void namesThatAreNoUtf8();

private:
    struct Result
    {
        int Exit = -1;
        QString Out;
        QString Err;
    };
    // asUser: as an unprivileged user (nobody) when the tests run as root.
    static Result run(const QStringList &args, bool asUser = false, qint64 memoryLimit = 0)
    {
        QProcess p;
#ifdef Q_OS_WIN
        Q_UNUSED(asUser);
        Q_UNUSED(memoryLimit);
        if (false)
#else
        if (memoryLimit > 0)
            p.setChildProcessModifier([memoryLimit] {
                const rlimit limit {rlim_t(memoryLimit), rlim_t(memoryLimit)};
                ::setrlimit(RLIMIT_AS, &limit);
            });
        if (asUser && ::geteuid() == 0)
#endif
            p.start(QStringLiteral("setpriv"),
                QStringList {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups"), QStringLiteral(TARIFCHECK)}
                    + args);
        else
            p.start(QStringLiteral(TARIFCHECK), args);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), ProgramText(p.readAllStandardOutput()),
            ProgramText(p.readAllStandardError())};
    }
    static mode_t modeOf(const QString &path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
    }
};

namespace {
const QByteArray OneProvider = CrLf(
    {"[PROVIDER]", "P0=Eins,EINS0001", "[EINS0001WERKTAG]", "EINS00010=00:00-23:59/60/0.01"});
}

void TestTarifcheck::cleanFile()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("UserProv.ini"),
        CrLf({"[PROVIDER]",
            "P0=M\xFC"
            "ller_Net,MULL0001",
            "[MULL0001WERKTAG]", "MULL00010=00:00-23:59/60/0.01", "[MULL0001FREEHOURSRANGE]",
            "MULL00010=17|00:00-23:59/60/"}));
    const Result r = run({dir.FilePath(QStringLiteral("UserProv.ini"))});
    QCOMPARE(r.Exit, 0);
    QCOMPARE(r.Out,
        QStringLiteral(
            "1 Provider, 1 Werktag-Einträge, 0 Wochenend-Einträge, 1 Freistunden-Bereiche\n"));
}

void TestTarifcheck::faultyFileListsMessages()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("x.ini"),
        CrLf({"[PROVIDER]", "P0=B\xE4r_Tarif,BAER0001", "[BAER0001WERKTAG]",
            "BAER00010=0800-1759/60/0.03", "BAER00011=08:00-25:00/60/0.03"}));
    const Result r = run({dir.FilePath(QStringLiteral("x.ini"))});
    QCOMPARE(r.Exit, 1);
    QCOMPARE(r.Out.split(u'\n'),
        (QStringList {
            QStringLiteral(
                "Syntax Fehler: Der Providereintrag für Schlüssel BAER0001 ist fehlerhaft! "
                "Providereintrag wird nicht gelesen!"),
            QStringLiteral(
                "Fehler: Eintrag für Provider Bär_Tarif ( BAER0001WERKTAG ) ist nicht korrekt."),
            QStringLiteral(
                "1 Provider, 0 Werktag-Einträge, 0 Wochenend-Einträge, 0 Freistunden-Bereiche"),
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
    const Result r = run({QStringLiteral("--date"), QStringLiteral("12/01/2026"),
        QStringLiteral("--write"), out, dir.FilePath(QStringLiteral("in.ini"))});
    QCOMPARE(r.Exit, 0);
    // The sample is itself a file the editor wrote on that day.
    QCOMPARE(dir.Read(QStringLiteral("UserProv.ini")), sample);
}

void TestTarifcheck::checkChangesNothing()
{
    TempProgramDir dir;
    const QString in = dir.FilePath(QStringLiteral("in.ini"));
    dir.Write(QStringLiteral("in.ini"), OneProvider);
    ::chmod(QFile::encodeName(in).constData(), 0444);
    const QDateTime modified = QFileInfo(in).lastModified();
    QCOMPARE(run({in}).Exit, 0);
    QCOMPARE(modeOf(in) & 07777, mode_t(0444));
    QCOMPARE(QFileInfo(in).lastModified(), modified);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("in.ini")});
}

void TestTarifcheck::protectedAndUnreadableFilesOfOthers()
{
#ifdef Q_OS_WIN
    QSKIP("Windows: no second user account to hand the files to; the read-only attribute is "
          "tried in checkChangesNothing");
#else
    if (::geteuid() != 0)
        QSKIP("needs root to hand the files to another user");
#endif
    TempProgramDir dir;
    ::chmod(QFile::encodeName(dir.Path()).constData(), 0777);
    // Owned by root: the user may read the first, but not unprotect it, and
    // may not read the second at all.
    dir.Write(QStringLiteral("protected.ini"), OneProvider);
    dir.Write(QStringLiteral("secret.ini"), OneProvider);
    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("protected.ini"))).constData(), 0444);
    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("secret.ini"))).constData(), 0600);

    const QString out = dir.FilePath(QStringLiteral("out.ini"));
    Result r = run(
        {QStringLiteral("--write"), out, dir.FilePath(QStringLiteral("protected.ini"))}, true);
    QCOMPARE(r.Exit, 0);
    QVERIFY(dir.Read(QStringLiteral("out.ini")).contains("EINS00010=00:00-23:59/60.0000/0.0100"));

    // A file that cannot be read: nothing written, exit 2.
    QFile::remove(out);
    r = run({QStringLiteral("--write"), out, dir.FilePath(QStringLiteral("secret.ini"))}, true);
    QCOMPARE(r.Exit, 2);
    QCOMPARE(r.Err,
        QStringLiteral("Fehler: Kann %1 nicht lesen (Fehler 5: Zugriff verweigert).\n")
            .arg(dir.FilePath(QStringLiteral("secret.ini"))));
    QVERIFY(!QFileInfo::exists(out));

    // root's file, which the user may read but not write, in a folder the
    // user may write: refused before anything is written, and still root's.
    r = run({QStringLiteral("--write"), dir.FilePath(QStringLiteral("protected.ini")),
                dir.FilePath(QStringLiteral("protected.ini"))},
        true);
    QCOMPARE(r.Exit, 2);
    QVERIFY2(
        r.Err.endsWith(QStringLiteral("(Fehler 5: Zugriff verweigert).\n")), qPrintable(r.Err));
    QCOMPARE(dir.Read(QStringLiteral("protected.ini")), OneProvider);
    QCOMPARE(QFileInfo(dir.FilePath(QStringLiteral("protected.ini"))).ownerId(), 0u);
    ::chmod(QFile::encodeName(dir.FilePath(QStringLiteral("protected.ini"))).constData(), 0644);
    QCOMPARE(run({QStringLiteral("--write"), dir.FilePath(QStringLiteral("protected.ini")),
                     dir.FilePath(QStringLiteral("protected.ini"))},
                 true)
                 .Exit,
        2);
    QCOMPARE(QFileInfo(dir.FilePath(QStringLiteral("protected.ini"))).ownerId(), 0u);
    QCOMPARE(dir.Entries(),
        (QStringList {QStringLiteral("protected.ini"), QStringLiteral("secret.ini")}));
}

void TestTarifcheck::writeRefusesFifo()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("in.ini"), OneProvider);
    const QString fifo = dir.FilePath(QStringLiteral("fifo"));
#ifdef Q_OS_WIN
    // Windows has no FIFOs: a folder is the target that is no regular file.
    QVERIFY(QDir().mkdir(fifo));
#else
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
#endif
    const Result r = run({QStringLiteral("--write"), fifo, dir.FilePath(QStringLiteral("in.ini"))});
    QCOMPARE(r.Exit, 2);
#ifdef Q_OS_WIN
    QVERIFY(QFileInfo(fifo).isDir());
#else
    QVERIFY(S_ISFIFO(modeOf(fifo)));
#endif
    QCOMPARE(r.Err,
        QStringLiteral("Fehler: Konnte %1 nicht speichern (Fehler 161: kein regulärer Pfad).\n")
            .arg(fifo));
}

void TestTarifcheck::controlCharactersPrintedVisibly()
{
    TempProgramDir dir;
    // "@" stands for NUL.
    QByteArray file = CrLf({"[PROVIDER]", "P0=N\x1b[2J,K\x1b[31m", "P1=Nul@Name,KEY2",
        "[K\x1b[31mWERKTAG]", "K0=08:00-25:00/60/0.03", "[KEY2WERKTAG]", "K0=08:00-25:00/60/0.03"});
    dir.Write(QStringLiteral("x.ini"), file.replace('@', '\0'));
    const Result r = run({dir.FilePath(QStringLiteral("x.ini"))});
    QCOMPARE(r.Exit, 1);
    QVERIFY(!r.Out.contains(QChar(0x1b)));
    QVERIFY2(r.Out.contains(QStringLiteral(
                 "Eintrag für Provider N\\x1b[2J ( K\\x1b[31mWERKTAG ) ist nicht korrekt.")),
        qPrintable(r.Out));
    QVERIFY(r.Out.contains(
        QStringLiteral("Eintrag für Provider Nul\\x00Name ( KEY2WERKTAG ) ist nicht korrekt.")));
}

void TestTarifcheck::refusedCalls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error"); // %1 is the input file
    QTest::newRow("FIFO")
        << QStringLiteral("fifo")
        << QStringLiteral("Fehler: Kann %1 nicht lesen (Fehler 161: kein regulärer Pfad).\n");
    QTest::newRow("larger than 64 MiB")
        << QStringLiteral("large") << QStringLiteral("Fehler: %1 ist zu groß (mehr als 64 MiB).\n");
    QTest::newRow("empty output name")
        << QStringLiteral("write-nothing")
        << QStringLiteral("tarifcheck: Die Option --write braucht einen Dateinamen.\n"
                          "Aufruf: tarifcheck [--coverage] [--date MM/TT/JJJJ] "
                          "[--write AUSGABE] DATEI\n");
    QTest::newRow("ESC in an option") << QStringLiteral(
        "escape") << QStringLiteral("tarifcheck: Unbekannte Option „--\\x1b[2J“.\n");
}

void TestTarifcheck::refusedCalls()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    TempProgramDir dir;
    const QString in = dir.FilePath(QStringLiteral("in.ini"));
    QStringList args {in};
    if (kind == u"fifo") {
#ifdef Q_OS_WIN
        QSKIP("Windows has no FIFOs");
#else
        QCOMPARE(::mkfifo(QFile::encodeName(in).constData(), 0644), 0);
#endif
    } else if (kind == u"large") {
        dir.Write(QStringLiteral("in.ini"), OneProvider);
#ifdef Q_OS_WIN
        QVERIFY(QFile::resize(in, MaxFileBytes + 1));
#else
        QCOMPARE(::truncate(QFile::encodeName(in).constData(), MaxFileBytes + 1), 0); // sparse
#endif
    } else {
        dir.Write(QStringLiteral("in.ini"), OneProvider);
        args.prepend(kind == u"escape" ? QStringLiteral("--\x1b[2J") : QString());
        if (kind == u"write-nothing")
            args.prepend(QStringLiteral("--write"));
    }
    const Result r = run(args);
    QCOMPARE(r.Exit, 2);
    QVERIFY2(r.Err.startsWith(error.arg(in)), qPrintable(r.Err));
    QVERIFY(!r.Err.contains(QChar(0x1b)));
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("in.ini")});
}

void TestTarifcheck::memoryRunningOutIsReported()
{
    // 15 million tiny lines, well below the size bound, in 300 MB of memory.
#ifdef Q_OS_WIN
    QSKIP("Windows: no memory limit is set on the child here");
#endif
    TempProgramDir dir;
    QByteArray file = "[PROVIDER]\n";
    file += QByteArray("a=b\n").repeated(15 << 20);
    dir.Write(QStringLiteral("in.ini"), file);
    const Result r = run({dir.FilePath(QStringLiteral("in.ini"))}, false, qint64(300) << 20);
    QCOMPARE(r.Exit, 2);
    QCOMPARE(r.Err, QStringLiteral("tarifcheck: Fehler 8: nicht genügend Arbeitsspeicher\n"));
}

void TestTarifcheck::namesThatAreNoUtf8()
{
    // Latin-1 names, as an old system leaves them: bytes that are no UTF-8.
    // Arguments of QProcess are text; the bytes go through a script.
#ifdef Q_OS_WIN
    QSKIP("Windows names are UTF-16 text, never loose bytes");
#else
    TempProgramDir dir;
    const QByteArray folder = QFile::encodeName(dir.Path());
    const QByteArray in = folder + "M\xFCller.ini", out = folder + "\xFE.ini";
    dir.Write(QStringLiteral("x"), OneProvider);
    QCOMPARE(::rename((folder + "x").constData(), in.constData()), 0);
    dir.Write(
        QStringLiteral("run.sh"), "exec '" TARIFCHECK "' --write '" + out + "' '" + in + "'\n");
    QProcess p;
    p.start(QStringLiteral("sh"), {dir.FilePath(QStringLiteral("run.sh"))});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.readAllStandardError(), QByteArray());
    QCOMPARE(p.exitCode(), 0);
    struct stat st;
    QCOMPARE(::stat(out.constData(), &st), 0);
    QVERIFY(st.st_size > OneProvider.size());
    QFile saved(QFile::decodeName(folder) + QStringLiteral("y"));
    QCOMPARE(::rename(out.constData(), QFile::encodeName(saved.fileName()).constData()), 0);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("; \xFE.ini\r\n")); // the byte as it was
    // Qt cannot name them to remove them.
    ::unlink(in.constData());
#endif
}

QTEST_GUILESS_MAIN(TestTarifcheck)
#include "tst_core_tarifcheck.moc"
