#include "TestSupport.h"

#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/IniDocument.h"
#include "support/TheIniFile.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>

#include <array>

namespace {

const QString NoFileName = QStringLiteral("Bitte Dateiname angeben.");

// Write protection that cannot be removed, or a rename that fails.
class StubbornFs : public TFileSystem
{
public:
    bool protectedForGood = false;
    int renameCode = 0;
    bool IsWriteProtected(const QString &path) override
    {
        return protectedForGood || TFileSystem::IsWriteProtected(path);
    }
    bool RemoveWriteProtection(const QString &path) override
    {
        return !protectedForGood && TFileSystem::RemoveWriteProtection(path);
    }
    int Rename(const QString &from, const QString &to) override
    {
        return renameCode ? renameCode : TFileSystem::Rename(from, to);
    }
};

// An open component on dir/name (loProgDir) with the given section.
void openIni(TTheIniFile &ini, const QString &name, const QString &section = QStringLiteral("A"))
{
    ini.SetIniLocation(loProgDir);
    ini.SetIniFileName(name);
    ini.SetSection(section);
    ini.SetOpen(true);
}

} // namespace

class TestIni : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void lineEndsAndRoundTrip_data();
    void lineEndsAndRoundTrip();
    void namesValuesAndDuplicates();
    void allByteValuesAndLargeData();
    void placementOfChanges();
    void rewritingOverAndOver();
    void writtenDocumentSerializes();
    void sectionWrittenWhole();
    void refusesTextThatWouldNotReadBack();
    void readsAndErrorCodes();
    void namesFoldAlikeInEveryEncoding_data();
    void namesFoldAlikeInEveryEncoding();
    void rawValuesReadAsText_data();
    void rawValuesReadAsText();
    void notReadyShowsMessage();
    void missingFileAndDirectory();
    void writeProtection();
    void commentLinesAndDelete();
    void locations();
    void failedWriteKeepsOldFile();
};

void TestIni::lineEndsAndRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("; top\r\n[A]\r\nk=1\r\n\r\nx=2\r\n");
    QTest::newRow("LF") << QByteArray("; top\n[A]\nk=1\n\nx=2\n");
    QTest::newRow("CR") << QByteArray("; top\r[A]\rk=1\r\rx=2\r");
    QTest::newRow("mixed, no final end") << QByteArray("; top\r\n[A]\nk=1\r\rx=2");
}

void TestIni::lineEndsAndRoundTrip()
{
    QFETCH(QByteArray, bytes);
    const TIniDocument doc = TIniDocument::ParseBytes(bytes);
    QCOMPARE(doc.Value("A", "k"), QByteArray("1"));
    QCOMPARE(doc.Value("A", "x"), QByteArray("2"));
    QCOMPARE(doc.Serialize(), QByteArray("; top\r\n[A]\r\nk=1\r\n\r\nx=2\r\n"));
}

// The byte literals are split where a hex escape ends.
// clang-format off
void TestIni::namesValuesAndDuplicates()
{
    static const char raw[] = "k=before any section\r\n"
                              "[ Gr\xFC\xDF" "e ]\r\n"
                              " \tSch\xE4tze\t = \t \"quoted \" \t\r\n"
                              "single='x'\r\nlone=\"\r\nmixed=\"a'\r\n"
                              "bare key\r\n; comment=1\r\n=no name\r\n"
                              "Key=first\r\nKEY=second\r\nnul=a\0b\r\n"
                              "[GR\xDC\xDF" "E]\r\nhidden=1\r\n[\xFF]\r\nk=y\r\n";
    TIniDocument d = TIniDocument::ParseBytes(QByteArray(raw, sizeof raw - 1));
    const QByteArray sec = "gR\xDC\xDF" "e"; // case and umlaut folding
    QCOMPARE(d.Value(sec, " SCH\xC4TZE "), QByteArray("quoted "));
    QCOMPARE(d.Value(sec, "single"), QByteArray("x"));
    QCOMPARE(d.Value(sec, "lone"), QByteArray("\""));
    QCOMPARE(d.Value(sec, "mixed"), QByteArray("\"a'"));
    QCOMPARE(d.Value(sec, "Bare Key"), QByteArray(""));
    QCOMPARE(d.Value(sec, "key"), QByteArray("first"));
    QCOMPARE(d.Value(sec, "nul"), QByteArray("a\0b", 3));
    QCOMPARE(d.Value(sec, "; comment"), std::nullopt);
    QCOMPARE(d.Value(sec, "hidden"), std::nullopt); // the repeated section is not consulted
    QCOMPARE(d.Value("\x9F", "K"), QByteArray("y"));  // 0xFF folds to 0x9F
    QList<QByteArray> keys;
    d.ForEachKey(sec, [&](QByteArrayView k) { return keys.append(k.toByteArray()), true; });
    QCOMPARE(keys, (QList<QByteArray> {"Sch\xE4tze", "single", "lone", "mixed", "bare key", "Key",
                                       "KEY", "nul"}));
    d.EraseSection("gr\xFC\xDF" "e");
    QCOMPARE(d.Serialize(), QByteArray("k=before any section\r\n[\xFF]\r\nk=y\r\n"));
    QVERIFY(d.IsModified());
}
// clang-format on

void TestIni::allByteValuesAndLargeData()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all.append(char(b));
    // A key name cannot hold "=" nor end in blanks; the value is enclosed so
    // that its blanks survive trimming.
    QByteArray key = all;
    key.replace('=', "");
    key = key.mid(key.indexOf('!'));
    const QByteArray file = ";" + all + "\r\n[S]\r\n" + key + "=\"" + all + "\"\r\n";
    TIniDocument doc = TIniDocument::ParseBytes(file);
    QCOMPARE(doc.Serialize(), file);
    QCOMPARE(doc.Value("S", key), all);

    TempProgramDir dir;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("big.ini"), QStringLiteral("S"));
    const QString bigValue(1024 * 1024, u'v');
    ini.WriteString(QStringLiteral("Big"), bigValue);
    for (int i = 0; i < 40000; ++i)
        ini.WriteString(QStringLiteral("K%1").arg(39999 - i), QString::number(i));
    ini.SetOpen(false);
    ini.SetOpen(true);
    QCOMPARE(ini.ReadString(QStringLiteral("big"), QString()), bigValue);
    QStringList keys;
    ini.ReadSection(keys);
    QCOMPARE(keys.size(), 40001);
    QCOMPARE(keys.at(1), QStringLiteral("K39999"));
    QCOMPARE(keys.last(), QStringLiteral("K0"));
    QCOMPARE(ini.ReadString(QStringLiteral("k0"), QString()), QStringLiteral("39999"));
}

void TestIni::placementOfChanges()
{
    TIniDocument doc
        = TIniDocument::ParseBytes("; header\r\n[A]\r\n  KeY = old\r\nbare\r\n; about B\r\n\r\n"
                                   "[B]\r\n; only a comment\r\n");
    QVERIFY(!doc.IsModified());
    QVERIFY(doc.SetValue("a", "key", "new"));
    QVERIFY(doc.SetValue("A", "BARE", "set"));
    QVERIFY(doc.SetValue("A", "added", "1"));
    QVERIFY(doc.SetValue("B", "b", "2"));
    QVERIFY(doc.SetValue(" C ", " c ", "3"));
    QVERIFY(doc.AppendLine("[D]"));
    QVERIFY(doc.AppendLine("d=4"));
    QCOMPARE(doc.Serialize(),
        QByteArray("; header\r\n[A]\r\n  KeY = new\r\nbare=set\r\nadded=1\r\n"
                   "; about B\r\n\r\n[B]\r\nb=2\r\n; only a comment\r\n"
                   "[C]\r\nc=3\r\n[D]\r\nd=4\r\n"));
    QCOMPARE(doc.Value("d", "D"), QByteArray("4"));
    QVERIFY(doc.IsModified());
}

void TestIni::rewritingOverAndOver()
{
    // Values that shrink and grow, sections erased and written again: the
    // document keeps only what is in it and gives it back unchanged.
    TIniDocument doc = TIniDocument::ParseBytes("[Keep]\r\nk=v\r\n");
    QByteArray expected, value;
    for (int round = 0; round < 3000; ++round) {
        value = QByteArray(round % 7 * 50, char('a' + round % 26));
        QVERIFY(doc.SetValue("Keep", "k", value));
        QVERIFY(
            doc.SetValue("Keep", "n" + QByteArray::number(round % 5), QByteArray::number(round)));
        doc.EraseSection("Gone");
        expected = "[Gone]\r\n";
        for (int i = 0; i < 20; ++i) {
            const QByteArray line
                = "g" + QByteArray::number(i) + "=" + QByteArray(round % 3 * 40, 'x');
            QVERIFY(
                doc.SetValue("Gone", "g" + QByteArray::number(i), line.mid(line.indexOf('=') + 1)));
            expected += line + "\r\n";
        }
        QCOMPARE(doc.Value("keep", "K"), value);
    }
    QCOMPARE(doc.Serialize(),
        "[Keep]\r\nk=" + value + "\r\nn0=2995\r\nn1=2996\r\nn2=2997\r\nn3=2998\r\nn4=2999\r\n"
            + expected);
}

void TestIni::writtenDocumentSerializes()
{
    // A document made by writing alone: its bytes given out stay as they
    // were while it changes in place, shrinks a line, loses a section.
    TIniDocument doc;
    QVERIFY(doc.AppendLine("; top"));
    QVERIFY(doc.SetValue("A", "k", "12"));
    QVERIFY(doc.SetValue("A", "m", "x"));
    const QByteArray first = doc.Serialize();
    QCOMPARE(first, QByteArray("; top\r\n[A]\r\nk=12\r\nm=x\r\n"));
    QVERIFY(doc.SetValue("a", "K", "34"));
    QCOMPARE(doc.Serialize(), QByteArray("; top\r\n[A]\r\nk=34\r\nm=x\r\n"));
    QVERIFY(doc.SetValue("A", "k", "5"));
    QCOMPARE(doc.Serialize(), QByteArray("; top\r\n[A]\r\nk=5\r\nm=x\r\n"));
    doc.EraseSection("a");
    QVERIFY(doc.SetValue("B", "b", "1"));
    QCOMPARE(doc.Serialize(), QByteArray("; top\r\n[B]\r\nb=1\r\n"));
    QCOMPARE(first, QByteArray("; top\r\n[A]\r\nk=12\r\nm=x\r\n"));
}

void TestIni::sectionWrittenWhole()
{
    TIniDocument doc
        = TIniDocument::ParseBytes("[S]\r\nold=1\r\n[T]\r\nt=1\r\n[s]\r\nrepeat=2\r\n");
    {
        auto w = doc.WriteSection(" s ");
        QVERIFY(w.Add("k", "1"));
        QVERIFY(w.Add(" K ", " two ")); // not looked up: a second line
        QVERIFY(!w.Add("a=b", "x")); // refused like SetValue, nothing added
        QVERIFY(!w.Add(";c", "x"));
        QVERIFY(!w.Add("v", "x\ny"));
        QVERIFY(w.Add("q", "'q'"));
    }
    QVERIFY(!doc.WriteSection("Gone").Add("k\r", "1"));
    doc.WriteSection("T"); // only erased
    QVERIFY(!doc.WriteSection("new\nline").Add("k", "1"));
    QCOMPARE(doc.Serialize(), QByteArray("[s]\r\nk=1\r\nK=\" two \"\r\nq=\"'q'\"\r\n"));
    // Lookups find the first of a repeated key, in order and by name.
    QCOMPARE(doc.Value("S", "k"), QByteArray("1"));
    QList<QByteArray> values;
    doc.ForEachValue("s", [&](QByteArrayView v) {
        values.append(v.toByteArray());
        return true;
    });
    QCOMPARE(values, QList<QByteArray>({"1", "1", "'q'"}));
    // Changing it afterwards changes the first line.
    QVERIFY(doc.SetValue("s", "K", "3"));
    QVERIFY(doc.SetValue("s", "n", "4"));
    QCOMPARE(doc.Serialize(), QByteArray("[s]\r\nk=3\r\nK=\" two \"\r\nq=\"'q'\"\r\nn=4\r\n"));
}

void TestIni::refusesTextThatWouldNotReadBack()
{
    TIniDocument doc = TIniDocument::ParseBytes("[A]\r\nk=1\r\n");
    for (const auto &[section, key, value] :
        std::initializer_list<std::tuple<QByteArray, QByteArray, QByteArray>> {
            {"A", "k", "1\r\n[X]"}, {"A", "a=b", "1"}, {"A", ";k", "1"}, {"A", "[X]", "1"},
            {"A\nB", "k", "1"}, {"  ", "k", "1"}, {"A", " ", "1"}, {"A", "k\r", "1"},
            {"A\rB", "k", "1"}, {"A", "k", "a\rb"}, {"A", "k", "a\nb"}})
        QVERIFY2(!doc.SetValue(section, key, value), key.constData());
    QVERIFY(!doc.AppendLine("; two\nlines"));
    QVERIFY(!doc.IsModified());

    TempProgramDir dir;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    ini.WriteString(QStringLiteral("k"), QStringLiteral("中"));
    QCOMPARE(ini.ErrorCode(), 1113);
    ini.WriteString(QStringLiteral("k"), QStringLiteral("a\nb"));
    QCOMPARE(ini.ErrorCode(), 87);
    QVERIFY(ini.Release());
    QVERIFY(!QFile::exists(dir.FilePath(QStringLiteral("a.ini"))));
}

void TestIni::readsAndErrorCodes()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"),
        "[A]\r\nempty=\r\nword=INIERROR\r\nv=Gr\xFC\xDF"
        "e\r\nV=later\r\n"
        "[Empty]\r\n; none\r\n");
    MsgRecorder msgs;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    QCOMPARE(ini.ErrorCode(), 0);
    auto check = [&](const QString &ident, const QString &expected, int code) {
        QCOMPARE(ini.ReadString(ident, QStringLiteral("def")), expected);
        QCOMPARE(ini.ErrorCode(), code);
    };
    check(QStringLiteral("empty"), QString(), 0);
    check(QStringLiteral("missing"), QStringLiteral("def"), -1);
    check(QString(), QString(), 0);
    check(QStringLiteral("word"), QStringLiteral("def"), -1);
    check(QStringLiteral("V"), QStringLiteral("Grüße"), 0);
    check(QStringLiteral("中"), QStringLiteral("def"), -1);

    // Values in file order, each as ReadString gives it for the name.
    auto values = [&](qsizetype limit) {
        QStringList seen;
        ini.ForEachValue([&](const QString &v) { seen.append(v); }, limit);
        return seen;
    };
    QCOMPARE(values(-1),
        (QStringList {QString(), QString(), QStringLiteral("Grüße"), QStringLiteral("Grüße")}));
    QCOMPARE(ini.ErrorCode(), 0);
    QCOMPARE(values(1), QStringList {QString()});

    QStringList list {QStringLiteral("stale")};
    ini.SetSection(QStringLiteral("empty"));
    QVERIFY(values(-1).isEmpty());
    QCOMPARE(ini.ErrorCode(), -1);
    ini.ReadSection(list);
    QVERIFY(list.isEmpty());
    QCOMPARE(ini.ErrorCode(), -1);
    ini.WriteString(QString(), QStringLiteral("x"));
    QCOMPARE(ini.ErrorCode(), 0);
    ini.SetSection(QStringLiteral("Ä"));
    ini.WriteString(QStringLiteral("ö"), QStringLiteral("ü"));
    QVERIFY(msgs.Texts().isEmpty());

    // A new file name writes the changes of the open file first.
    ini.SetIniFileName(QStringLiteral("b.ini"));
    QVERIFY(!ini.Open());
    QVERIFY(dir.Read(QStringLiteral("a.ini")).endsWith("; none\r\n[\xC4]\r\n\xF6=\xFC\r\n"));
}

void TestIni::namesFoldAlikeInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("file");
    const QString text
        = QStringLiteral("[grün]\r\nÄpfel=1\r\n[Ü]\r\nk=2\r\n[ÿ]\r\nk=3\r\n[š]\r\nk=4\r\n");
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::newRow("Windows-1252") << Cp1252::encode(text);
    QTest::newRow("UTF-8") << "\xEF\xBB\xBF" + text.toUtf8();
    QTest::newRow("UTF-16") << QByteArray(utf16.encode(text));
}

void TestIni::namesFoldAlikeInEveryEncoding()
{
    // A file with a byte order mark matches names as a Windows-1252 file does.
    QFETCH(QByteArray, file);
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), file);
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    const QList<std::array<QString, 3>> lookups {
        {QStringLiteral("GRÜN"), QStringLiteral("äPFEL"), QStringLiteral("1")},
        {QStringLiteral("ü"), QStringLiteral("K"), QStringLiteral("2")},
        {QStringLiteral("Ì"), QStringLiteral("k"), QStringLiteral("none")},
        {QStringLiteral("Ÿ"), QStringLiteral("k"), QStringLiteral("3")},
        {QStringLiteral("Š"), QStringLiteral("k"), QStringLiteral("4")}};
    for (const auto &[section, ident, value] : lookups) {
        ini.SetSection(section);
        QCOMPARE(ini.ReadString(ident, QStringLiteral("none")), value);
    }
}

void TestIni::rawValuesReadAsText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("limit");
    const QByteArray file = "[A]\r\nempty=\r\nword=INIERROR\r\nv= \"Gr\xFC\xDF"
                            "e\" \r\nV=later\r\n"
                            "\xE4=\x80 ; x\r\nnone\r\n[\xC4]\r\n\xF6=\xFC\r\n[a]\r\nlost=1\r\n";
    QTest::newRow("all") << file << QStringLiteral("A") << -1;
    QTest::newRow("first two") << file << QStringLiteral("a") << 2;
    QTest::newRow("umlaut section") << file << QStringLiteral("ä") << -1;
    QTest::newRow("missing section") << file << QStringLiteral("B") << -1;
    QTest::newRow("section without bytes") << file << QStringLiteral("中") << -1;
    QTest::newRow("unicode file") << "\xEF\xBB\xBF" + file << QStringLiteral("A") << -1;
}

void TestIni::rawValuesReadAsText()
{
    // Values as bytes decode to the texts ReadString and ForEachValue give,
    // with the same error codes; a Unicode file has no such bytes.
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(int, limit);
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), file);
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"), section);
    const bool unicode = ini.ByteOrderMark() != Cp1252::TByteOrderMark::None;
    QStringList texts, fromBytes;
    ini.ForEachValue([&](const QString &v) { texts.append(v); }, limit);
    const int code = ini.ErrorCode();
    ini.SetErrorCode(9);
    QCOMPARE(
        ini.ForEachRawValue(
            [&](QByteArrayView v) { fromBytes.append(Cp1252::decode(v.data(), v.size())); }, limit),
        !unicode);
    QCOMPARE(ini.ErrorCode(), unicode ? 9 : code);
    QCOMPARE(fromBytes, unicode ? QStringList() : texts);

    QStringList keys;
    ini.ReadSection(keys);
    for (const QString &key : keys + QStringList {QStringLiteral("missing"), QString()}) {
        const QString text = ini.ReadString(key, QStringLiteral("def"));
        const int textCode = ini.ErrorCode();
        const auto bytes = ini.ReadRawString(Cp1252::encode(key));
        QCOMPARE(ini.ErrorCode(), unicode ? -1 : textCode);
        if (!unicode)
            QCOMPARE(
                bytes ? Cp1252::decode(bytes->data(), bytes->size()) : QStringLiteral("def"), text);
    }
}

void TestIni::notReadyShowsMessage()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
    MsgRecorder msgs;
    TTheIniFile ini;
    ini.SetIniLocation(loProgDir);
    ini.SetIniFileName(QStringLiteral("a.ini"));
    ini.SetSection(QStringLiteral("A"));
    ini.SetErrorCode(9);
    QCOMPARE(ini.ReadString(QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
    QCOMPARE(ini.ErrorCode(), 0);
    QStringList list {QStringLiteral("kept")};
    ini.ReadSection(list);
    ini.WriteString(QStringLiteral("k"), QStringLiteral("2"));
    ini.EraseSection();
    QVERIFY(!ini.ReadRawString("k"));
    bool visited = false;
    QVERIFY(ini.ForEachRawValue([&](QByteArrayView) { visited = true; }));
    QVERIFY(!visited);
    QCOMPARE(list, QStringList {QStringLiteral("kept")});
    QCOMPARE(msgs.Texts(), QStringList(6, NoFileName));
    QCOMPARE(msgs.Messages().first().Kind, mkPlain);
    QCOMPARE(ini.ErrorCode(), 0);

    // Open, but the opening failed: still not ready.
    msgs.Clear();
    ini.SetIniFileName(QStringLiteral("no/such/a.ini"));
    ini.SetOpen(true);
    QCOMPARE(ini.ErrorCode(), 3);
    ini.ReadString(QStringLiteral("k"), QString());
    QCOMPARE(msgs.Texts(), QStringList {NoFileName});
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("[A]\r\nk=1\r\n"));
}

void TestIni::missingFileAndDirectory()
{
    TempProgramDir dir;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("new.ini"));
    QCOMPARE(ini.ErrorCode(), 2);
    QCOMPARE(ini.OpenIniFile(), 0);
    QCOMPARE(dir.Entries(), QStringList());
    ini.SetOpen(false); // nothing changed, nothing written
    QCOMPARE(dir.Entries(), QStringList());
    ini.SetOpen(true);
    ini.WriteString(QStringLiteral("k"), QStringLiteral("v"));
    QVERIFY(ini.Release());
    QCOMPARE(dir.Read(QStringLiteral("new.ini")), QByteArray("[A]\r\nk=v\r\n"));

    ini.SetIniFileName(QStringLiteral("missing/new.ini"));
    ini.SetOpen(true);
    QCOMPARE(ini.ErrorCode(), 3);
    QVERIFY(!ini.IsDocumentOpen());
}

void TestIni::writeProtection()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
    const QString path = dir.FilePath(QStringLiteral("a.ini"));
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    MsgRecorder msgs;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    QCOMPARE(ini.ErrorCode(), 0);
    QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
    ini.SetOpen(false);

    StubbornFs fs;
    fs.protectedForGood = true;
    TScopedFileSystem scope(&fs);
    ini.SetOpen(true);
    QCOMPARE(ini.ErrorCode(), 5);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Kann Schreibschutz von ")
            + dir.FilePath(QStringLiteral("a.ini")) + QStringLiteral(" nicht entfernen!")});
    QVERIFY(!ini.IsDocumentOpen());
}

void TestIni::commentLinesAndDelete()
{
    TempProgramDir dir;
    dir.Write(QStringLiteral("a.ini"), "; old\r\n[A]\r\nk=1"); // no final line end
    MsgRecorder msgs;
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    ini.WriteString(QStringLiteral("k"), QStringLiteral("2")); // pending, written before the append
    ini.AddCommentLine(QStringLiteral("text"), QString());
    ini.AddCommentLine(QString(), QStringLiteral("; "));
    QCOMPARE(ini.ErrorCode(), 0);
    QCOMPARE(
        dir.Read(QStringLiteral("a.ini")), QByteArray("; old\r\n[A]\r\nk=2\r\n;text\r\n; \r\n"));
    ini.AddCommentLine(QStringLiteral("中"), QString());
    QCOMPARE(ini.ErrorCode(), 1113);

    QVERIFY(ini.DeleteIniFile());
    QCOMPARE(ini.ErrorCode(), 2);
    QVERIFY(ini.DeleteIniFile()); // no file: still true
    QCOMPARE(ini.ErrorCode(), 2);
    QCOMPARE(dir.Entries(), QStringList());

    // A comment block on a new file stays on top of what is written after it.
    ini.AddCommentLine(QStringLiteral(" Tarife"), QString());
    ini.SetOpen(true);
    ini.WriteString(QStringLiteral("k"), QStringLiteral("v"));
    ini.SetOpen(false);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("; Tarife\r\n[A]\r\nk=v\r\n"));

    ini.SetIniFileName(QString());
    ini.AddCommentLine(QStringLiteral("x"), QString());
    QCOMPARE(msgs.Texts(), QStringList {NoFileName});
}

void TestIni::locations()
{
    TempProgramDir dir;
    TTheIniFile ini;
    ini.SetIniFileName(QStringLiteral("a.ini"));
    QVERIFY(ini.WindowsDir().endsWith(u'/') && ini.WindowsDir().size() > 1);
    QCOMPARE(ini.GetFullFileName(), ini.WindowsDir() + QStringLiteral("a.ini")); // default location
    ini.SetIniLocation(loProgDir);
    QCOMPARE(ini.GetFullFileName(), dir.FilePath(QStringLiteral("a.ini")));
    ini.SetIniLocation(loUser);
    QCOMPARE(ini.GetFullFileName(), QStringLiteral("a.ini"));
    ini.SetIniLocation(loDefUser);
    for (const auto &[given, stored] :
        {std::pair {"/x/y", "/x/y/"}, {"/x/y/", "/x/y/"}, {"", ""}}) {
        ini.SetDefFilePath(QString::fromLatin1(given));
        QCOMPARE(ini.DefFilePath(), QString::fromLatin1(stored));
        QCOMPARE(ini.GetFullFileName(), QString::fromLatin1(stored) + QStringLiteral("a.ini"));
    }
}

void TestIni::failedWriteKeepsOldFile()
{
    TempProgramDir dir;
    const QByteArray old = "[A]\r\nk=1\r\n";
    dir.Write(QStringLiteral("a.ini"), old);
    StubbornFs fs;
    TScopedFileSystem scope(&fs);
    TTheIniFile ini;
    openIni(ini, QStringLiteral("a.ini"));
    ini.WriteString(QStringLiteral("k"), QStringLiteral("2"));
    fs.renameCode = 32;
    QVERIFY(!ini.Release());
    QCOMPARE(ini.ErrorCode(), 32);
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), old);
    QCOMPARE(dir.Entries(), QStringList {QStringLiteral("a.ini")});
    QVERIFY(ini.HasUnsavedChanges());

    // Opening again must not drop the unsaved changes while they still fail.
    ini.SetOpen(true);
    QCOMPARE(ini.ErrorCode(), 32);
    QVERIFY(!ini.IsDocumentOpen());
    fs.renameCode = 0;
    ini.SetOpen(true);
    QCOMPARE(ini.ErrorCode(), 0);
    QCOMPARE(ini.ReadString(QStringLiteral("k"), QString()), QStringLiteral("2"));
    QCOMPARE(dir.Read(QStringLiteral("a.ini")), QByteArray("[A]\r\nk=2\r\n"));
}

QTEST_GUILESS_MAIN(TestIni)
#include "tst_core_ini.moc"
