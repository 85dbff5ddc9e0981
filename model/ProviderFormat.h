#pragma once

#include "TETypes.h"

#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <optional>

// The value-level rules of the provider file: how each value is read (with
// the reader's defaults and limits) and how the writer forms it. No file
// access here; the loader and the saver call these.
namespace ProviderFormat {

// Section names and fixed texts.
inline const QString SecCommon = QStringLiteral("COMMON");
inline const QString SecProvider = QStringLiteral("PROVIDER");
inline const QString SecFreeHoursRange = QStringLiteral("FREEHOURSRANGE");
inline const QString CommentPrefix = QStringLiteral("; ");
inline const QString VersionText = QStringLiteral("3.00");

// The reader's limits: provider lines and entries per day class, in file order.
inline constexpr int MaxProviderLines = 1025;
inline constexpr int MaxEntryLines = 21;
// The longest key the loader takes over, in characters (bytes in the file).
// Every entry and range ident repeats the key, so a longer one would multiply
// the size of the file written; the editor's own keys are far shorter.
inline constexpr int MaxKeyLength = 64;

// Deletes every blank (character 32 only), then keeps the text before the first ";".
QString CleanValue(const QString &value);

// The readers and writers below are public for their own table tests: each
// of their edge cases would otherwise take a whole file line to reach.

// The whole text is a decimal number: optional leading blanks, optional sign,
// digits with an optional "." and decimals, optional exponent.
bool ReadNumber(QStringView text, double &value);
// The whole text is a decimal integer in the 32-bit signed range.
bool ReadInteger(QStringView text, std::int32_t &value);

// The form in which the file holds a number of four decimals: four decimals
// with ".", unless that would read back as another number (0.00001 as
// 0.0000); then the shortest fixed-point text that reads back exactly
// (0.00001). Public so that its read-back property is tested over many values.
QString FileNumber(double value);
// The same written to dst (room for MaxFixedTextLength); returns the end.
char *WriteFileNumber(char *dst, double value);

// --- Provider line (section PROVIDER) ---

// A provider read from a raw PROVIDER value; nothing when the cleaned value is
// empty or its key part (after the first ",") is empty.
std::optional<TKeyAndName> ParseProviderLine(const QString &rawValue);
// True when the key can stand as an ident and in section names so that it
// reads back as itself: not starting or ending with a blank or tab, without
// "=", not starting with "[" or ";".
bool IsWritableKey(const QString &key);
// Display name with blanks as "_", ",", key: Beispiel_Tarif,BEIS0001.
QString ProviderLineText(const QString &displayName, const QString &key);

// --- Entry value (sections Key + WERKTAG / SASO) ---

enum class TEntryParse {
    Empty, // the cleaned value is empty: skipped without a message
    SyntaxError, // not "hh:mm-hh:mm/" at its start: not read
    Valid, // times and numbers readable
    Faulty, // a time invalid or a number unreadable: reported, still added
};

// Parses a raw value of a day-class section. For Valid and Faulty the entry
// holds what was read: with valid times, 59 seconds are added to the end and
// an unreadable number keeps the number its start reads as (0 when none); with an invalid time
// interval and fee are 0, so the next sort removes the entry.
TEntryParse ParseEntryValue(const QString &rawValue, TTariffEntry &entry);
// The same on the raw value as the Windows-1252 bytes of a file without byte
// order mark; the result is that of the decoded text.
TEntryParse ParseEntryValue(QByteArrayView rawValue, TTariffEntry &entry);
// hh:mm-hh:mm/interval/fee, numbers with four decimals, as Windows-1252 bytes
// written to dst (room for MaxEntryValueBytes), with sep as the byte of the
// time separator; returns the end. TimeTo is taken as the last second of its
// minute: its seconds are cut off.
inline constexpr int MaxEntryValueBytes = 2 * 16 + 3 + 2 * 330;
char *WriteEntryValue(char *dst, const TTariffEntry &entry, char sep);
// The ident of entry (or range) j of a provider: Key followed by j.
QString IndexedIdent(const QString &key, int index);

// --- Range value (section Key + FREEHOURSRANGE) ---

// Parses a raw (uncleaned) range value; nothing when a time is invalid or the
// interval unreadable (the closing "/" is required). TimeTo becomes the start
// of the end minute, with no 59 seconds added.
std::optional<TFreeHoursRange> ParseRangeValue(const QString &rawValue);
// The same on Windows-1252 bytes, with the result of the decoded text.
std::optional<TFreeHoursRange> ParseRangeValue(QByteArrayView rawValue);
// days|hh:mm-hh:mm/interval/ : 23456|18:00-23:00/60.0000/. TimeTo is taken
// as the start of the end minute.
QString RangeValueText(const TFreeHoursRange &range);
// The same as Windows-1252 bytes, written to dst (room for MaxRangeValueBytes),
// with sep as the byte of the time separator; returns the end. For the writer.
inline constexpr int MaxRangeValueBytes = 8 + 2 * 16 + 4 + 330;
char *WriteRangeValue(char *dst, const TFreeHoursRange &range, char sep);

// --- Option sections ---

enum class TOption {
    FREISTUNDEN,
    OPTIONS,
    FreeHoursCosts,
    GRUNDBETRAG,
    BASECONNECTPRICE,
    FreeHoursPerDay,
    ISDNDoubleCosts,
    NOCOSTS,
    COSTSPERDAY,
    TIMING,
    MinConnectTime,
};

QString OptionSection(TOption option);

// The order in which the loader reads the options (the free-hours ranges are
// read right after FREISTUNDEN).
inline constexpr TOption LoadOrder[] = {
    TOption::FREISTUNDEN,
    TOption::OPTIONS,
    TOption::FreeHoursCosts,
    TOption::GRUNDBETRAG,
    TOption::BASECONNECTPRICE,
    TOption::FreeHoursPerDay,
    TOption::ISDNDoubleCosts,
    TOption::NOCOSTS,
    TOption::COSTSPERDAY,
    TOption::TIMING,
    TOption::MinConnectTime,
};
// The order of the option sections in a saved file (the free-hours range
// sections come right after FREISTUNDEN).
inline constexpr TOption SaveOrder[] = {
    TOption::TIMING,
    TOption::MinConnectTime,
    TOption::FREISTUNDEN,
    TOption::OPTIONS,
    TOption::FreeHoursCosts,
    TOption::GRUNDBETRAG,
    TOption::BASECONNECTPRICE,
    TOption::FreeHoursPerDay,
    TOption::ISDNDoubleCosts,
    TOption::NOCOSTS,
    TOption::COSTSPERDAY,
};

// Reads one raw option value (cleaned here) into the options, with the
// default for a missing, empty or unreadable value and the reader's limits.
void ReadOption(TOption option, const QString &rawValue, TProviderOptions &options);
// The same on Windows-1252 bytes, with the result of the decoded text.
void ReadOption(TOption option, QByteArrayView rawValue, TProviderOptions &options);
// The value the writer puts into the option's section, written to dst (room
// for MaxFixedTextLength); returns the end, or nullptr when the provider gets
// no line there (FreeHoursCosts and COSTSPERDAY only above 0, FreeHoursPerDay
// and ISDNDoubleCosts only when set).
char *WriteOptionValue(char *dst, TOption option, const TProviderOptions &options);
// What saving changes in the model: NoCostsFrom and CostsPerDay become the
// whole numbers the file holds, a NoCostsFrom of 0 or less becomes -1 and a
// FreeHoursCosts of 0 or less (which is not written) becomes 0.
void NormalizeForSave(TProviderOptions &options);

// --- Header and COMMON ---

// The eleven header texts; each line of the file is CommentPrefix + text.
QStringList HeaderTexts(const QString &fileName);
// STRVERSION, VERSION, FILEDATE (mm/dd/yyyy), FILENAME, in this order.
QList<QPair<QString, QString>> CommonValues(const QString &fileName, const QDate &date);

} // namespace ProviderFormat
