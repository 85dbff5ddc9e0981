#!/usr/bin/env bash
# Fails when a source file is not valid UTF-8: German texts stand in the code
# as they read, and a file saved in another encoding would garble them silently.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r -d '' f; do
    if ! iconv -f UTF-8 -t UTF-8 "$f" >/dev/null 2>&1; then
        echo "not valid UTF-8: $f" >&2
        bad=1
    fi
done < <(find app controls dialogs editor model support tests bench fuzz packaging -type f \( -name '*.cpp' -o -name '*.h' \
    -o -name '*.cmake' -o -name 'CMakeLists.txt' -o -name '*.desktop' -o -name '*.xml' \) -print0 2>/dev/null)
exit $bad
