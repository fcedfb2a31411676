#!/usr/bin/env bash
# Morlin on handset A with its radio on handset B's served modem: it shows
# B's phone book, and what it adds, deletes and saves lands on B's SIM (and
# gammu, another client of B, reads the message back), while A's own SIM
# stays as it was.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
. "$ROOT/tests/support/servemodem.sh"
trap 'stop_modem; [ -n "${KEEP:-}" ] || rm -rf "$TMP"' EXIT
cp -r "$ROOT/profiles/sample" "$TMP/A"
cp -r "$ROOT/profiles/sample" "$TMP/B"
python3 - "$TMP/A/sim.json" <<'PY'
import json, sys
sim = json.load(open(sys.argv[1], encoding="utf-8"))
sim["phonebook"]["entries"] = []
sim["sms"]["messages"] = []
json.dump(sim, open(sys.argv[1], "w", encoding="utf-8"), ensure_ascii=False)
PY
cp "$TMP/A/sim.json" "$TMP/A-sim.json"
serve_modem "$TMP/B" || exit 1
fails=0
run() { # $1 name, $2 keys
    "$ROOT/phone" run morlin --profile "$TMP/A" --modem "tcp:127.0.0.1:$PORT" --keys "$2" --shot "$TMP/$1.png" \
        || { echo "FAIL $1 run"; fails=1; }
}
check() { # $1 what, $2 a Python condition over sim (B's sim.json)
    if python3 - "$TMP/B/sim.json" "$2" <<'PY'
import json, sys
sim = json.load(open(sys.argv[1], encoding="utf-8"))
book = {e["index"]: (e["name"], e["number"]) for e in sim["phonebook"]["entries"]}
msgs = sim["sms"]["messages"]
sys.exit(0 if eval("(" + sys.argv[2] + ")") else 1)
PY
    then echo "ok   $1"; else echo "FAIL $1"; fails=1; fi
}

run add "SOFT1 TEXT=Lena DOWN TEXT=0123456 SOFT1"
check "a new entry lands in B's first free slot" 'book.get(5) == ("Lena", "0123456")'
# The list is sorted by name: "+33612345678" (slot 15, no name) comes first.
run delete "SOFT2 DOWN DOWN ACTION SOFT1"
check "the deleted entry leaves B's SIM, and only it" '15 not in book and len(book) == 10'
run sms "SOFT2 DOWN DOWN DOWN DOWN DOWN ACTION WAIT=3000 SOFT1 WAIT=300 TEXT=+4412345 DOWN TEXT=[x]€5 SOFT1 WAIT=2500 ACTION"
check "a message saved in Edit SMS is on B's SIM" \
    '[(m["index"], m["coding"], m["status"]) for m in msgs if (m.get("text"), m.get("number")) == ("[x]€5", "+4412345")] == [(4, 0, "STO UNSENT")]'
# The same modem on a serial line: a pseudo-terminal in front of it, which
# Wine knows as COM9 in the launcher's prefix.
COM=${PHONE_BUILD_DIR:-$ROOT/build}/wine-run/dosdevices/com9
socat PTY,link="$TMP/tty",raw,echo=0 TCP:127.0.0.1:$PORT &
SOCAT=$!
trap 'kill $SOCAT 2>/dev/null; rm -f "$COM"; stop_modem; [ -n "${KEEP:-}" ] || rm -rf "$TMP"' EXIT
for _ in $(seq 50); do [ -e "$TMP/tty" ] && break; sleep 0.1; done
ln -sfn "$TMP/tty" "$COM"
"$ROOT/phone" run morlin --profile "$TMP/A" --modem COM9: --keys "SOFT1 TEXT=Sera DOWN TEXT=777 SOFT1" --shot "$TMP/com.png" \
    || { echo "FAIL serial run"; fails=1; }
check "over a serial port too" '[i for i, e in book.items() if e == ("Sera", "777")] == [8]'

cmp -s "$TMP/A/sim.json" "$TMP/A-sim.json" && echo "ok   A's own SIM is untouched" || { echo "FAIL A's SIM changed"; fails=1; }

printf '[gammu]\nconnection = proxyat\ndevice = socat STDIO TCP:127.0.0.1:%s\n' "$PORT" > "$TMP/gammurc"
timeout 120 gammu -c "$TMP/gammurc" getsms 0 4 < /dev/null > "$TMP/getsms" 2>&1
grep -q '^\[x\]€5$' "$TMP/getsms" && grep -q '"+4412345"' "$TMP/getsms" \
    && echo "ok   gammu reads Morlin's message on B" || { echo "FAIL gammu reads Morlin's message"; cat "$TMP/getsms"; fails=1; }
[ $fails -eq 0 ] || { echo "--- B's radio.log (tail)"; tail -n 30 "$TMP/B/radio.log"; }
[ $fails -eq 0 ]
