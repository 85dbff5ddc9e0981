#pragma once

#include <QChar>
#include <QString>

class QLocale;

// The number, time and money settings the program takes from the user's
// locale. Helpers read them through TLocaleSettings::Current(), which tests
// may replace.
struct TLocaleSettings
{
    QChar TimeSeparator = u':';
    QChar DecimalSeparator = u',';
    QChar ThousandSeparator = u'.';
    QString CurrencyString = QStringLiteral("€");
    // Placement of the symbol for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int CurrencyFormat = 3;
    // The money format: placement of symbol and minus sign for negative
    // amounts (the sixteen Windows negative-currency formats, 0 "($1)" to
    // 15 "(1 $)") and the number of currency decimals.
    int NegCurrFormat = 8;
    int CurrencyDecimals = 2;

    bool operator==(const TLocaleSettings &) const = default;

    // German (Germany): ":", ",", ".", "€", "1,00 €", "-1,00 €", two decimals.
    static TLocaleSettings German();
    // Settings derived from a Qt locale. The C/POSIX locale has no real
    // settings and yields German().
    static TLocaleSettings FromLocale(const QLocale &locale);
    static TLocaleSettings FromSystem();

    // The settings every helper uses. Filled from the system locale on first use.
    static const TLocaleSettings &Current();
    static void SetCurrent(const TLocaleSettings &settings);
};

// An amount text (digits and separators, no sign) with the currency symbol
// placed as the format says: CurrencyText for the four positive formats,
// NegativeCurrencyText for the sixteen negative ones, with the minus sign or
// brackets. A format out of range counts as the last one.
QString CurrencyText(int currencyFormat, const QString &symbol, const QString &amount);
QString NegativeCurrencyText(int negCurrFormat, const QString &symbol, const QString &amount);

// Replaces the current settings for the lifetime of the object (tests).
class TScopedLocaleSettings
{
public:
    explicit TScopedLocaleSettings(const TLocaleSettings &settings);
    ~TScopedLocaleSettings();
    TScopedLocaleSettings(const TScopedLocaleSettings &) = delete;
    TScopedLocaleSettings &operator=(const TScopedLocaleSettings &) = delete;

private:
    TLocaleSettings m_saved;
};
