#pragma once

#include "ProviderData.h"

class TTheIniFile;

// Reads the provider file data.FileName from the program directory through the
// INI component into data, replacing what it held. Faulty tariff lines are
// reported one by one through ShowMsgBox as they are met; with faultyLines
// given they are only counted there instead (added to its value), and the
// model comes out the same. Lines past the reading limits (provider lines,
// entries of a day class) are reported once, after reading, with each section
// and how many of its lines are not read; or added to faultyLines. Keys longer
// than MaxKeyLength count as faulty lines. A file that cannot be opened leaves data empty and
// gives false (the component's ErrorCode tells why). After a load the
// component is closed by naming it "Rates.ini".
bool LoadProviderFile(TTheIniFile &ini, TProviderData &data, int *faultyLines = nullptr);

// Sorts providers by Name, comparing Windows-1252 bytes, with the editor's quicksort.
void SortProviderList(QList<TKeyAndName> &providers);

// Size and modification time of a file now (Exists false when there is none).
TFileStamp FileStampOf(const QString &path);
