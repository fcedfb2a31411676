#!/usr/bin/env bash
# Morlin driven by keys on a copy of the sample handset: an entry added with
# New, the entries copied by the two Contacts transfers, a message saved in
# Edit SMS and one copied from the Inbox stay after the program has ended.
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

# Contacts -> SIM with the first row ticked, then SIM -> Contacts with the top row
# (the last SIM entry): each copy is in the profile after the program has ended.
IMPORT="SOFT2 DOWN DOWN DOWN DOWN RIGHT"
"$ROOT/phone" run morlin --profile "$TMP/p" --keys "$IMPORT ACTION WAIT=800 ACTION SOFT1 WAIT=300 ACTION" --shot "$TMP/c.png"
"$ROOT/phone" run morlin --profile "$TMP/p" --keys "$IMPORT DOWN DOWN ACTION WAIT=800 ACTION SOFT1 WAIT=300 ACTION" --shot "$TMP/s.png"
if python3 - "$TMP/p" <<'PY'
import json, sys
sim = json.load(open(sys.argv[1] + "/sim.json"))["phonebook"]["entries"]
contacts = json.load(open(sys.argv[1] + "/contacts.json"))["contacts"]
ok = [e["index"] for e in sim if e["name"] == "Lena Holm" and e["number"] == "+46701112233"] == [8]
ok = ok and {"firstName": "Pizza", "lastName": "Roma", "fileAs": "Pizza Roma",
             "mobileTelephoneNumber": "01632960999"}.items() <= contacts[-1].items()
sys.exit(0 if ok else 1)
PY
then echo "ok   copies both ways kept in sim.json and contacts.json"; else echo "FAIL transfer copies not kept"; fails=1; fi
# A message typed in Edit SMS is on the SIM after the program has ended, and
# the radio read it back unchanged.
KEYS="SOFT2 DOWN DOWN DOWN DOWN DOWN ACTION WAIT=3000 SOFT1 WAIT=300 TEXT=+4412345 DOWN TEXT=[x]€5 SOFT1 WAIT=2500 ACTION"
"$ROOT/phone" run morlin --profile "$TMP/p" --keys "$KEYS" --shot "$TMP/m.png" || { echo "FAIL message run"; fails=1; }
if python3 - "$TMP/p/sim.json" <<'PY'
import json, sys
msgs = json.load(open(sys.argv[1]))["sms"]["messages"]
hit = [m for m in msgs if m.get("text") == "[x]€5" and m.get("number") == "+4412345"]
sys.exit(0 if len(hit) == 1 and hit[0]["index"] == 4 and hit[0]["coding"] == 0 else 1)
PY
then echo "ok   message stored in the first free slot"; else echo "FAIL message not on the SIM"; fails=1; fi
grep -q '^< +CMGR: "STO UNSENT","+4412345",,145,17,0,0,167,"+447700900000",145,8<CR><LF>1B3C781B3E1B6535<CR>' \
    "$TMP/p/radio.log" && echo "ok   message read back" || { echo "FAIL message not read back"; fails=1; }
# Inbox/SMS -> SIM with the second row ("Anna <+4912345>") ticked.
"$ROOT/phone" run morlin --profile "$TMP/p" --keys "$IMPORT DOWN ACTION WAIT=1500 DOWN ACTION SOFT1 WAIT=2500 ACTION" \
    --shot "$TMP/i.png" || { echo "FAIL inbox run"; fails=1; }
grep -q '^> AT+CMGW="+4912345",145<CR>' "$TMP/p/radio.log" && grep -q '"text": "See you at the station at 8"' "$TMP/p/sim.json" \
    && echo "ok   inbox message copied to the SIM" || { echo "FAIL inbox message not on the SIM"; fails=1; }
[ $fails -eq 0 ]
