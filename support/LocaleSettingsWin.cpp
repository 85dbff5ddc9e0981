// The user's number, time and money settings on Windows, as the control
// panel keeps them (GetLocaleInfoEx).

#include "LocaleSettingsWin.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// One setting of the locale as text; empty when Windows has none.
QString info(const std::wstring &name, LCTYPE type)
{
    const wchar_t *locale = name.empty() ? LOCALE_NAME_USER_DEFAULT : name.c_str();
    wchar_t buffer[128];
    const int n = ::GetLocaleInfoEx(locale, type, buffer, int(std::size(buffer)));
    if (n <= 1)
        return QString();
    QString s = QString::fromWCharArray(buffer, n - 1);
    // The program separates amount and symbol with plain blanks.
    s.replace(QChar(0x00A0), u' ');
    s.replace(QChar(0x202F), u' ');
    return s;
}

int number(const std::wstring &name, LCTYPE type, int fallback, int max)
{
    bool ok = false;
    const int v = info(name, type).toInt(&ok);
    return ok && v >= 0 && v <= max ? v : fallback;
}

QChar singleChar(const QString &s, QChar fallback)
{
    return s.size() == 1 ? s.at(0) : fallback;
}

} // namespace

TLocaleSettings WindowsLocaleSettings(const QString &localeName)
{
    const std::wstring name = localeName.toStdWString();
    TLocaleSettings s = TLocaleSettings::German();
    // A locale Windows does not know gives nothing: German settings stay.
    if (info(name, LOCALE_SDECIMAL).isEmpty())
        return s;
    s.DecimalSeparator = singleChar(info(name, LOCALE_SDECIMAL), u'.');
    // No grouping at all is one blank, as for locales with a longer separator.
    s.ThousandSeparator = singleChar(info(name, LOCALE_STHOUSAND), u' ');
    QString time = info(name, LOCALE_STIME);
    if (time.isEmpty()) {
        // The separator is the first character of the time format that is no
        // format letter.
        const QString format = info(name, LOCALE_STIMEFORMAT);
        for (QChar c : format) {
            if (!QStringLiteral("hHmstMd' ").contains(c)) {
                time = c;
                break;
            }
        }
    }
    s.TimeSeparator = singleChar(time, u':');
    if (s.TimeSeparator == u' ')
        s.TimeSeparator = u':';
    const QString symbol = info(name, LOCALE_SCURRENCY);
    if (!symbol.isEmpty())
        s.CurrencyString = symbol;
    s.CurrencyFormat = number(name, LOCALE_ICURRENCY, 3, 3);
    s.NegCurrFormat = number(name, LOCALE_INEGCURR, 8, 15);
    s.CurrencyDecimals = number(name, LOCALE_ICURRDIGITS, 2, 9);
    return s;
}

TLocaleSettings TLocaleSettings::FromSystem()
{
    return WindowsLocaleSettings(QString());
}
