#!/usr/bin/env bash
# Morlin driven by keys on a copy of the sample handset: an entry added with
# New stays on the SIM after the program has ended.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
cp -r "$ROOT/profiles/sample" "$TMP/p"
"$ROOT/phone" run morlin --profile "$TMP/p" --keys "SOFT1 TEXT=Lena DOWN TEXT=0123456 SOFT1" --shot "$TMP/s.png"
rc=$?
fails=0
[ $rc -eq 0 ] || { echo "FAIL run exit $rc"; fails=1; }
if python3 - "$TMP/p/sim.json" <<'PY'
import json, sys
entries = json.load(open(sys.argv[1]))["phonebook"]["entries"]
hit = [e for e in entries if e["name"] == "Lena" and e["number"] == "0123456"]
sys.exit(0 if len(hit) == 1 and hit[0]["index"] == 5 else 1)
PY
then echo "ok   entry stored in the first free slot"; else echo "FAIL entry not on the SIM"; fails=1; fi
cmp -s "$ROOT/profiles/sample/sim.json" "$TMP/p/sim.json" && { echo "FAIL sim.json unchanged"; fails=1; }
[ $fails -eq 0 ]
