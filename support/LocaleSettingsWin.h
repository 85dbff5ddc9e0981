#pragma once

#include "LocaleSettings.h"

// The settings Windows keeps for a locale ("de-DE"; empty: the user's own,
// as set in the control panel). A locale Windows does not know gives
// TLocaleSettings::German(). TLocaleSettings::FromSystem() is the user's.
TLocaleSettings WindowsLocaleSettings(const QString &localeName);
