#!/usr/bin/env bash
# tarifcheck.exe of build-win (or TE_WIN_BUILD) under Wine, with the console's
# CR LF line ends made LF, so that its output compares with the Linux build's.
# Its standard error comes out on standard output. The Windows user's locale
# is German, as the C locale stands for German on Linux.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${TE_WIN_BUILD:-$here/build-win}/bin/tarifcheck.exe
export TE_WINE_LOCALE=${TE_WINE_LOCALE:-de_DE.UTF-8}
"$here/scripts/wine-run.sh" "$exe" "$@" 2>&1 | sed 's/\r$//'
exit "${PIPESTATUS[0]}"
