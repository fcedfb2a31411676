#!/usr/bin/env bash
# gammu, a real AT client, against the handset's served modem on a copy of
# the sample handset: what gammu writes lands in sim.json with the same text,
# number and coding, and what sim.json holds gammu reads back character for
# character.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
. "$ROOT/tests/support/servemodem.sh"
trap 'stop_modem; [ -n "${KEEP:-}" ] || rm -rf "$TMP"' EXIT
cp -r "$ROOT/profiles/sample" "$TMP/p"
serve_modem "$TMP/p" || exit 1
printf '[gammu]\nconnection = proxyat\ndevice = socat STDIO TCP:127.0.0.1:%s\n' "$PORT" > "$TMP/gammurc"
g() { timeout 120 gammu -c "$TMP/gammurc" "$@" < /dev/null 2>&1; }
fails=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; fails=1; }

# $1 what is checked, $2 a Python condition over sim (the profile's sim.json)
# and out (the text of the file $3, gammu's output).
check() {
    if python3 - "$TMP/p/sim.json" "$2" "${3:-/dev/null}" <<'PY'
import json, sys
sim = json.load(open(sys.argv[1], encoding="utf-8"))
out = open(sys.argv[3], encoding="utf-8", errors="replace").read()
msgs = sim["sms"]["messages"]
book = sim["phonebook"]["entries"]
sys.exit(0 if eval("(" + sys.argv[2] + ")") else 1)
PY
    then ok "$1"; else fail "$1"; fi
}

g identify > "$TMP/identify"
check "identify names maker, model, firmware, IMEI and IMSI" \
    '"Manufacturer         : Ostrel" in out and "SP-176" in out and "4.20.1081" in out and "IMEI                 : 490154203237518" in out and "SIM IMSI" in out' \
    "$TMP/identify"

# Every message of the sample, GSM and UCS2, received and stored, reads back whole.
g getallsms > "$TMP/sms"
check "getallsms reads every message's text and number" \
    'all(m["text"] in out and "Remote number        : \"%s\"" % m["number"] for m in msgs) and "5 SMS parts" in out' \
    "$TMP/sms"
check "getallsms shows received as inbox, stored as outbox" \
    'out.count("Inbox folder") == 3 and out.count("\"Outbox\"") == 2' "$TMP/sms"

g getallmemory SM > "$TMP/book"
check "getallmemory SM reads every entry" \
    'all("Location %d\n" % e["index"] in out and ("Name                 : \"%s\"" % e["name"] in out or not e["name"]) and "\"%s\"" % e["number"] in out for e in book)' \
    "$TMP/book"

# Messages gammu stores: national and extension characters in the GSM
# alphabet, then a UCS2 one with a character beyond the first plane.
GSM_TEXT='Grüße Öl é ß € [x] ~{} ¿Ñ'
UCS2_TEXT='Γειά σου! Привет 😀'
g savesms TEXT -sender "+4912345" -textutf8 "$GSM_TEXT" > "$TMP/save1"
g savesms TEXT -sender "0123456" -unicode -folder 2 -unsent -textutf8 "$UCS2_TEXT" > "$TMP/save2"
export GSM_TEXT UCS2_TEXT
check "savesms of GSM text: stored as written, coding 0" \
    '[(m["number"], m["coding"], m["status"]) for m in msgs if m["text"] == __import__("os").environ["GSM_TEXT"]] == [("+4912345", 0, "REC READ")]'
check "savesms -unicode: stored as written, coding 8, unsent" \
    '[(m["number"], m["coding"], m["status"]) for m in msgs if m["text"] == __import__("os").environ["UCS2_TEXT"]] == [("0123456", 8, "STO UNSENT")]'
check "the saves took the first free slots" \
    'sorted(m["index"] for m in msgs) == [1, 2, 3, 4, 5, 6, 7]'
g getallsms > "$TMP/sms2"
check "gammu reads both back character for character" \
    '__import__("os").environ["GSM_TEXT"] in out and __import__("os").environ["UCS2_TEXT"] in out and "7 SMS parts" in out' \
    "$TMP/sms2"

# Deleting one slot leaves the others.
g deletesms 0 4 > "$TMP/del"
check "deletesms removes its slot only" 'sorted(m["index"] for m in msgs) == [1, 2, 3, 5, 6, 7]'

# A phone-book entry with a name in UCS2 (the SIM's 14 characters), through a vCard.
printf 'BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8:Zoë Ωμέγα €\nTEL:+4412345\nEND:VCARD\n' > "$TMP/new.vcf"
g addnew "$TMP/new.vcf" -yes -memory SM > "$TMP/addnew"
check "addnew stores the entry in the first free slot" \
    '[(e["number"], e["addressType"]) for e in book if e["name"] == "Zoë Ωμέγα €"] == [("+4412345", 1)] and any(e["index"] == 5 and e["name"] == "Zoë Ωμέγα €" for e in book)'
g getmemory SM 5 > "$TMP/one"
check "getmemory reads the name back" '"Name                 : \"Zoë Ωμέγα €\"" in out and "\"+4412345\"" in out' "$TMP/one"
g deletememory SM 5 > "$TMP/delmem"
check "deletememory empties the slot" 'not any(e["index"] == 5 for e in book) and len(book) == 10'

# Everything went through the modem and its log.
grep -q '^> AT+CMGW=' "$TMP/p/radio.log" && grep -q '^> AT+CPBW=5<CR>' "$TMP/p/radio.log" \
    && ok "radio.log holds the commands" || fail "radio.log holds the commands"
[ $fails -eq 0 ] || { echo "--- radio.log (tail)"; tail -n 40 "$TMP/p/radio.log"; }
[ $fails -eq 0 ]
