#include "LocaleSettings.h"

#include <QLocale>
#include <QRegularExpression>

#include <optional>

namespace {

std::optional<TLocaleSettings> &currentSlot()
{
    static std::optional<TLocaleSettings> current;
    return current;
}

// Qt separates amount and symbol with no-break spaces; the program uses plain blanks.
QString plainBlanks(QString s)
{
    s.replace(QChar(0x00A0), u' ');
    s.replace(QChar(0x202F), u' ');
    return s;
}

QChar singleChar(const QString &s, QChar fallback)
{
    const QString t = plainBlanks(s);
    return t.size() == 1 ? t.at(0) : fallback;
}

// Where the symbol stands in a positive amount, as a Windows currency format.
int currencyFormatOf(const QString &sample, const QString &symbol)
{
    const qsizetype at = sample.indexOf(symbol);
    if (at < 0)
        return 3;
    if (at == 0)
        return sample.mid(symbol.size()).startsWith(u' ') ? 2 : 0;
    return sample.left(at).endsWith(u' ') ? 3 : 1;
}

// The Windows currency formats as patterns: "s" stands for the symbol, "n"
// for the amount; every other character is itself.
constexpr const char *PositivePatterns[] = {"sn", "ns", "s n", "n s"};
constexpr const char *NegativePatterns[] = {"(sn)", "-sn", "s-n", "sn-", "(ns)", "-ns", "n-s",
    "ns-", "-n s", "-s n", "n s-", "s n-", "s -n", "n- s", "(s n)", "(n s)"};

template<std::size_t N>
QString fromPattern(
    const char *const (&patterns)[N], int format, const QString &symbol, const QString &amount)
{
    const char *pattern = patterns[format >= 0 && std::size_t(format) < N ? format : N - 1];
    QString text;
    text.reserve(symbol.size() + amount.size() + 3);
    for (const char *p = pattern; *p; ++p) {
        if (*p == 's')
            text.append(symbol);
        else if (*p == 'n')
            text.append(amount);
        else
            text.append(QLatin1Char(*p));
    }
    return text;
}

// Which of the sixteen Windows negative-currency formats a Qt sample of -1 matches.
int negCurrFormatOf(const QString &sample, const QString &symbol, const QString &positive)
{
    const QString number = QString(positive).remove(symbol).trimmed();
    for (int f = 0; f < 16; ++f)
        if (NegativeCurrencyText(f, symbol, number) == sample)
            return f;
    return 1;
}

} // namespace

QString CurrencyText(int currencyFormat, const QString &symbol, const QString &amount)
{
    return fromPattern(PositivePatterns, currencyFormat, symbol, amount);
}

QString NegativeCurrencyText(int negCurrFormat, const QString &symbol, const QString &amount)
{
    return fromPattern(NegativePatterns, negCurrFormat, symbol, amount);
}

TLocaleSettings TLocaleSettings::German()
{
    return TLocaleSettings {};
}

TLocaleSettings TLocaleSettings::FromLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return German();
    TLocaleSettings s;
    s.DecimalSeparator = singleChar(locale.decimalPoint(), u'.');
    s.ThousandSeparator = singleChar(locale.groupSeparator(), u' ');
    if (s.ThousandSeparator.isNull())
        s.ThousandSeparator = u' ';

    // The time separator is the first character of the short time format
    // that is not a format letter.
    static const QRegularExpression sep(QStringLiteral("[^hHmsapAP]"));
    const QString timeFormat = plainBlanks(locale.timeFormat(QLocale::ShortFormat));
    const auto m = sep.match(timeFormat);
    s.TimeSeparator = m.hasMatch() ? m.captured(0).at(0) : QChar(u':');
    if (s.TimeSeparator == u' ')
        s.TimeSeparator = u':';

    s.CurrencyString = plainBlanks(locale.currencySymbol(QLocale::CurrencySymbol));
    const QString positive = plainBlanks(locale.toCurrencyString(1.0));
    QString negative = plainBlanks(locale.toCurrencyString(-1.0));
    s.CurrencyFormat = currencyFormatOf(positive, s.CurrencyString);
    s.NegCurrFormat
        = negCurrFormatOf(negative.replace(QChar(0x2212), u'-'), s.CurrencyString, positive);
    const qsizetype point = positive.indexOf(s.DecimalSeparator);
    if (point < 0) {
        s.CurrencyDecimals = 0;
    } else {
        int n = 0;
        while (point + 1 + n < positive.size() && positive.at(point + 1 + n).isDigit())
            ++n;
        s.CurrencyDecimals = n;
    }
    return s;
}

#ifndef Q_OS_WIN
TLocaleSettings TLocaleSettings::FromSystem()
{
    return FromLocale(QLocale::system());
}
#endif

const TLocaleSettings &TLocaleSettings::Current()
{
    auto &slot = currentSlot();
    if (!slot)
        slot = FromSystem();
    return *slot;
}

void TLocaleSettings::SetCurrent(const TLocaleSettings &settings)
{
    currentSlot() = settings;
}

TScopedLocaleSettings::TScopedLocaleSettings(const TLocaleSettings &settings)
    : m_saved(TLocaleSettings::Current())
{
    TLocaleSettings::SetCurrent(settings);
}

TScopedLocaleSettings::~TScopedLocaleSettings()
{
    TLocaleSettings::SetCurrent(m_saved);
}
