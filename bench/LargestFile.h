#pragma once

#include <QByteArray>

// The largest provider file the loader takes: 1025 providers, 21 weekday and
// 21 weekend entries each, 8 free-hours ranges each, every option section
// filled (about 2.5 MB).
QByteArray LargestProviderFile();
