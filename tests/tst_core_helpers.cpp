#include "TestSupport.h"

#include "model/ProviderData.h"
#include "model/TariffRules.h"
#include "support/Cp1252.h"
#include "support/MyTools.h"
#include "support/TextHelpers.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

#ifdef Q_OS_WIN
#include "support/LocaleSettingsWin.h"
#endif

class TestHelpers : public QObject
{
    Q_OBJECT
private slots:
    void cp1252RoundTripsEveryByte();
    void cp1252MatchesIcu();
    void cp1252RefusesUnencodable();
    void cp1252CompareIsByteOrder();
    void localeFromQt_data();
    void localeFromQt();
#ifdef Q_OS_WIN
    void localeFromWindows_data();
    void localeFromWindows();
#endif
    void myTools();
    void keyLetters_data();
    void keyLetters();
    void daysToNames();
    void underscoreAndAmpersand();
    void secondsToTimeText_data();
    void secondsToTimeText();
    void readTimeText_data();
    void readTimeText();
    void numberText_data();
    void numberText();
    void negativeMoneyFormats_data();
    void negativeMoneyFormats();
    void feeAndMoneyText_data();
    void feeAndMoneyText();
    void addNewProviderKey();
    void sortTariffEntries();
    void sortTariffEntriesOrdersAsTheKeys();
    void sortTariffEntriesFollowsQuicksortForEqualKeys();
    void providerDataKeepsListsParallel();
};

void TestHelpers::cp1252RoundTripsEveryByte()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = Cp1252::decode(all);
    QCOMPARE(text.size(), 256);
    bool ok = false;
    QCOMPARE(Cp1252::encode(text, &ok), all);
    QVERIFY(ok);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0xE4), QChar(0xE4));
}

void TestHelpers::cp1252MatchesIcu()
{
    QStringDecoder icu("windows-1252");
    if (!icu.isValid())
        QSKIP("no ICU Windows-1252 converter");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    QCOMPARE(Cp1252::decode(all), QString(icu(all)));
}

void TestHelpers::cp1252RefusesUnencodable()
{
    bool ok = true;
    const QByteArray bytes = Cp1252::encode(QStringLiteral("aΩb"), &ok);
    QVERIFY(!ok);
    QCOMPARE(bytes,
        QByteArray("a\x1A"
                   "b"));
    QCOMPARE(Cp1252::firstUnencodable(QStringLiteral("Müller €Ω")), QChar(0x03A9));
    QVERIFY(Cp1252::canEncode(QStringLiteral("Müller €")));
}

void TestHelpers::cp1252CompareIsByteOrder()
{
    // "_" (0x5F) sorts after the capitals and before the small letters; the
    // euro sign (0x80) after every ASCII character though its code is high.
    QVERIFY(Cp1252::compare(QStringLiteral("ABC"), QStringLiteral("abc")) < 0);
    QVERIFY(Cp1252::compare(QStringLiteral("Z"), QStringLiteral("_")) < 0);
    QVERIFY(Cp1252::compare(QStringLiteral("_"), QStringLiteral("a")) < 0);
    QVERIFY(Cp1252::compare(QStringLiteral("€"), QStringLiteral("ä")) < 0); // 0x80 < 0xE4
    QVERIFY(Cp1252::compare(QStringLiteral("z"), QStringLiteral("€")) < 0);
    QVERIFY(Cp1252::compare(QStringLiteral("Tele"), QStringLiteral("Telek")) < 0);
    QCOMPARE(Cp1252::compare(QStringLiteral("x"), QStringLiteral("x")), 0);
    QCOMPARE(Cp1252::foldByte(0xE4), static_cast<unsigned char>(0xC4));
    QCOMPARE(Cp1252::foldByte('q'), static_cast<unsigned char>('Q'));
    QCOMPARE(Cp1252::foldByte(0xF7), static_cast<unsigned char>(0xF7));
}

void TestHelpers::localeFromQt_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<int>("currencyFormat");
    QTest::addColumn<QString>("money");
    QTest::newRow("C falls back to German") << QLocale::c() << ","
                                            << "€" << 3 << "1.234,50 €";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << ","
                            << "€" << 3 << "1.234,50 €";
    QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << "."
                        << "$" << 0 << "$1,234.50";
}

void TestHelpers::localeFromQt()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, decimal);
    QFETCH(QString, symbol);
    QFETCH(int, currencyFormat);
    QFETCH(QString, money);
    const TLocaleSettings s = TLocaleSettings::FromLocale(locale);
    QCOMPARE(QString(s.DecimalSeparator), decimal);
    QCOMPARE(s.CurrencyString, symbol);
    QCOMPARE(s.CurrencyFormat, currencyFormat);
    QCOMPARE(s.TimeSeparator, QChar(u':'));
    TScopedLocaleSettings scoped(s);
    QCOMPARE(MoneyToText(1234.5), money);
}

#ifdef Q_OS_WIN
void TestHelpers::localeFromWindows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<TLocaleSettings>("expected");
    TLocaleSettings us = DollarLocale();
    us.NegCurrFormat = WindowsLocaleSettings(QStringLiteral("en-US")).NegCurrFormat;
    QTest::newRow("German") << "de-DE" << TLocaleSettings::German();
    QTest::newRow("US") << "en-US" << us;
    QTest::newRow("unknown locale") << "xx-YY" << TLocaleSettings::German();
}

// The settings come from Windows itself (GetLocaleInfoEx), not from Qt.
void TestHelpers::localeFromWindows()
{
    QFETCH(QString, name);
    QFETCH(TLocaleSettings, expected);
    const TLocaleSettings s = WindowsLocaleSettings(name);
    QCOMPARE(QString(s.DecimalSeparator), QString(expected.DecimalSeparator));
    QCOMPARE(QString(s.ThousandSeparator), QString(expected.ThousandSeparator));
    QCOMPARE(QString(s.TimeSeparator), QString(expected.TimeSeparator));
    QCOMPARE(s.CurrencyString, expected.CurrencyString);
    QCOMPARE(s.CurrencyFormat, expected.CurrencyFormat);
    QCOMPARE(s.NegCurrFormat, expected.NegCurrFormat);
    QCOMPARE(s.CurrencyDecimals, expected.CurrencyDecimals);
    // The US pattern is one of the two Windows has used: "($1.00)" or "-$1.00".
    QVERIFY(WindowsLocaleSettings(QStringLiteral("en-US")).NegCurrFormat <= 1);
    QVERIFY(TLocaleSettings::FromSystem() == WindowsLocaleSettings(QString()));
}
#endif

void TestHelpers::myTools()
{
    QCOMPARE(MyTools.RemoveSpaces(QStringLiteral(" a b\tc ")), QStringLiteral("ab\tc"));
    QCOMPARE(MyTools.TwoDigitText(0), QStringLiteral("00"));
    QCOMPARE(MyTools.TwoDigitText(7), QStringLiteral("07"));
    QCOMPARE(MyTools.TwoDigitText(12), QStringLiteral("12"));
    QCOMPARE(MyTools.TwoDigitText(123), QStringLiteral("123"));
    QCOMPARE(MyTools.TwoDigitText(-5), QStringLiteral("-5"));
    QCOMPARE(MyTools.TwoDigitText(Q_INT64_C(-9223372036854775807) - 1),
        QStringLiteral("-9223372036854775808"));
}

void TestHelpers::keyLetters_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("umlaut, blank, digit") << QStringLiteral("Müller 2") << "MULLERAA";
    QTest::newRow("all umlauts") << QStringLiteral("äÄöÖüÜß") << "AAOOUUS";
    QTest::newRow("other accents and signs") << QStringLiteral("é€_z") << "AAAZ";
    QTest::newRow("not encodable") << QStringLiteral("Ωx") << "AX";
    QTest::newRow("empty") << QString() << QString();
}

void TestHelpers::keyLetters()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(MyTools.KeyLetters(in), out);
}

void TestHelpers::daysToNames()
{
    QCOMPARE(DaysToNames(0x1FE), QStringLiteral("Mo Di Mi Do Fr Sa So Fei"));
    QCOMPARE(DaysToNames((1 << 2) | (1 << 3)), QStringLiteral("Mo Di "));
    QCOMPARE(DaysToNames((1 << 1) | (1 << 8)), QStringLiteral("So Fei"));
    QCOMPARE(DaysToNames(0), QString());
    QCOMPARE(DaysToNames(0xFE01), QString()); // bits 0 and 9..15 mean nothing
}

void TestHelpers::underscoreAndAmpersand()
{
    QCOMPARE(SpaceToUnderscore(QStringLiteral("Beispiel Tarif  X")),
        QStringLiteral("Beispiel_Tarif__X"));
    QCOMPARE(UnderscoreToSpace(QStringLiteral("Flat_Online_")), QStringLiteral("Flat Online "));
    QCOMPARE(RemoveAmpersand(QStringLiteral("A&&B&")), QStringLiteral("AB"));
}

void TestHelpers::secondsToTimeText_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("shortText");
    QTest::newRow("0") << 0 << "00:00:00"
                       << "00:00";
    QTest::newRow("45") << 45 << "00:00:45"
                        << "00:00";
    QTest::newRow("86340") << 86340 << "23:59:00"
                           << "23:59";
    QTest::newRow("86399") << 86399 << "23:59:59"
                           << "23:59";
    QTest::newRow("86400") << 86400 << "24:00:00"
                           << "24:00";
    QTest::newRow("360000") << 360000 << "100:00:00"
                            << "100:0";
    QTest::newRow("negative") << -3661 << "-1:-1:-1"
                              << "-1:-1";
    QTest::newRow("longest text") << -360000659 << "-100000:-10:-59"
                                  << "-1000";
}

void TestHelpers::secondsToTimeText()
{
    QFETCH(int, seconds);
    QFETCH(QString, german);
    QFETCH(QString, shortText);
    QCOMPARE(SecondsToTimeText(seconds), german);
    QCOMPARE(SecondsToShortTimeText(seconds), shortText);
    TLocaleSettings dot = DollarLocale();
    dot.TimeSeparator = u'.';
    TScopedLocaleSettings scoped(dot);
    QCOMPARE(SecondsToTimeText(seconds), QString(german).replace(u':', u'.'));
}

void TestHelpers::readTimeText_data()
{
    // The forms the program reads: "file" the file's hh:mm, "check" an entry
    // field's hh:mm (24 only for an end), "mask" the free hours and the
    // times the dialogs hand on.
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("seconds");
    QTest::newRow("file hh:mm") << "file"
                                << "08:00" << true << 28800;
    QTest::newRow("file separator not examined") << "file"
                                                 << "08.30" << true << 30600;
    QTest::newRow("file 23:59") << "file"
                                << "23:59" << true << 86340;
    QTest::newRow("file single-digit hour") << "file"
                                            << "8:00" << false << 0;
    QTest::newRow("file hour 24") << "file"
                                  << "24:00" << false << 0;
    QTest::newRow("file minute 60") << "file"
                                    << "12:60" << false << 0;
    QTest::newRow("file minus ignored") << "file"
                                        << "-8:-5" << true << 29100;
    QTest::newRow("file short minutes") << "file"
                                        << "08:5" << true << 29100;
    QTest::newRow("file too short") << "file"
                                    << "08:" << false << 0;
    QTest::newRow("file empty") << "file"
                                << "" << false << 0;
    QTest::newRow("file letters") << "file"
                                  << "ab:cd" << false << 0;
    QTest::newRow("file blank before the hour") << "file"
                                                << " 8:05" << true << 29100;
    QTest::newRow("file only five characters read") << "file"
                                                    << "08:05/x" << true << 29100;
    QTest::newRow("check hh:mm") << "check"
                                 << "08:05" << true << 29100;
    QTest::newRow("check blank before the hour") << "check"
                                                 << " 8:05" << true << 29100;
    QTest::newRow("check blank after a digit") << "check"
                                               << "8 :05" << false << 0;
    QTest::newRow("check empty hour") << "check"
                                      << "  :05" << false << 0;
    QTest::newRow("check 24:00") << "check"
                                 << "24:00" << true << 86400;
    QTest::newRow("check 25:00") << "check"
                                 << "25:00" << false << 0;
    QTest::newRow("check minute 60") << "check"
                                     << "12:60" << false << 0;
    QTest::newRow("mask h:m:s") << "mask"
                                << "8:30:15" << true << 30615;
    QTest::newRow("mask h:m") << "mask"
                              << "8:30" << true << 30600;
    QTest::newRow("mask leading blanks") << "mask"
                                         << "  12:34:56" << true << 45296;
    QTest::newRow("mask empty") << "mask"
                                << "  :  :  " << true << 0;
    QTest::newRow("mask blanks anywhere") << "mask"
                                          << "1 2:3 :4 " << true << 43384;
    QTest::newRow("mask no limits") << "mask"
                                    << "9999:99:99" << true << 36002439;
    QTest::newRow("mask one field") << "mask"
                                    << "90" << false << 0;
    QTest::newRow("mask four fields") << "mask"
                                      << "1:2:3:4" << false << 0;
    QTest::newRow("mask letters") << "mask"
                                  << "x:30" << false << 0;
    QTest::newRow("mask beyond 32 bits") << "mask"
                                         << "99999999999:00" << false << 0;
}

void TestHelpers::readTimeText()
{
    QFETCH(QString, form);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, seconds);
    TTimeTextForm f;
    if (form == u"check") {
        f = {u':', 24, 59};
    } else if (form == u"mask") {
        f = MaskTimeForm();
    } else {
        f = {QChar(), 23, 59};
    }
    qint64 v = -1;
    QCOMPARE(ReadTimeText(QStringView(text), f, v), ok);
    QCOMPARE(v, qint64(seconds));
    // The loader reads the file's bytes.
    const QByteArray bytes = text.toLatin1();
    v = -1;
    QCOMPARE(ReadTimeText(QByteArrayView(bytes), f, v), ok);
    QCOMPARE(v, qint64(seconds));
    if (form == u"mask") {
        // The dialogs' reader, under the locale's separator.
        TLocaleSettings dot = DollarLocale();
        dot.TimeSeparator = u'.';
        TScopedLocaleSettings scoped(dot);
        QCOMPARE(TimeTextToSeconds(QString(text).replace(u':', u'.')), seconds);
    }
}

void TestHelpers::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("text");
    QTest::newRow("four decimals") << 60.0 << 4 << false << "60,0000";
    QTest::newRow("rounded") << 0.03905 << 2 << false << "0,04";
    QTest::newRow("cut to whole") << 60.0 << 4 << true << "60";
    QTest::newRow("cut keeps digits") << 7.25 << 4 << true << "7,25";
    QTest::newRow("cut keeps tens") << 100.0 << 4 << true << "100";
    QTest::newRow("no decimals") << 12.4 << 0 << false << "12";
    QTest::newRow("negative zero") << -0.00001 << 4 << false << "0,0000";
}

void TestHelpers::numberText()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(bool, cut);
    QFETCH(QString, text);
    const auto zeros = cut ? TTrailingZeros::Cut : TTrailingZeros::Keep;
    QCOMPARE(NumberText(value, decimals, zeros), text);
    TScopedLocaleSettings scoped(DollarLocale());
    QCOMPARE(NumberText(value, decimals, zeros), QString(text).replace(u',', u'.'));
}

void TestHelpers::negativeMoneyFormats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("money");
    QTest::newRow("brackets, symbol first") << 0 << "($1.50)";
    QTest::newRow("minus first, symbol last") << 5 << "-1.50$";
    QTest::newRow("symbol, blank, minus") << 12 << "$ -1.50";
    QTest::newRow("brackets, blank, symbol last") << 15 << "(1.50 $)";
    QTest::newRow("out of range counts as the last") << 16 << "(1.50 $)";
}

void TestHelpers::negativeMoneyFormats()
{
    QFETCH(int, format);
    QFETCH(QString, money);
    TLocaleSettings s = DollarLocale();
    s.NegCurrFormat = format;
    TScopedLocaleSettings scoped(s);
    QCOMPARE(MoneyToText(-1.5), money);
}

void TestHelpers::feeAndMoneyText_data()
{
    QTest::addColumn<bool>("dollar");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("fee");
    QTest::addColumn<QString>("money");
    QTest::newRow("de 0.039") << false << 0.039 << "0,0390 €"
                              << "0,04 €";
    QTest::newRow("de 0") << false << 0.0 << "0,0000 €"
                          << "0,00 €";
    QTest::newRow("de 12.5") << false << 12.5 << "12,5000 €"
                             << "12,50 €";
    QTest::newRow("de grouping") << false << 1234567.891 << "1234567,8910 €"
                                 << "1.234.567,89 €";
    QTest::newRow("de negative") << false << -4.95 << "-4,9500 €"
                                 << "-4,95 €";
    QTest::newRow("de rounds to zero") << false << -0.001 << "-0,0010 €"
                                       << "0,00 €";
    QTest::newRow("us 0.039") << true << 0.039 << "$0.0390"
                              << "$0.04";
    QTest::newRow("us grouping") << true << 1234.5 << "$1234.5000"
                                 << "$1,234.50";
    QTest::newRow("us negative") << true << -4.95 << "$-4.9500"
                                 << "-$4.95";
}

void TestHelpers::feeAndMoneyText()
{
    QFETCH(bool, dollar);
    QFETCH(double, value);
    QFETCH(QString, fee);
    QFETCH(QString, money);
    TScopedLocaleSettings scoped(dollar ? DollarLocale() : TLocaleSettings::German());
    QCOMPARE(FeeToText(value), fee);
    QCOMPARE(MoneyToText(value), money);
}

void TestHelpers::addNewProviderKey()
{
    QList<TKeyAndName> list;
    AddNewProviderKey(QStringLiteral("Telekom"), list);
    QCOMPARE(list.last().Key, QStringLiteral("TELE0001"));
    QCOMPARE(list.last().Name, QStringLiteral("TELE"));
    AddNewProviderKey(QStringLiteral("Tele2"), list);
    QCOMPARE(list.last().Key, QStringLiteral("TELE0002"));

    QList<TKeyAndName> gap {
        {QStringLiteral("TELE0001"), {}, {}}, {QStringLiteral("TELE0003"), {}, {}}};
    QCOMPARE(NewProviderKey(QStringLiteral("Telefonica"), gap).Key, QStringLiteral("TELE0002"));
    QCOMPARE(NewProviderKey(QStringLiteral("O2"), {}).Key, QStringLiteral("OA0001"));
    QCOMPARE(NewProviderKey(QStringLiteral("   "), {}).Key, QStringLiteral("0001"));
    QCOMPARE(NewProviderKey(QStringLiteral(" übel"), {}).Key, QStringLiteral("UBE0001"));
    // Keys are compared as the file compares names: a key differing only in
    // letter case is taken.
    QCOMPARE(NewProviderKey(QStringLiteral("abc"), {{QStringLiteral("abc0001"), {}, {}}}).Key,
        QStringLiteral("ABC0002"));
    // Past 9999 the counter simply grows longer.
    QList<TKeyAndName> full;
    for (int i = 1; i <= 9999; ++i)
        full.append({QStringLiteral("X%1").arg(i, 4, 10, QChar(u'0')), {}, {}});
    QCOMPARE(NewProviderKey(QStringLiteral("x"), full).Key, QStringLiteral("X10000"));
}

void TestHelpers::sortTariffEntries()
{
    TTariffEntryList one {MakeEntry(0, 100, 0)};
    SortTariffEntries(one);
    QVERIFY(one.isEmpty());

    TTariffEntryList list {MakeEntry(64800, 86399, 60), MakeEntry(28800, 64799, 60),
        MakeEntry(0, 100, 0), MakeEntry(28800, 30000, 1)};
    SortTariffEntries(list);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].SortKey(), QStringLiteral("08:00:00 08:20:00"));
    QCOMPARE(list[1].SortKey(), QStringLiteral("08:00:00 17:59:59"));
    QCOMPARE(list[2].TimeFrom, 64800);

    // Out-of-range times make longer keys; the cut keeps 27 characters.
    TTariffEntryList big {MakeEntry(-2147483647, -2147483647, 1)};
    SortTariffEntries(big);
    QCOMPARE(big[0].SortKey().size(), 27);

    // Under a dot separator the keys use it.
    TLocaleSettings dot = DollarLocale();
    dot.TimeSeparator = u'.';
    TScopedLocaleSettings scoped(dot);
    SortTariffEntries(list);
    QCOMPARE(list[0].SortKey(), QStringLiteral("08.00.00 08.20.00"));
}

void TestHelpers::sortTariffEntriesOrdersAsTheKeys()
{
    // Times of day, times past 24 hours and out-of-range ones, many of them
    // equal: the order is the quicksort's on the key texts, fee telling the
    // entries apart.
    QRandomGenerator random(15);
    for (int round = 0; round < 200; ++round) {
        const bool outOfRange = round % 4 == 0;
        TTariffEntryList list;
        for (int i = 0; i < 21; ++i) {
            const int from = outOfRange && i % 5 == 0
                ? -int(random.bounded(400000))
                : int(random.bounded(4)) * 30 * 3600 + int(random.bounded(2)) * 61;
            list.append(MakeEntry(from, from + int(random.bounded(3)) * 60 + 59, 60, i));
        }
        TTariffEntryList expected = list;
        EditorQuickSort(
            expected, 0, expected.size() - 1, [](const TTariffEntry &a, const TTariffEntry &b) {
                return Cp1252::compare(a.SortKey(), b.SortKey()) < 0;
            });
        // Sorting a sorted list again follows the quicksort too: equal keys
        // may be swapped once more.
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1)
                EditorQuickSort(expected, 0, expected.size() - 1,
                    [](const TTariffEntry &a, const TTariffEntry &b) {
                        return Cp1252::compare(a.SortKey(), b.SortKey()) < 0;
                    });
            SortTariffEntries(list);
            for (qsizetype i = 0; i < list.size(); ++i) {
                QCOMPARE(list[i].Fee, expected[i].Fee);
                QCOMPARE(list[i].SortKey(), expected[i].SortKey());
            }
        }
    }
}

void TestHelpers::sortTariffEntriesFollowsQuicksortForEqualKeys()
{
    // Three equal keys, told apart by their fee. The editor's quicksort with the
    // middle element as pivot swaps the outer two: c, b, a.
    TTariffEntryList list {
        MakeEntry(0, 59, 60, 1), MakeEntry(0, 59, 60, 2), MakeEntry(0, 59, 60, 3)};
    SortTariffEntries(list);
    QCOMPARE(list[0].Fee, 3.0);
    QCOMPARE(list[1].Fee, 2.0);
    QCOMPARE(list[2].Fee, 1.0);
}

void TestHelpers::providerDataKeepsListsParallel()
{
    TProviderData data;
    data.AppendProvider({QStringLiteral("A0001"), QStringLiteral("A"), {}});
    TProviderOptions o;
    o.FreeHours = 5;
    data.AppendProvider(
        {QStringLiteral("B0001"), QStringLiteral("B"), {}}, o, {MakeEntry(0, 59, 60)});
    QCOMPARE(data.Count(), 2);
    QCOMPARE(data.OptionsList().size(), 2);
    QCOMPARE(data.WeekdayLists().size(), 2);
    QCOMPARE(data.WeekendLists().size(), 2);
    QVERIFY(data.Entries(0, TDayClass::Weekday).isEmpty());
    data.RemoveProvider(0);
    QCOMPARE(data.Provider(0).Key, QStringLiteral("B0001"));
    QCOMPARE(data.Options(0).FreeHours, 5);
    QCOMPARE(data.Entries(0, TDayClass::Weekday).size(), 1);
    QCOMPARE(data.WeekendLists().size(), 1);
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_core_helpers.moc"
