#pragma once

#include "ProviderData.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>

#include <functional>

class TTheIniFile;

// The complete provider file for the model: header, COMMON, PROVIDER, the
// day-class sections and the option sections, CR LF, Windows-1252. The
// provider lines carry the providers' display names. The
// model is written as the saver leaves it: call on sorted, normalised data.
// beforeEvenProvider runs before each provider line with an even index.
// Returns false, with the offending text in *unencodable, when a text holds a
// character that Windows-1252 cannot hold or cannot stand in the file as it is
// (a provider key with "=", for example, would not read back).
bool BuildProviderFile(const TProviderData &data, const QDate &date, QByteArray &bytes,
    QString *unencodable = nullptr, const std::function<void()> &beforeEvenProvider = {});

// What saving does to the model before writing: every entry list sorted
// (entries with interval 0 dropped) and every NoCostsFrom of 0 or less set to -1.
void PrepareForSave(TProviderData &data);

// When the file on disk differs from the one loaded (size or modification
// time), asks whether to overwrite it anyway. True means go on.
bool ConfirmOverwriteIfChanged(const TProviderData &data);

enum class TSaveResult {
    Saved, // the new file is in place; data sorted, normalised, not modified
    CannotReplace, // the old file could not be replaced; nothing changed
    WriteFailed, // writing the new file failed; the old file is unchanged
};

// Writes data to data.FileName in the program directory in one safe step and,
// on success, takes over the sorted and normalised model and clears Modified.
// On failure the user is told, and data and the file on disk stay as they were.
TSaveResult SaveProviderFile(TTheIniFile &ini, TProviderData &data,
    const QDate &date = QDate::currentDate(), const std::function<void()> &beforeEvenProvider = {});
