#!/usr/bin/env bash
# Runs two builds of tarifcheck side by side on the same files and reports
# every file where their output, exit code or written file differ:
# the largest provider file, the ten-times file, the samples, the fuzz seeds
# and MUTATIONS (default 300) randomly changed copies of these.
#
#   bench/same_output.sh OLD_TARIFCHECK NEW_TARIFCHECK [BUILD_DIR]
set -euo pipefail
old=$1
new=$2
build=${3:-build-rel}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/old" "$work/new"
"$build/bench/make_provider_file" "$work/in/largest.ini" 1
"$build/bench/make_provider_file" "$work/in/large10.ini" 10
cp "$here"/samples/*.ini "$work/in/"
for f in "$here"/fuzz/corpus/*; do cp "$f" "$work/in/seed-$(basename "$f").ini"; done
# Keys that name the same sections (equal, or differing in letter case or
# blanks), and a key whose day section is another provider's range section.
printf '%s\r\n' '[PROVIDER]' 'P0=Eins,AB' 'P1=Zwei,ab' 'P2=Drei,AB' 'P3=Vier, Ab ' \
    'P4=Fünf,ABWERKTAG' 'P5=Sechs,X' '[ABWERKTAG]' 'AB0=08:00-17:59/60/0.1' 'ab0=00:00-07:59/60/0.2' \
    'AB1=18:00-23:59/60/0.3' '[abSASO]' 'AB0=00:00-23:59/60/0.4' '[FREISTUNDEN]' 'AB=3' 'ab=4' \
    '[ABFREEHOURSRANGE]' 'AB0=12|08:00-09:59/60/' '[AB]' 'AB=1' '[XWERKTAG]' 'X0=00:00-23:59/30/0.5' \
    | iconv -f UTF-8 -t WINDOWS-1252 >"$work/in/collide.ini"
python3 - "$work/in" "${MUTATIONS:-300}" <<'PY'
import os, random, sys
folder, count = sys.argv[1], int(sys.argv[2])
random.seed(15)
bases = sorted(f for f in os.listdir(folder) if not f.startswith("large10"))
pieces = [b" ", b";", b"+", b"-", b"e", b"E", b"/", b":", b".", b"=", b"[", b"]", b"\t", b"\r", b"\n",
          b"\x80", b"\xe4", b"\xff", b"0", b"9", b"INIERROR", b'"', b"'"]
for n in range(count):
    data = bytearray(open(os.path.join(folder, bases[n % len(bases)]), "rb").read())
    if n % 50 == 0:
        data[0:0] = b"\xef\xbb\xbf"
    for _ in range(random.randint(1, 40)):
        if not data:
            break
        at = random.randrange(len(data))
        what = random.random()
        if what < 0.4:
            data[at:at] = random.choice(pieces)
        elif what < 0.7:
            data[at] = random.randrange(256)
        else:
            del data[at:at + random.randint(1, 12)]
    open(os.path.join(folder, "mut%03d.ini" % n), "wb").write(bytes(data))
PY
differ=0
total=0
for f in "$work"/in/*.ini; do
    name=$(basename "$f")
    for side in old new; do
        prog=$old
        [ $side = new ] && prog=$new
        rc=0
        "$prog" "$f" >"$work/$side/$name.check" 2>&1 || rc=$?
        echo "exit $rc" >>"$work/$side/$name.check"
        rc=0
        "$prog" --date 12/08/2026 --write "$work/$side/$name" "$f" >"$work/$side/$name.write" 2>&1 || rc=$?
        echo "exit $rc" >>"$work/$side/$name.write"
        # The written file names itself in its header: the same name on both sides.
    done
    total=$((total + 1))
    for part in .check .write ""; do
        if ! cmp -s "$work/old/$name$part" "$work/new/$name$part"; then
            echo "differs: $name$part"
            differ=$((differ + 1))
        fi
    done
done
echo "$total files, $differ differences"
[ $differ -eq 0 ]
