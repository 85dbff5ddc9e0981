#!/usr/bin/env bash
# tarifcheck.exe of build-win (or TE_WIN_BUILD) under Wine, with its output
# put in the Linux build's terms, so that the two compare: the console's CR LF
# line ends made LF, and paths on Wine's drive Z: (the Linux root) in their
# Linux form. Its standard error comes out on standard output. The Windows
# user's locale is German, as the C locale stands for German on Linux.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${TE_WIN_BUILD:-$here/build-win}/bin/tarifcheck.exe
export TE_WINE_LOCALE=${TE_WINE_LOCALE:-de_DE.UTF-8}
"$here/scripts/wine-run.sh" "$exe" "$@" 2>&1 | sed -e 's/\r$//' -e 's|Z:/|/|g'
exit "${PIPESTATUS[0]}"
