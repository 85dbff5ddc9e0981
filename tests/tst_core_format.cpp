#include "TestSupport.h"

#include "model/ProviderFormat.h"
#include "support/Cp1252.h"
#include "support/TextHelpers.h"

#include <QTest>

#include <cmath>

using namespace ProviderFormat;

namespace {

// What the saver writes for an entry, with sep as the time separator, and
// for an option (nothing when the provider gets no line).
QString entryWritten(const TTariffEntry &e, char sep = ':')
{
    char buf[MaxEntryValueBytes];
    return QString::fromLatin1(buf, WriteEntryValue(buf, e, sep) - buf);
}

std::optional<QString> optionWritten(TOption option, const TProviderOptions &o)
{
    char buf[MaxFixedTextLength];
    if (const char *end = WriteOptionValue(buf, option, o))
        return QString::fromLatin1(buf, end - buf);
    return std::nullopt;
}

} // namespace

class TestFormat : public QObject
{
    Q_OBJECT
private slots:
    void cleanValue();
    void numbers_data();
    void numbers();
    void integers();
    void providerLine_data();
    void providerLine();
    void entryValue_data();
    void entryValue();
    void entryValueWritten();
    void rangeValue_data();
    void rangeValue();
    void options_data();
    void options();
    void bytesReadAsText_data();
    void bytesReadAsText();
    void optionTexts();
    void numberForms();
    void headerAndCommon();
};

void TestFormat::cleanValue()
{
    QCOMPARE(CleanValue(QStringLiteral(" Beispiel Tarif , BEIS0001 ; alt")),
        QStringLiteral("BeispielTarif,BEIS0001"));
    QCOMPARE(CleanValue(QStringLiteral("a\tb ;c;d")), QStringLiteral("a\tb"));
    QCOMPARE(CleanValue(QStringLiteral(";x")), QString());
}

void TestFormat::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "60" << true << 60.0;
    QTest::newRow("decimals") << "0.0300" << true << 0.03;
    QTest::newRow("sign and exponent") << "-1.5e2" << true << -150.0;
    QTest::newRow("plus") << "+7" << true << 7.0;
    QTest::newRow("leading blanks") << "  5" << true << 5.0;
    QTest::newRow("exponent sign") << "2E-1" << true << 0.2;
    QTest::newRow("point first") << ".5" << true << 0.5;
    QTest::newRow("point last") << "5." << true << 5.0;
    // Exactly the nearest double, with few digits and with many.
    QTest::newRow("nearest") << "2.675" << true << 2.675;
    QTest::newRow("15 digits") << "12345678.9012345" << true << 12345678.9012345;
    QTest::newRow("16 digits") << "0.1000000000000001" << true << 0.1000000000000001;
    QTest::newRow("beyond 2^53") << "9007199254740993" << true << 9007199254740993.0;
    QTest::newRow("minus zero") << "-0.0" << true << -0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("comma") << "0,03" << false << 0.0;
    QTest::newRow("trailing blank") << "5 " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("dangling exponent") << "1e" << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
    QTest::newRow("nan word") << "nan" << false << 0.0;
    QTest::newRow("lone sign") << "-" << false << 0.0;
}

void TestFormat::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double v = -42;
    QCOMPARE(ReadNumber(text, v), ok);
    if (ok)
        QVERIFY2(v == value && std::signbit(v) == std::signbit(value),
            qPrintable(QString::number(v, 'g', 17)));
}

void TestFormat::integers()
{
    std::int32_t v = 0;
    QVERIFY(ReadInteger(QStringLiteral("36000"), v));
    QCOMPARE(v, 36000);
    QVERIFY(ReadInteger(QStringLiteral("-2147483648"), v));
    QCOMPARE(v, INT32_MIN);
    QVERIFY(ReadInteger(QStringLiteral("2147483647"), v));
    QVERIFY(!ReadInteger(QStringLiteral("2147483648"), v));
    QVERIFY(!ReadInteger(QStringLiteral("99999999999999999999"), v));
    QVERIFY(!ReadInteger(QStringLiteral("4.5"), v));
    QVERIFY(!ReadInteger(QString(), v));
    QVERIFY(!ReadInteger(QStringLiteral("+"), v));
}

void TestFormat::providerLine_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::newRow("plain") << "Beispiel_Tarif,BEIS0001" << true << "Beispiel_Tarif"
                           << "BEIS0001";
    QTest::newRow("blanks and comment")
        << "Beispiel Tarif , BEIS0001 ; alt" << true << "BeispielTarif"
        << "BEIS0001";
    QTest::newRow("no comma") << "KEY1" << true << ""
                              << "KEY1";
    QTest::newRow("empty key") << "Name," << false << ""
                               << "";
    QTest::newRow("empty") << "  ; nur Kommentar" << false << ""
                           << "";
    QTest::newRow("second comma stays in key") << "A,B,C" << true << "A"
                                               << "B,C";
    QTest::newRow("long name cut")
        << QString(150, u'n') + ",K" << true << QString(100, u'n') << "K";
}

void TestFormat::providerLine()
{
    QFETCH(QString, raw);
    QFETCH(bool, kept);
    QFETCH(QString, name);
    QFETCH(QString, key);
    const auto p = ParseProviderLine(raw);
    QCOMPARE(p.has_value(), kept);
    if (kept) {
        QCOMPARE(p->Name, name);
        QCOMPARE(p->Key, key);
    }
}

void TestFormat::entryValue_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("fee");
    const int valid = int(TEntryParse::Valid), faulty = int(TEntryParse::Faulty);
    QTest::newRow("valid") << "08:00-17:59/60/0.03" << valid << 28800 << 64799 << 60.0 << 0.03;
    QTest::newRow("with blanks and comment")
        << " 08:00 - 17:59 / 60 / 0.03 ; x" << valid << 28800 << 64799 << 60.0 << 0.03;
    QTest::newRow("whole day") << "00:00-23:59/1/0" << valid << 0 << 86399 << 1.0 << 0.0;
    QTest::newRow("invalid end") << "08:00-25:00/60/0.03" << faulty << 28800 << 0 << 0.0 << 0.0;
    QTest::newRow("unreadable fee")
        << "08:00-17:59/60/abc" << faulty << 28800 << 64799 << 60.0 << 0.0;
    QTest::newRow("fee with garbage")
        << "08:00-17:59/60/0.05EUR" << faulty << 28800 << 64799 << 60.0 << 0.05;
    QTest::newRow("numbers read as far as they go")
        << "08:00-17:59/1e5q/0.03€" << faulty << 28800 << 64799 << 1e5 << 0.03;
    QTest::newRow("too short") << "08:00-17:59" << int(TEntryParse::SyntaxError) << 0 << 0 << 0.0
                               << 0.0;
    QTest::newRow("no second slash") << "08:00-17:59/60" << faulty << 28800 << 64799 << 60.0 << 0.0;
    QTest::newRow("interval 0") << "08:00-17:59/0/0.03" << valid << 28800 << 64799 << 0.0 << 0.03;
    QTest::newRow("syntax") << "8:00-17:59/60/0.03" << int(TEntryParse::SyntaxError) << 0 << 0
                            << 0.0 << 0.0;
    QTest::newRow("syntax no colon")
        << "0800-1759/60/0.03" << int(TEntryParse::SyntaxError) << 0 << 0 << 0.0 << 0.0;
    QTest::newRow("empty") << " ; nichts" << int(TEntryParse::Empty) << 0 << 0 << 0.0 << 0.0;
}

void TestFormat::entryValue()
{
    QFETCH(QString, raw);
    QFETCH(int, result);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, interval);
    QFETCH(double, fee);
    TTariffEntry e;
    QCOMPARE(int(ParseEntryValue(raw, e)), result);
    if (result == int(TEntryParse::Valid) || result == int(TEntryParse::Faulty)) {
        QCOMPARE(e.TimeFrom, from);
        QCOMPARE(e.TimeTo, to);
        QCOMPARE(e.Interval, interval);
        QCOMPARE(e.Fee, fee);
    }
}

void TestFormat::entryValueWritten()
{
    TTariffEntry e;
    QCOMPARE(ParseEntryValue(QStringLiteral("08:00-17:59/60/0.03"), e), TEntryParse::Valid);
    QCOMPARE(entryWritten(e), QStringLiteral("08:00-17:59/60.0000/0.0300"));
    e.Fee = 0.00005; // four decimals would read back as another fee: as many as it takes
    e.Interval = 0.5;
    QCOMPARE(entryWritten(e), QStringLiteral("08:00-17:59/0.5000/0.00005"));
    // The times take the time separator; numbers keep ".".
    QCOMPARE(entryWritten(e, '.'), QStringLiteral("08.00-17.59/0.5000/0.00005"));
    TLocaleSettings dot = DollarLocale();
    dot.TimeSeparator = u'.';
    TScopedLocaleSettings scoped(dot);
    // Ranges: the days in order, the times, the interval and a closing "/".
    QCOMPARE(RangeValueText(TFreeHoursRange {(1 << 8) | (1 << 1) | (1 << 7), 0, 86340, 60}),
        QStringLiteral("178|00.00-23.59/60.0000/"));
    QCOMPARE(RangeValueText(TFreeHoursRange {0, 64800, 64859, 0.5}),
        QStringLiteral("|18.00-18.00/0.5000/"));
    QCOMPARE(IndexedIdent(QStringLiteral("BEIS0001"), 1), QStringLiteral("BEIS00011"));
}

void TestFormat::rangeValue_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<double>("interval");
    QTest::newRow("weekend") << "17|00:00-23:59/60/" << true << ((1 << 1) | (1 << 7)) << 0 << 86340
                             << 60.0;
    QTest::newRow("weekdays") << "23456|18:00-18:00/60/" << true << 0x7C << 64800 << 64800 << 60.0;
    QTest::newRow("no closing slash") << "17|00:00-23:59/60" << false << 0 << 0 << 0 << 0.0;
    QTest::newRow("invalid time") << "17|00:00-24:00/60/" << false << 0 << 0 << 0 << 0.0;
    QTest::newRow("unreadable interval") << "17|00:00-23:59/x/" << false << 0 << 0 << 0 << 0.0;
    QTest::newRow("not cleaned") << "17|00:00-23:59/ 60 /" << false << 0 << 0 << 0 << 0.0;
    QTest::newRow("days wherever their digits stand")
        << "x908,8|00:00-23:59/60/" << true << (1 << 8) << 0 << 86340 << 60.0;
    QTest::newRow("no bar") << "00:00-23:59/60/" << true << 0 << 0 << 86340 << 60.0;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0.0;
}

void TestFormat::rangeValue()
{
    QFETCH(QString, raw);
    QFETCH(bool, kept);
    QFETCH(int, days);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, interval);
    const auto r = ParseRangeValue(raw);
    QCOMPARE(r.has_value(), kept);
    if (kept) {
        QCOMPARE(int(r->Days), days);
        QCOMPARE(r->TimeFrom, from);
        QCOMPARE(r->TimeTo, to);
        QCOMPARE(r->Interval, interval);
        // Written back, it reads the same.
        QCOMPARE(ParseRangeValue(RangeValueText(*r)), r);
    }
}

void TestFormat::options_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<double>("value");
    using O = TOption;
    QTest::newRow("timing 5000") << int(O::TIMING) << "5000" << 1000.0;
    QTest::newRow("timing -7") << int(O::TIMING) << "-7" << -1.0;
    QTest::newRow("timing unreadable") << int(O::TIMING) << "sechzig" << -1.0;
    QTest::newRow("timing missing") << int(O::TIMING) << "" << -1.0;
    QTest::newRow("timing 60 commented") << int(O::TIMING) << " 60 ; Takt" << 60.0;
    QTest::newRow("min connect 2000") << int(O::MinConnectTime) << "2000" << 1000.0;
    QTest::newRow("min connect -3") << int(O::MinConnectTime) << "-3" << -1.0;
    QTest::newRow("costs per day negative") << int(O::COSTSPERDAY) << "-5" << 0.0;
    QTest::newRow("costs per day missing") << int(O::COSTSPERDAY) << "" << 0.0;
    QTest::newRow("nocosts missing") << int(O::NOCOSTS) << "" << -1.0;
    QTest::newRow("nocosts unreadable") << int(O::NOCOSTS) << "x" << -1.0;
    QTest::newRow("nocosts 0 stays on reading") << int(O::NOCOSTS) << "0" << 0.0;
    QTest::newRow("free hours") << int(O::FREISTUNDEN) << "36000" << 36000.0;
    QTest::newRow("free hours decimal") << int(O::FREISTUNDEN) << "1.5" << 0.0;
    QTest::newRow("free hours too large") << int(O::FREISTUNDEN) << "3000000000" << 0.0;
    QTest::newRow("free hours beyond the field") << int(O::FREISTUNDEN) << "36000000" << 35999999.0;
    QTest::newRow("free hours negative") << int(O::FREISTUNDEN) << "-360000659" << 0.0;
    QTest::newRow("base amount") << int(O::GRUNDBETRAG) << "495" << 495.0;
    QTest::newRow("base connect price") << int(O::BASECONNECTPRICE) << "12.5" << 12.5;
    QTest::newRow("free hours costs") << int(O::FreeHoursCosts) << "bad" << 0.0;
    QTest::newRow("options missing") << int(O::OPTIONS) << "" << 1.0;
    QTest::newRow("options YES") << int(O::OPTIONS) << "YES" << 1.0;
    QTest::newRow("options lower case") << int(O::OPTIONS) << "yes" << 0.0;
    QTest::newRow("options NO") << int(O::OPTIONS) << "NO" << 0.0;
    QTest::newRow("per day missing") << int(O::FreeHoursPerDay) << "" << 0.0;
    QTest::newRow("per day YES") << int(O::FreeHoursPerDay) << "Y E S" << 1.0;
    QTest::newRow("isdn") << int(O::ISDNDoubleCosts) << "JA" << 0.0;
}

static double optionValue(TOption option, const TProviderOptions &o)
{
    switch (option) {
    case TOption::FREISTUNDEN:
        return o.FreeHours;
    case TOption::OPTIONS:
        return o.Holidays2431;
    case TOption::FreeHoursCosts:
        return o.FreeHoursCosts;
    case TOption::GRUNDBETRAG:
        return o.BaseAmount;
    case TOption::BASECONNECTPRICE:
        return o.BaseConnectPrice;
    case TOption::FreeHoursPerDay:
        return o.FreeHoursPerDay;
    case TOption::ISDNDoubleCosts:
        return o.ISDNDoubleCosts;
    case TOption::NOCOSTS:
        return o.NoCostsFrom;
    case TOption::COSTSPERDAY:
        return o.CostsPerDay;
    case TOption::TIMING:
        return o.Timing;
    case TOption::MinConnectTime:
        return o.MinConnectTime;
    }
    return 0;
}

void TestFormat::options()
{
    QFETCH(int, option);
    QFETCH(QString, raw);
    QFETCH(double, value);
    // Start from values unlike every default, so that a default must really be set.
    TProviderOptions o;
    o.FreeHours = 7;
    o.Holidays2431 = false;
    o.FreeHoursCosts = o.BaseConnectPrice = o.NoCostsFrom = o.CostsPerDay = o.Timing
        = o.MinConnectTime = 7;
    o.BaseAmount = 7;
    o.FreeHoursPerDay = o.ISDNDoubleCosts = true;
    ReadOption(TOption(option), raw, o);
    QCOMPARE(optionValue(TOption(option), o), value);
}

void TestFormat::bytesReadAsText_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("plain") << QByteArray("08:00-17:59/60/0.03");
    QTest::newRow("blanks and comment") << QByteArray(" 08:00 - 17:59 / 60 / 0.03 ; x\xE4");
    QTest::newRow("signs and exponents") << QByteArray("-8:-5-+7:00/+6e1/-.5E-1");
    QTest::newRow("euro after fee") << QByteArray("08:00-17:59/60/0.05\x80");
    QTest::newRow("umlaut in interval") << QByteArray("08:00-17:59/6\xE4"
                                                      "0/0.03");
    QTest::newRow("superscript digits") << QByteArray("0\xB2:00-17:59/\xB3/6\xB2");
    QTest::newRow("no-break blank") << QByteArray("08:00-17:59/\xA0"
                                                  "60/0.03");
    QTest::newRow("out of range") << QByteArray("08:00-17:59/1e999/99999999999999999999");
    QTest::newRow("long with blanks") << " 08:00 - 17:59 / " + QByteArray(100, '0') + "60 / 0.03";
    QTest::newRow("sentinel") << QByteArray("INIERROR");
    QTest::newRow("comment only") << QByteArray("  ;08:00-17:59/60/0.03");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("range") << QByteArray("17|00:00-23:59/60.0000/");
    QTest::newRow("range with odd days") << QByteArray("1\xB9"
                                                       "7 9|00:00-23:59/ 60/");
    QTest::newRow("yes with blanks") << QByteArray(" Y E S ;\xFF");
    QTest::newRow("integer limits") << QByteArray("-2147483648");
    QTest::newRow("integer beyond") << QByteArray("+2147483648");
    QTest::newRow("high bytes") << QByteArray("\x81\x8D\x8F\x90\x9D\xFF");
}

void TestFormat::bytesReadAsText()
{
    // The bytes of a Windows-1252 file read as the text they decode to, by
    // every reader of values.
    QFETCH(QByteArray, raw);
    const QString text = Cp1252::decode(raw);
    TTariffEntry fromBytes, fromText;
    fromBytes.Fee = fromText.Fee = 7;
    QCOMPARE(ParseEntryValue(QByteArrayView(raw), fromBytes), ParseEntryValue(text, fromText));
    QCOMPARE(fromBytes, fromText);
    QCOMPARE(ParseRangeValue(QByteArrayView(raw)), ParseRangeValue(text));
    for (TOption option : LoadOrder) {
        TProviderOptions bytes, texts;
        ReadOption(option, QByteArrayView(raw), bytes);
        ReadOption(option, text, texts);
        QVERIFY2(bytes == texts, qPrintable(OptionSection(option)));
    }
}

void TestFormat::optionTexts()
{
    TProviderOptions o;
    QCOMPARE(optionWritten(TOption::TIMING, o), std::optional(QStringLiteral("-1.0000")));
    QCOMPARE(optionWritten(TOption::FREISTUNDEN, o), std::optional(QStringLiteral("0")));
    QCOMPARE(optionWritten(TOption::OPTIONS, o), std::optional(QStringLiteral("YES")));
    QCOMPARE(optionWritten(TOption::NOCOSTS, o), std::optional(QStringLiteral("-1")));
    QCOMPARE(optionWritten(TOption::COSTSPERDAY, o), std::nullopt);
    QCOMPARE(optionWritten(TOption::FreeHoursCosts, o), std::nullopt);
    QCOMPARE(optionWritten(TOption::FreeHoursPerDay, o), std::nullopt);
    QCOMPARE(optionWritten(TOption::ISDNDoubleCosts, o), std::nullopt);
    o.NoCostsFrom = 0;
    QCOMPARE(optionWritten(TOption::NOCOSTS, o), std::optional(QStringLiteral("-1")));
    NormalizeForSave(o);
    QCOMPARE(o.NoCostsFrom, -1.0);
    o.NoCostsFrom = 2500.4;
    o.CostsPerDay = 12.5;
    o.FreeHoursCosts = 3;
    o.FreeHoursPerDay = true;
    o.Holidays2431 = false;
    QCOMPARE(optionWritten(TOption::NOCOSTS, o), std::optional(QStringLiteral("2500")));
    QCOMPARE(optionWritten(TOption::COSTSPERDAY, o), std::optional(QStringLiteral("13")));
    QCOMPARE(optionWritten(TOption::FreeHoursCosts, o), std::optional(QStringLiteral("3.0000")));
    QCOMPARE(optionWritten(TOption::FreeHoursPerDay, o), std::optional(QStringLiteral("YES")));
    QCOMPARE(optionWritten(TOption::OPTIONS, o), std::optional(QStringLiteral("NO")));
}

void TestFormat::numberForms()
{
    // Four decimals wherever they read back as the same number, else the
    // shortest digits that do.
    for (double v : {0.0, -0.0, 0.0001, -0.0305, 0.1 + 0.2, 2.675, 1.00005, 123456789.1234,
             999999999.9999, 1e9 + 0.5, -4503599627.3704, 0.00001, 1.0 / 3}) {
        const QString text = FileNumber(v);
        QVERIFY2(text.toDouble() == v, qPrintable(text));
        const QString four = FixedText(v, 4);
        QCOMPARE(text == four, four.toDouble() == v);
    }
    // Whatever locale the process runs under, the file keeps ".".
    TScopedLocaleSettings german(TLocaleSettings::German());
    QCOMPARE(FileNumber(0.03), QStringLiteral("0.0300"));
}

void TestFormat::headerAndCommon()
{
    const QStringList h = HeaderTexts(QStringLiteral("Provider.ini"));
    QCOMPARE(h.size(), 11);
    QCOMPARE(h[0], QStringLiteral("Provider.ini"));
    QCOMPARE(
        h[7], QStringLiteral("DER AUTOR DER DATEI Provider.ini HAFTET NICHT FUER DIE RICHTIGKEIT"));
    QCOMPARE(h[3],
        QStringLiteral("Diese Datei ist Bestandteil des Programms \"Korvan\", sie wurde mit"));
    for (int i : {1, 2, 5, 6, 9, 10})
        QVERIFY(h[i].isEmpty());

    const auto user = CommonValues(QStringLiteral("UserProv.ini"), QDate(2026, 12, 7));
    QCOMPARE(user.size(), 4);
    QCOMPARE(
        user[0], qMakePair(QStringLiteral("STRVERSION"), QStringLiteral("Korvan version 3.00")));
    QCOMPARE(user[2], qMakePair(QStringLiteral("FILEDATE"), QStringLiteral("12/07/2026")));
    QCOMPARE(user[3].second, QStringLiteral("Providertarife_benutzerdefiniert"));
    QCOMPARE(CommonValues(QStringLiteral("Provider.ini"), QDate(2027, 1, 2))[3].second,
        QStringLiteral("Providertarife"));
    QCOMPARE(CommonValues(QStringLiteral("userprov.ini"), QDate(2027, 1, 2))[3].second,
        QStringLiteral("Providertarife"));
    QCOMPARE(CommonValues(QStringLiteral("x"), QDate(2027, 1, 2))[2].second,
        QStringLiteral("01/02/2027"));
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_core_format.moc"
