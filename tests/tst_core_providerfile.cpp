#include "TestSupport.h"

#include "fuzz/SaveRoundTrip.h"

#include "model/ProviderFormat.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "model/TariffRules.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QDir>

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>
#include <new>

#include <unistd.h>

namespace {

const QString User = QStringLiteral("UserProv.ini");
const QString Main = QStringLiteral("Provider.ini");

// The worked example of the file format: two providers saved on 7 December 2026.
const QByteArray WorkedExample = CrLf({
    "; UserProv.ini",
    "; ",
    "; ",
    "; Diese Datei ist Bestandteil des Programms \"Korvan\", sie wurde mit",
    "; dem \"Korvan - Editor\" erstellt.",
    "; ",
    "; ",
    "; DER AUTOR DER DATEI UserProv.ini HAFTET NICHT FUER DIE RICHTIGKEIT",
    "; DER EINTRAGUNGEN IN DIESER DATEI.",
    "; ",
    "; ",
    "[COMMON]",
    "STRVERSION=Korvan version 3.00",
    "VERSION=3.00",
    "FILEDATE=12/07/2026",
    "FILENAME=Providertarife_benutzerdefiniert",
    "[PROVIDER]",
    "P0=Beispiel_Tarif,BEIS0001",
    "P1=Flat_Online,FLAT0001",
    "[BEIS0001WERKTAG]",
    "BEIS00010=00:00-07:59/60.0000/0.0100",
    "BEIS00011=08:00-17:59/60.0000/0.0300",
    "BEIS00012=18:00-23:59/60.0000/0.0200",
    "[FLAT0001WERKTAG]",
    "FLAT00010=00:00-23:59/60.0000/0.0099",
    "[BEIS0001SASO]",
    "BEIS00010=00:00-23:59/60.0000/0.0100",
    "[FLAT0001SASO]",
    "FLAT00010=00:00-23:59/60.0000/0.0099",
    "[TIMING]",
    "BEIS0001=-1.0000",
    "FLAT0001=60.0000",
    "[MinConnectTime]",
    "BEIS0001=-1.0000",
    "FLAT0001=60.0000",
    "[FREISTUNDEN]",
    "BEIS0001=0",
    "FLAT0001=36000",
    "[FLAT0001FREEHOURSRANGE]",
    "FLAT00010=23456|18:00-23:00/60.0000/",
    "[OPTIONS]",
    "BEIS0001=YES",
    "FLAT0001=YES",
    "[GRUNDBETRAG]",
    "BEIS0001=0",
    "FLAT0001=495",
    "[BASECONNECTPRICE]",
    "BEIS0001=0.0000",
    "FLAT0001=0.0000",
    "[NOCOSTS]",
    "BEIS0001=-1",
    "FLAT0001=2500",
});

TProviderData workedExampleModel()
{
    TProviderData data;
    data.FileName = User;
    data.AppendProvider({QStringLiteral("BEIS0001"), QStringLiteral("Beispiel_Tarif"), {},
                            QStringLiteral("Beispiel Tarif")},
        {},
        {MakeEntry(64800, 86399, 60, 0.02), MakeEntry(0, 28799, 60, 0.01),
            MakeEntry(28800, 64799, 60, 0.03)},
        {MakeEntry(0, 86399, 60, 0.01)});
    TProviderOptions flat;
    flat.FreeHours = 36000;
    flat.FreeHoursRanges = {{0x7C, 64800, 82800, 60}};
    flat.BaseAmount = 495;
    flat.NoCostsFrom = 2500;
    flat.Timing = 60;
    flat.MinConnectTime = 60;
    data.AppendProvider({QStringLiteral("FLAT0001"), QStringLiteral("Flat_Online"), {},
                            QStringLiteral("Flat Online")},
        flat, {MakeEntry(0, 86399, 60, 0.0099)}, {MakeEntry(0, 86399, 60, 0.0099)});
    return data;
}

TProviderData load(const QString &fileName)
{
    TTheIniFile ini;
    TProviderData data;
    data.FileName = fileName;
    LoadProviderFile(ini, data);
    return data;
}

QByteArray build(TProviderData data, const QDate &date = QDate(2026, 12, 7))
{
    PrepareForSave(data);
    QByteArray bytes;
    if (!BuildProviderFile(data, date, bytes))
        qFatal("unencodable text in a test model");
    return bytes;
}

// A file system that fails one chosen step of a safe write.
class FaultyFileSystem : public TFileSystem
{
public:
    enum Fault {
        None,
        FailTemp,
        ShortWrite,
        WriteError,
        FailSync,
        FailRename,
        Protection,
        OutOfMemory,
        LoseGroup
    };
    Fault fault = None;

    int CreateTempFile(const QString &dir, const QString &base, QString &temp, int &handle) override
    {
        if (fault == FailTemp)
            return 5;
        return TFileSystem::CreateTempFile(dir, base, temp, handle);
    }
    qint64 Write(int handle, const char *data, qint64 size) override
    {
        if (fault == ShortWrite)
            return TFileSystem::Write(handle, data, std::min<qint64>(size, 100) / 2);
        if (fault == WriteError)
            return -1;
        if (fault == OutOfMemory)
            throw std::bad_alloc();
        return TFileSystem::Write(handle, data, size);
    }
    int Sync(int handle) override { return fault == FailSync ? 112 : TFileSystem::Sync(handle); }
    int CopyPermissions(const QString &from, int handle, QStringList &notKept) override
    {
        const int rc = TFileSystem::CopyPermissions(from, handle, notKept);
        if (fault == LoseGroup)
            notKept.append(QStringLiteral("Gruppe"));
        return rc;
    }
    int Rename(const QString &from, const QString &to) override
    {
        return fault == FailRename ? 5 : TFileSystem::Rename(from, to);
    }
    bool IsWriteProtected(const QString &path) override
    {
        return fault == Protection || TFileSystem::IsWriteProtected(path);
    }
    bool RemoveWriteProtection(const QString &path) override
    {
        return fault != Protection && TFileSystem::RemoveWriteProtection(path);
    }
};

} // namespace

class TestProviderFile : public QObject
{
    Q_OBJECT
private slots:
    void workedExampleByteForByte();
    void workedExampleLoadsBack();
    void missingFileGivesEmptyModel();
    void providersSortedByBytes();
    void faultyLinesReportedInFileOrder();
    void readingLimits();
    void commonSectionIgnored();
    void rangesAndOptionsRead();
    void saveEdgeCases();
    void newKeyBesideKeyInOtherCase();
    void renamedProviderSavedWithoutWindow();
    void roundTripProperty();
    void saveReplacesFileKeepsPermissions();
    void saveFailuresLeaveEverything_data();
    void saveFailuresLeaveEverything();
    void writeProtectionNotRemovable();
    void whatTheNewFileCannotKeepIsSaid();
    void changedOnDiskAsksFirst();
    void unencodableNameIsRefused();
    void saveIsFaithful_data();
    void saveIsFaithful();
    void saveIsFaithfulOverFuzzCorpus();
    void sharedKeyStaysLinear();
    void filesWithByteOrderMark_data();
    void filesWithByteOrderMark();
};

void TestProviderFile::workedExampleByteForByte()
{
    QCOMPARE(build(workedExampleModel()), WorkedExample);
    // Saving the same model twice gives identical bytes.
    QCOMPARE(build(workedExampleModel()), build(workedExampleModel()));
}

void TestProviderFile::workedExampleLoadsBack()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    TProviderData data = load(User);
    QVERIFY(msgs.Messages().isEmpty());
    TProviderData expected = workedExampleModel();
    expected.SortAllEntries();
    QVERIFY(data.SameContent(expected));
    QCOMPARE(data.Entries(0, TDayClass::Weekday)[2].TimeTo, 86399);
    QVERIFY(!data.Modified);
    // The component is left closed, named "Rates.ini".
}

void TestProviderFile::missingFileGivesEmptyModel()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TProviderData data = load(User);
    QCOMPARE(data.Count(), 0);
    QVERIFY(msgs.Messages().isEmpty());
    QVERIFY(dir.Entries().isEmpty()); // the trial creation leaves nothing behind
    QVERIFY(!data.LoadedStamp.Exists);
}

void TestProviderFile::providersSortedByBytes()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(Main,
        CrLf({"[PROVIDER]", "P0=Zeta,ZETA0001", "P1=abc,ABCL0001", "P2=Alpha,ALPH0001",
            "P3=ABC,ABCU0001", "P4=_x,UNDE0001", "P5=\xC4rger,AERG0001", "[ZETA0001WERKTAG]",
            "ZETA00010=00:00-23:59/60/0.05", "[ALPH0001SASO]", "ALPH00010=00:00-23:59/1/0.01",
            "[FREISTUNDEN]", "ZETA0001=3600"}));
    TProviderData data = load(Main);
    QStringList names;
    for (const auto &p : data.ProviderList())
        names.append(p.Name);
    // Byte order: capitals, "_", small letters, then 0xC4 (Ä).
    QCOMPARE(names, (QStringList {"ABC", "Alpha", "Zeta", "_x", "abc", QStringLiteral("Ärger")}));
    // Options and entries follow their provider.
    QCOMPARE(data.Options(2).FreeHours, 3600);
    QCOMPARE(data.Entries(2, TDayClass::Weekday).size(), 1);
    QCOMPARE(data.Entries(1, TDayClass::Weekend).size(), 1);
    QCOMPARE(data.Options(1).FreeHours, 0);
    QVERIFY(msgs.Messages().isEmpty());
}

void TestProviderFile::faultyLinesReportedInFileOrder()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User,
        CrLf({"[PROVIDER]", "P0=Beispiel_Tarif,BEIS0001", "[BEIS0001WERKTAG]",
            "BEIS00010=0800-1759/60/0.03", "BEIS00011=08:00-25:00/60/0.03",
            "BEIS00012=08:00-17:59/60/abc", "BEIS00013=08:00-17:59/0/0.03", "BEIS00014= ; leer",
            "[BEIS0001SASO]", "BEIS00010=08:00-17:59/x/1"}));
    TProviderData data = load(User);
    QCOMPARE(msgs.Messages().size(), 4);
    QCOMPARE(msgs.Messages()[0].Text,
        QStringLiteral("Der Providereintrag für Schlüssel BEIS0001 ist "
                       "fehlerhaft! Providereintrag wird nicht gelesen!"));
    QCOMPARE(msgs.Messages()[0].Caption, QStringLiteral("Syntax Fehler"));
    QCOMPARE(msgs.Messages()[0].Kind, mkError);
    QCOMPARE(msgs.Messages()[0].Buttons, TMsgBoxButtons({btOK}));
    const QString step5 = QStringLiteral(
        "Eintrag für Provider Beispiel_Tarif ( BEIS0001WERKTAG ) ist nicht korrekt.");
    QCOMPARE(msgs.Messages()[1].Text, step5);
    QCOMPARE(msgs.Messages()[1].Caption, QStringLiteral("Fehler"));
    QCOMPARE(msgs.Messages()[2].Text, step5);
    QCOMPARE(msgs.Messages()[3].Text,
        QStringLiteral("Eintrag für Provider Beispiel_Tarif ( BEIS0001SASO ) ist nicht korrekt."));
    // The invalid time and the zero interval are gone; the unreadable fee stays with 0.
    const auto &weekday = data.Entries(0, TDayClass::Weekday);
    QCOMPARE(weekday.size(), 1);
    QCOMPARE(weekday[0].Interval, 60.0);
    QCOMPARE(weekday[0].Fee, 0.0);
    // An unreadable interval reads as 0 and the sort removes the entry.
    QVERIFY(data.Entries(0, TDayClass::Weekend).isEmpty());
}

void TestProviderFile::readingLimits()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    QByteArray file = "[PROVIDER]\r\n";
    for (int i = 0; i < 1030; ++i)
        file += QStringLiteral("P%1=N%2,K%2\r\n").arg(i).arg(i, 4, 10, QChar(u'0')).toLatin1();
    file += "[K0000WERKTAG]\r\n";
    for (int i = 0; i < 30; ++i)
        file += QStringLiteral("K0000%1=%2:00-%2:59/60/0.01\r\n")
                    .arg(i)
                    .arg(i % 24, 2, 10, QChar(u'0'))
                    .toLatin1();
    dir.Write(Main, file);
    TProviderData data = load(Main);
    QCOMPARE(data.Count(), 1025);
    QCOMPARE(data.ProviderList().last().Key, QStringLiteral("K1024"));
    // 21 entries (the first 21 lines), not 20; the lines not read are named
    // in one message, before a save would drop them.
    QCOMPARE(data.Entries(0, TDayClass::Weekday).size(), 21);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Die Datei ") + dir.FilePath(Main)
            + QStringLiteral(" enthält mehr Zeilen, als eingelesen werden (höchstens 1025 Provider "
                             "und je 21 Einträge für Werktag und Samstag/Sonntag/Feiertag). Die "
                             "folgenden Zeilen werden nicht gelesen und fehlen nach dem Speichern:"
                             "\rAbschnitt PROVIDER: 5 von 1030 Zeilen"
                             "\rProvider N0000 ( K0000WERKTAG ): 9 von 30 Zeilen")});
    QCOMPARE(msgs.Messages().constFirst().Caption, QStringLiteral("Fehler"));
}

void TestProviderFile::commonSectionIgnored()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    QByteArray without = WorkedExample;
    without.replace(
        "[COMMON]\r\nSTRVERSION=Korvan version 3.00\r\nVERSION=3.00\r\nFILEDATE=12/07/2026\r\n"
        "FILENAME=Providertarife_benutzerdefiniert\r\n",
        "");
    QVERIFY(without.size() < WorkedExample.size());
    dir.Write(User, without);
    const TProviderData a = load(User);
    dir.Write(User, WorkedExample);
    QVERIFY(load(User).SameContent(a));
}

void TestProviderFile::rangesAndOptionsRead()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User,
        CrLf({"[provider]", "P0=Nacht Surf,NACH0001;alt", "[NACH0001FREEHOURSRANGE]",
            "NACH00010=17|00:00-23:59/60/", "NACH00011=17|00:00-23:59/60",
            "NACH00012= 8|10:00-12:00/1.5/", "[TIMING]", "NACH0001=5000", "[MINCONNECTTIME]",
            "nach0001=-7", "[OPTIONS]", "NACH0001=yes", "[COSTSPERDAY]", "NACH0001=-3", "[NOCOSTS]",
            "NACH0001=abc", "[FreeHoursPerDay]", "NACH0001=YES ; ja"}));
    TProviderData data = load(User);
    QCOMPARE(data.Count(), 1);
    QCOMPARE(data.Provider(0).Name, QStringLiteral("NachtSurf"));
    const auto &o = data.Options(0);
    QCOMPARE(o.FreeHoursRanges.size(), 2);
    QCOMPARE(o.FreeHoursRanges[0], (TFreeHoursRange {(1 << 1) | (1 << 7), 0, 86340, 60}));
    QCOMPARE(o.FreeHoursRanges[1], (TFreeHoursRange {1 << 8, 36000, 43200, 1.5}));
    QCOMPARE(o.Timing, 1000.0);
    QCOMPARE(o.MinConnectTime, -1.0);
    QVERIFY(!o.Holidays2431);
    QCOMPARE(o.CostsPerDay, 0.0);
    QCOMPARE(o.NoCostsFrom, -1.0);
    QVERIFY(o.FreeHoursPerDay);
    QVERIFY(msgs.Messages().isEmpty());
}

void TestProviderFile::saveEdgeCases()
{
    TProviderData empty;
    empty.FileName = Main;
    const QByteArray bytes = build(empty);
    QVERIFY(bytes.endsWith("[COMMON]\r\nSTRVERSION=Korvan version 3.00\r\nVERSION=3.00\r\n"
                           "FILEDATE=12/07/2026\r\nFILENAME=Providertarife\r\n"));
    QCOMPARE(bytes.count("\r\n"), 16);

    TProviderData data = workedExampleModel();
    data.Options(0).NoCostsFrom = 0;
    data.Entries(0, TDayClass::Weekday)
        .append(MakeEntry(3600, 3659, 0, 1)); // interval 0: not written
    PrepareForSave(data);
    QCOMPARE(data.Options(0).NoCostsFrom, -1.0);
    QCOMPARE(data.Entries(0, TDayClass::Weekday).size(), 3);
    QCOMPARE(build(data), WorkedExample);

    // Sections of values written only when set appear only then.
    for (const char *s :
        {"[FreeHoursCosts]", "[COSTSPERDAY]", "[FreeHoursPerDay]", "[ISDNDoubleCosts]"})
        QVERIFY(!WorkedExample.contains(s));
    data.Options(1).CostsPerDay = 15;
    data.Options(1).ISDNDoubleCosts = true;
    const QByteArray more = build(data);
    QVERIFY(more.contains("[ISDNDoubleCosts]\r\nFLAT0001=YES\r\n[NOCOSTS]"));
    QVERIFY(more.endsWith("[COSTSPERDAY]\r\nFLAT0001=15\r\n"));
}

void TestProviderFile::newKeyBesideKeyInOtherCase()
{
    // A provider added beside one whose key differs from the fresh key only
    // in letter case gets a key of its own: after saving and loading, each
    // keeps its own entries and free hours.
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User,
        CrLf({"[PROVIDER]", "P0=Tele_Alt,tele0001", "[tele0001WERKTAG]",
            "tele00010=08:00-17:59/60/0.03", "[FREISTUNDEN]", "tele0001=3600"}));
    TProviderData data = load(User);
    QList<TKeyAndName> keys = data.ProviderList();
    AddNewProviderKey(QStringLiteral("Tele Neu"), keys);
    TProviderOptions o;
    o.FreeHours = 60;
    data.AppendProvider(
        {keys.last().Key, QStringLiteral("Tele_Neu"), {}, QStringLiteral("Tele Neu")}, o,
        {MakeEntry(0, 59, 60, 2)});
    dir.Write(User, build(data));
    const TProviderData back = load(User);
    QVERIFY(msgs.Messages().isEmpty());
    QCOMPARE(back.Count(), 2);
    QCOMPARE(back.Provider(1).Key, QStringLiteral("TELE0002"));
    QCOMPARE(back.Options(0).FreeHours, 3600);
    QCOMPARE(back.Options(1).FreeHours, 60);
    QCOMPARE(back.Entries(0, TDayClass::Weekday), data.Entries(0, TDayClass::Weekday));
    QCOMPARE(back.Entries(1, TDayClass::Weekday), data.Entries(1, TDayClass::Weekday));
}

static QString randomName(QRandomGenerator &rng)
{
    static const QString alphabet = QStringLiteral("ABCXYZabcxyz0129 -.äöüÄÖÜß€é#");
    QString s;
    const int n = 1 + rng.bounded(20);
    for (int i = 0; i < n; ++i)
        s.append(alphabet[rng.bounded(alphabet.size())]);
    // The name dialog keeps names free of these, and blanks at the ends vanish.
    return s.trimmed().isEmpty() ? QStringLiteral("X") : s.trimmed();
}

void TestProviderFile::renamedProviderSavedWithoutWindow()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    TProviderData data = load(User);
    QCOMPARE(data.Provider(0).DisplayName, QStringLiteral("Beispiel Tarif"));
    data.Provider(0).DisplayName = QStringLiteral("Neuer Name B");
    data.Modified = true;
    TTheIniFile ini;
    QCOMPARE(SaveProviderFile(ini, data, QDate(2026, 12, 7)), TSaveResult::Saved);
    QVERIFY(dir.Read(User).contains("\r\nP0=Neuer_Name_B,BEIS0001\r\n"));
    const TProviderData back = load(User);
    QVERIFY(msgs.Messages().isEmpty());
    // Loading sorts by name: the renamed provider now comes second.
    QCOMPARE(back.Provider(1).DisplayName, QStringLiteral("Neuer Name B"));
    QCOMPARE(back.Provider(1).Key, QStringLiteral("BEIS0001"));
    QCOMPARE(back.Entries(1, TDayClass::Weekday), data.Entries(0, TDayClass::Weekday));
}

void TestProviderFile::roundTripProperty()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 40; ++round) {
        TProviderData data;
        data.FileName = round % 2 ? Main : User;
        const int providers = rng.bounded(12);
        QList<TKeyAndName> keys;
        for (int i = 0; i < providers; ++i) {
            const QString display = randomName(rng);
            TKeyAndName p = NewProviderKey(display, keys);
            p.Name = SpaceToUnderscore(display).remove(u' ');
            p.DisplayName = UnderscoreToSpace(p.Name);
            keys.append(p);
            TProviderOptions o;
            o.FreeHours = rng.bounded(400000);
            o.FreeHoursCosts = rng.bounded(3) ? 0 : rng.bounded(10000) / 100.0;
            o.Holidays2431 = rng.bounded(2);
            o.BaseAmount = rng.bounded(100000);
            o.NoCostsFrom = rng.bounded(2) ? -1 : rng.bounded(1, 100000);
            o.Timing = rng.bounded(2) ? -1 : rng.bounded(1, 10000000) / 10000.0;
            o.MinConnectTime = rng.bounded(2) ? -1 : rng.bounded(1, 10000000) / 10000.0;
            o.CostsPerDay = rng.bounded(2) ? 0 : rng.bounded(1, 1000);
            o.BaseConnectPrice = rng.bounded(1000000) / 10000.0;
            o.FreeHoursPerDay = rng.bounded(2);
            o.ISDNDoubleCosts = rng.bounded(2);
            for (int r = rng.bounded(9); r > 0; --r)
                o.FreeHoursRanges.append(
                    {static_cast<std::uint16_t>(rng.bounded(1, 256) << 1), rng.bounded(1440) * 60,
                        rng.bounded(1440) * 60, rng.bounded(1, 10000000) / 10000.0});
            TTariffEntryList lists[2];
            for (auto &list : lists)
                for (int e = rng.bounded(21); e > 0; --e) {
                    const int from = rng.bounded(1440) * 60;
                    list.append(MakeEntry(from, rng.bounded(1440) * 60 + 59,
                        rng.bounded(1, 10000000) / 10000.0, rng.bounded(1000000) / 10000.0));
                }
            data.AppendProvider(p, o, lists[0], lists[1]);
        }
        const QByteArray first = build(data);
        dir.Write(data.FileName, first);
        TProviderData back = load(data.FileName);
        QVERIFY2(msgs.Messages().isEmpty(), qPrintable(msgs.Texts().join(u'\n')));

        // Compare with the model as saving leaves it, in the loader's order.
        TProviderData expected = data;
        PrepareForSave(expected);
        QList<TKeyAndName> sorted = expected.ProviderList();
        SortProviderList(sorted);
        QCOMPARE(back.Count(), expected.Count());
        for (int i = 0; i < back.Count(); ++i) {
            const int j = static_cast<int>(
                std::find_if(expected.ProviderList().begin(), expected.ProviderList().end(),
                    [&](const TKeyAndName &p) { return p.Key == back.Provider(i).Key; })
                - expected.ProviderList().begin());
            QCOMPARE(back.Provider(i), sorted[i]);
            QCOMPARE(back.Options(i), expected.Options(j));
            QCOMPARE(back.Entries(i, TDayClass::Weekday), expected.Entries(j, TDayClass::Weekday));
            QCOMPARE(back.Entries(i, TDayClass::Weekend), expected.Entries(j, TDayClass::Weekend));
        }
        // And the reloaded model writes the same sections again.
        QByteArray again = build(back);
        QCOMPARE(again.size() > 0, true);
        TProviderData reloaded;
        dir.Write(data.FileName, again);
        QVERIFY(load(data.FileName).SameContent(back));
    }
}

void TestProviderFile::saveReplacesFileKeepsPermissions()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    QFile::setPermissions(dir.FilePath(User),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    TTheIniFile ini;
    TProviderData data = load(User);
    data.Modified = true;
    data.Options(0).NoCostsFrom = 0;
    QCOMPARE(SaveProviderFile(ini, data, QDate(2026, 12, 7)), TSaveResult::Saved);
    QVERIFY(msgs.Messages().isEmpty());
    QCOMPARE(dir.Read(User), WorkedExample);
    QCOMPARE(dir.Entries(), QStringList {User});
    QVERIFY(!data.Modified);
    QCOMPARE(data.Options(0).NoCostsFrom, -1.0);
#ifndef Q_OS_WIN // Windows has no such bits: the attributes stay (tst_core_filesystem_win)
    QCOMPARE(QFile::permissions(dir.FilePath(User)),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser | QFileDevice::ReadGroup);
#endif
    QCOMPARE(data.LoadedStamp, FileStampOf(dir.FilePath(User)));

    // A file that did not exist is created.
    data.FileName = Main;
    data.LoadedStamp = {};
    QCOMPARE(SaveProviderFile(ini, data, QDate(2026, 12, 7)), TSaveResult::Saved);
    QVERIFY(dir.Read(Main).startsWith("; Provider.ini\r\n"));
}

void TestProviderFile::saveFailuresLeaveEverything_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("cannotReplace");
    QTest::addColumn<QString>("reason"); // the last line of the write failure's message
    QTest::newRow("temporary file") << int(FaultyFileSystem::FailTemp) << true
                                    << QStringLiteral("Fehler 5: Zugriff verweigert");
    QTest::newRow("short write") << int(FaultyFileSystem::ShortWrite) << false
                                 << QStringLiteral("Fehler 112: Datenträger voll");
    QTest::newRow("write error") << int(FaultyFileSystem::WriteError) << false
                                 << QStringLiteral(
                                        "Fehler 31: Gerät oder System meldet einen Fehler");
    QTest::newRow("flush to disk") << int(FaultyFileSystem::FailSync) << false
                                   << QStringLiteral("Fehler 112: Datenträger voll");
    QTest::newRow("memory runs out") << int(FaultyFileSystem::OutOfMemory) << false
                                     << QStringLiteral("Fehler 8: nicht genügend Arbeitsspeicher");
    QTest::newRow("rename") << int(FaultyFileSystem::FailRename) << false
                            << QStringLiteral("Fehler 5: Zugriff verweigert");
}

void TestProviderFile::saveFailuresLeaveEverything()
{
    QFETCH(int, fault);
    QFETCH(bool, cannotReplace);
    QFETCH(QString, reason);
    TempProgramDir dir;
    MsgRecorder msgs;
    const QByteArray old = WorkedExample + "; alte Zeile\r\n";
    dir.Write(User, old);
    TTheIniFile ini;
    TProviderData data = load(User);
    data.Entries(1, TDayClass::Weekday)
        .prepend(MakeEntry(0, 59, 1, 9)); // unsorted, as a command may leave it
    data.Options(0).NoCostsFrom = 0;
    data.Modified = true;
    const TProviderData before = data;

    FaultyFileSystem fs;
    fs.fault = FaultyFileSystem::Fault(fault);
    TScopedFileSystem scoped(&fs);
    const TSaveResult result = SaveProviderFile(ini, data, QDate(2026, 12, 7));

    QCOMPARE(result, cannotReplace ? TSaveResult::CannotReplace : TSaveResult::WriteFailed);
    QCOMPARE(dir.Read(User), old);
    QCOMPARE(dir.Entries(), QStringList {User});
    QVERIFY(data.SameContent(before));
    QCOMPARE(data.Entries(1, TDayClass::Weekday)[0].Fee, 9.0); // not even sorted
    QCOMPARE(data.Options(0).NoCostsFrom, 0.0);
    QVERIFY(data.Modified);
    const QString path = dir.FilePath(User);
    QCOMPARE(msgs.Texts(),
        QStringList {cannotReplace ? QStringLiteral("Konnte ") + path
                    + QStringLiteral(" nicht löschen!\rSpeicherung kann nicht erfolgen!\r") + reason
                                   : QStringLiteral("Konnte ") + path
                    + QStringLiteral(" nicht speichern!\rDie bisherige Datei bleibt unverändert.\r")
                    + reason});
    QCOMPARE(msgs.Messages()[0].Caption, QStringLiteral("Fehler"));
    QCOMPARE(msgs.Messages()[0].Kind, mkError);
}

void TestProviderFile::writeProtectionNotRemovable()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    TTheIniFile ini;
    TProviderData data = load(User);
    FaultyFileSystem fs;
    fs.fault = FaultyFileSystem::Protection;
    TScopedFileSystem scoped(&fs);
    QCOMPARE(SaveProviderFile(ini, data, QDate(2027, 1, 1)), TSaveResult::CannotReplace);
    const QString path = dir.FilePath(User);
    QCOMPARE(msgs.Texts(),
        (QStringList {
            QStringLiteral("Kann Schreibschutz von ") + path + QStringLiteral(" nicht entfernen!"),
            QStringLiteral("Konnte ") + path
                + QStringLiteral(" nicht löschen!\rSpeicherung kann nicht erfolgen!\rFehler 5: "
                                 "Zugriff verweigert")}));
    QCOMPARE(dir.Read(User), WorkedExample);
}

void TestProviderFile::whatTheNewFileCannotKeepIsSaid()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    TTheIniFile ini;
    TProviderData data = load(User);
    FaultyFileSystem fs;
    fs.fault = FaultyFileSystem::LoseGroup;
    TScopedFileSystem scoped(&fs);
    QCOMPARE(SaveProviderFile(ini, data, QDate(2027, 1, 1)), TSaveResult::Saved);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Die Datei ") + dir.FilePath(User)
            + QStringLiteral(" wurde gespeichert.\rVon der bisherigen Datei konnte nicht "
                             "übernommen werden: Gruppe.")});
    QCOMPARE(msgs.Messages()[0].Kind, mkWarning);
}

void TestProviderFile::changedOnDiskAsksFirst()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, WorkedExample);
    TProviderData data = load(User);
    QVERIFY(ConfirmOverwriteIfChanged(data));
    QVERIFY(msgs.Messages().isEmpty());

    // Another program replaces the file (another size).
    dir.Write(User, WorkedExample + "; neu\r\n");
    msgs.Answer(idNo);
    QVERIFY(!ConfirmOverwriteIfChanged(data));
    QCOMPARE(msgs.Messages().size(), 1);
    QCOMPARE(msgs.Messages()[0].Text,
        QStringLiteral("Die Datei ") + dir.FilePath(User)
            + QStringLiteral(" wurde seit dem Einlesen von einem anderen Programm geändert.\r"
                             "Trotzdem speichern und die dortigen Änderungen überschreiben?"));
    QCOMPARE(msgs.Messages()[0].Caption, QStringLiteral("Bestätigung"));
    QCOMPARE(msgs.Messages()[0].Buttons, TMsgBoxButtons({btYesNo}));
    msgs.Answer(idYes);
    QVERIFY(ConfirmOverwriteIfChanged(data));

    // Deleted meanwhile counts as changed too; a file that never existed does not.
    QFile::remove(dir.FilePath(User));
    msgs.Answer(idNo);
    QVERIFY(!ConfirmOverwriteIfChanged(data));
    msgs.Clear();
    TProviderData fresh = load(Main);
    QFile::remove(dir.FilePath(Main));
    QVERIFY(ConfirmOverwriteIfChanged(fresh));
    QVERIFY(msgs.Messages().isEmpty());
}

void TestProviderFile::unencodableNameIsRefused()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TTheIniFile ini;
    TProviderData data = workedExampleModel();
    data.Modified = true;
    data.Provider(0).DisplayName = QStringLiteral("Omega Ω");
    QCOMPARE(SaveProviderFile(ini, data), TSaveResult::WriteFailed);
    QVERIFY(dir.Entries().isEmpty());
    QVERIFY(data.Modified);
    QCOMPARE(msgs.Messages().size(), 1);
}

void TestProviderFile::saveIsFaithful_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message"); // the first message of the first load
    const QString noMessage;
    QTest::newRow("value in a pair of quotes") << CrLf(
        {"[PROVIDER]", "P0=\"\"Quote,QKEY\"\"", "[QKEY\"WERKTAG]", "QKEY\"0=08:00-17:59/60/0.03"})
                                               << noMessage;
    QTest::newRow("name starting with a tab")
        << CrLf({"[PROVIDER]", "P0=\"\tTab,TKEY\"", "[TKEYSASO]", "TKEY0=08:00-17:59/60/0.03"})
        << noMessage;
    QTest::newRow("key ending in a tab")
        << CrLf({"[PROVIDER]", "P1=Tab,TKEY\t;c", "P2=Gut,GKEY", "[TKEY]", "[TIMING]", "TKEY=5",
               "GKEY=7"})
        << QStringLiteral("Der Providereintrag für Schlüssel TKEY\t ist fehlerhaft! "
                          "Providereintrag wird nicht gelesen!");
    QTest::newRow("key with =, [ or ;")
        << CrLf({"[PROVIDER]", "P0=A,K=1", "P1=B,[K", "P2=C,\";K\""})
        << QStringLiteral("Der Providereintrag für Schlüssel K=1 ist fehlerhaft! Providereintrag "
                          "wird nicht gelesen!");
    QTest::newRow("numbers finer than four decimals") << CrLf(
        {"[PROVIDER]", "P0=F,FEIN", "[FEINWERKTAG]", "FEIN0=08:00-17:59/0.00001/1e-7",
            "[FEINFREEHOURSRANGE]", "FEIN0=1|00:00-01:00/0.00002/", "[TIMING]", "FEIN=0.00001",
            "[BASECONNECTPRICE]", "FEIN=-0.00001"}) << noMessage;
    QTest::newRow("whole numbers and costs not written") << CrLf({"[PROVIDER]", "P0=W,WHOL",
        "[NOCOSTS]", "WHOL=2500.4", "[COSTSPERDAY]", "WHOL=0.4", "[FreeHoursCosts]", "WHOL=-5"})
                                                         << noMessage;
    QTest::newRow("free hours beyond the field") << CrLf({"[PROVIDER]", "P0=Frei,FREI",
        "P1=Mehr,MEHR", "[FREISTUNDEN]", "FREI=-360000659", "MEHR=2147483647"})
                                                 << noMessage;
    QTest::newRow("key longer than the bound")
        << "[PROVIDER]\r\nP0=Lang," + QByteArray(65, 'K') + "\r\nP1=Kurz,KURZ\r\n["
            + QByteArray(65, 'K') + "FREEHOURSRANGE]\r\n" + QByteArray(65, 'K')
            + "0=1|00:00-01:00/60/\r\n"
        << QStringLiteral("Der Providereintrag für Schlüssel ") + QString(64, u'K')
            + QStringLiteral("… ist fehlerhaft! Providereintrag wird nicht gelesen!");
    QTest::newRow("equal names, equal times") << CrLf({"[PROVIDER]", "P0=Gleich,K2", "P1=Gleich,K1",
        "[K1WERKTAG]", "K10=08:00-17:59/60/2", "K11=08:00-17:59/60/1", "K12=08:00-17:59/60/3"})
                                              << noMessage;
}

void TestProviderFile::saveIsFaithful()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, file);
    const TProviderData first = load(User);
    QCOMPARE(msgs.Texts().value(0), message);
    QVERIFY(first.Count() > 0);
    const QString fault = SaveRoundTrip::Check(file);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestProviderFile::saveIsFaithfulOverFuzzCorpus()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    const QDir corpus(QStringLiteral(TE_SOURCE_DIR "/fuzz/corpus"));
    const QStringList files = corpus.entryList(QDir::Files);
    QVERIFY(files.size() >= 6);
    const QString bound = SaveRoundTrip::CheckSizeBound();
    QVERIFY2(bound.isEmpty(), qPrintable(bound));
    for (const QString &name : files) {
        QFile f(corpus.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString fault = SaveRoundTrip::Check(f.readAll());
        QVERIFY2(fault.isEmpty(), qPrintable(name + QStringLiteral(": ") + fault));
    }
}

void TestProviderFile::sharedKeyStaysLinear()
{
    // 1025 providers naming one key (in two letter cases) and one range
    // section: the section is read once and written once.
    QByteArray file = "[PROVIDER]\r\n";
    for (int i = 0; i < 1025; ++i)
        file += "P" + QByteArray::number(i) + "=N" + QByteArray::number(i)
            + (i % 2 ? ",SAME\r\n" : ",same\r\n");
    file += "[SAMEFREEHOURSRANGE]\r\n";
    for (int j = 0; j < 2000; ++j)
        file += "SAME" + QByteArray::number(j) + "=1|00:00-01:00/60/\r\n";
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, file);
    const TProviderData data = load(User);
    QCOMPARE(data.Count(), 1025);
    for (int i = 0; i < data.Count(); ++i) {
        QCOMPARE(data.Options(i).FreeHoursRanges.size(), 2000);
        QCOMPARE(data.Options(i).FreeHoursRanges.constData(),
            data.Options(0).FreeHoursRanges.constData());
    }
    const QByteArray saved = build(data);
    QCOMPARE(saved.count("FREEHOURSRANGE]"), 1);
    QCOMPARE(saved.count("|00:00-01:00/60.0000/"), 2000);
}

void TestProviderFile::filesWithByteOrderMark_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name"); // of the one provider read
    const QString text
        = QStringLiteral("[PROVIDER]\r\nP0=Müller_Net,MULL0001\r\n[MULL0001WERKTAG]\r\n"
                         "MULL00010=00:00-23:59/60/0.01\r\n");
    auto utf16 = [](const QString &t, QStringConverter::Encoding e) {
        QStringEncoder encoder(e, QStringEncoder::Flag::WriteBom);
        return QByteArray(encoder.encode(t));
    };
    QTest::newRow("UTF-16 LE") << utf16(text, QStringConverter::Utf16LE)
                               << QStringLiteral("Müller_Net");
    QTest::newRow("UTF-16 BE") << utf16(text, QStringConverter::Utf16BE)
                               << QStringLiteral("Müller_Net");
    QTest::newRow("UTF-8") << "\xEF\xBB\xBF" + text.toUtf8() << QStringLiteral("Müller_Net");
    // A byte that is no UTF-8 is read as Windows-1252.
    QTest::newRow("UTF-8 with a Windows-1252 byte")
        << "\xEF\xBB\xBF" + text.toUtf8().replace("\xC3\xBC", "\xFC\xE4")
        << QStringLiteral("Müäller_Net");
    QTest::newRow("UTF-16 with a character beyond Windows-1252")
        << utf16(QString(text).replace(u'ü', u'Ω'), QStringConverter::Utf16LE)
        << QStringLiteral("MΩller_Net");
}

void TestProviderFile::filesWithByteOrderMark()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, file);
    TProviderData data = load(User);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Die Datei ") + dir.FilePath(User)
            + QStringLiteral(" ist als Unicode gespeichert. Sie wird beim Speichern im "
                             "Windows-Zeichensatz geschrieben.")});
    QCOMPARE(data.Count(), 1);
    QCOMPARE(data.Provider(0).Name, name);
    QCOMPARE(data.Entries(0, TDayClass::Weekday).size(), 1);

    // Saved in Windows-1252, or refused when a character has no byte there.
    msgs.Clear();
    const bool encodable = Cp1252::canEncode(name);
    TTheIniFile ini;
    QCOMPARE(SaveProviderFile(ini, data, QDate(2026, 12, 7)),
        encodable ? TSaveResult::Saved : TSaveResult::WriteFailed);
    if (encodable) {
        QVERIFY(dir.Read(User).contains("P0=" + Cp1252::encode(name) + ",MULL0001\r\n"));
        QCOMPARE(load(User).Entries(0, TDayClass::Weekday), data.Entries(0, TDayClass::Weekday));
    } else {
        QCOMPARE(dir.Read(User), file);
    }
}

QTEST_GUILESS_MAIN(TestProviderFile)
#include "tst_core_providerfile.moc"
