#!/usr/bin/env bash
# The launcher as a user drives it: key scripts, screenshots, refusals.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
fails=0
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fails=$((fails + 1)); fi
}
png_size() { # prints "W H" of a PNG
    od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'
}
is_png() { [ -f "$1" ] && [ "$(od -An -c -j1 -N3 "$1" | tr -d ' ')" = "PNG" ]; }

# A screenshot of the whole handset screen.
"$ROOT/phone" run tavel --keys "SHOT=$TMP/before.png SOFT2" --shot "$TMP/menu.png"
check "run exits 0" [ $? -eq 0 ]
check "shot is 176 x 220" [ "$(png_size "$TMP/menu.png")" = "176 220" ]
check "mid-sequence shot taken" is_png "$TMP/before.png"
check "the key changed the screen" bash -c "! cmp -s '$TMP/before.png' '$TMP/menu.png'"

# A long operation (999 files deleted) is waited out before the shot and the close.
mkdir -p "$TMP/long/store/big"
(cd "$TMP/long/store/big" && for i in $(seq 999); do : > "f$i.txt"; done)
"$ROOT/phone" run tavel --profile "$TMP/long" --shot "$TMP/long.png" \
    --keys "ACTION SOFT2 DOWN DOWN RIGHT ACTION SOFT2 DOWN RIGHT DOWN DOWN DOWN ACTION SOFT1"
check "long delete run exits 0" [ $? -eq 0 ]
check "all 999 files deleted" [ -z "$(ls -A "$TMP/long/store/big")" ]

# SNAP= shoots at once, while Find still searches the big tree; SHOT= waits for a still screen.
mkdir -p "$TMP/find/store"
"$ROOT/phone" run tavel --profile "$TMP/find" --big-tree Archive --keys "SOFT2 DOWN DOWN DOWN ACTION WAIT=300 TEXT=report DOWN DOWN ACTION SOFT1 SNAP=$TMP/searching.png WAIT=1 SHOT=$TMP/found.png"
check "big tree made" [ "$(find "$TMP/find/store/Archive" -name 'report-*.txt' | wc -l)" -eq 240 ]
check "snap taken mid-search" bash -c "[ -f '$TMP/searching.png' ] && ! cmp -s '$TMP/searching.png' '$TMP/found.png'"

# Two launchers at once on one prefix: one waits, neither ends the other's program;
# the second's profile holds only store/.
mkdir -p "$TMP/bare/store"
"$ROOT/phone" run tavel --fresh --keys "WAIT=4000" --shot "$TMP/first.png" 2>"$TMP/first.err" &
sleep 1
"$ROOT/phone" run ostrel --profile "$TMP/bare" --shot "$TMP/second.png" 2>"$TMP/second.err"
check "second launcher runs" [ $? -eq 0 ]
wait $!
check "first launcher runs" [ $? -eq 0 ]
check "first shot taken" is_png "$TMP/first.png"
check "second shot taken" is_png "$TMP/second.png"
check "one launcher waited" grep -q "waiting for the other launcher" "$TMP/first.err" "$TMP/second.err"

# Closing ends the program whatever page or box is up: the beam page, and over
# it the ownerless "Fail to connect." of a device whose port nobody listens on.
listening() { # port: some program listens on it here
    awk -v p=":$(printf '%04X' "$1")" '$4 == "0A" && substr($2, length($2) - 4) == p { f = 1 } END { exit !f }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null
}
port=1
while listening $port; do port=$((port + 1)); done
cp -r "$ROOT/profiles/sample" "$TMP/beam"
jq --argjson p $port '.devices[0].port = $p' "$ROOT/profiles/sample/irda.json" > "$TMP/beam/irda.json"
beam="DOWN ACTION DOWN ACTION DOWN SOFT2 DOWN DOWN DOWN DOWN RIGHT DOWN ACTION WAIT=800"
for open in page box; do
    keys="SHOT=$TMP/list.png $beam"
    [ $open = page ] || keys="$beam SHOT=$TMP/page-under.png SOFT1 WAIT=500"
    "$ROOT/phone" run tavel --profile "$TMP/beam" --keys "$keys" --shot "$TMP/$open.png" 2>"$TMP/$open.err"
    check "closed with the $open up, it ends" [ $? -eq 0 ]
    check "closed with the $open up, nothing killed" bash -c "! grep -q 'did not end' '$TMP/$open.err'"
done
check "the box was up over the page" bash -c "! cmp -s '$TMP/page-under.png' '$TMP/box.png'"
check "the page was up" bash -c "! cmp -s '$TMP/list.png' '$TMP/page.png'"

# Port 650 held by another program (obex_tcp listening in a folder of ours):
# the demo and a test that needs the port stop at once, naming the port and
# its holder, before any tour or test runs. (ctest's lock keeps our own users
# of the port away; ./phone test stops this test the same way while it is held.)
mkdir -p "$TMP/obex"
(cd "$TMP/obex" && exec obex_tcp) >/dev/null 2>&1 &
holder=$!
for _ in $(seq 200); do listening 650 && break; sleep 0.05; done
check "obex_tcp holds port 650" listening 650
for cmd in "demo" "test -R platform_test"; do
    out=$("$ROOT/phone" $cmd 2>&1)
    rc=$?
    check "$cmd stops while port 650 is held" [ $rc -ne 0 ]
    check "$cmd names port 650 and obex_tcp" grep -qF "port 650 is in use by obex_tcp (pid $holder)" <<<"$out"
    check "$cmd ran nothing" bash -c '! grep -qE "out/demo/|Test +#" <<<"$1"' _ "$out"
done
kill $holder 2>/dev/null
wait $holder 2>/dev/null

# An unknown key name is refused before anything starts.
out=$("$ROOT/phone" run tavel --keys "SOFT1 JUMP" --shot "$TMP/never.png" 2>&1)
rc=$?
check "unknown key refused" [ $rc -ne 0 ]
check "unknown key named" grep -q "JUMP" <<<"$out"
check "nothing ran" [ ! -e "$TMP/never.png" ]

# A damaged profile file stops the program with the file named, untouched.
refused() { # program, profile, damaged file
    local before out rc
    before=$(md5sum < "$3")
    out=$("$ROOT/phone" run "$1" --profile "$2" --shot "$TMP/refused.png" 2>&1)
    rc=$?
    check "damaged $(basename "$3") refused" [ $rc -ne 0 ]
    check "damaged $(basename "$3") named" grep -qF "$(basename "$3")" <<<"$out"
    check "damaged $(basename "$3") untouched" [ "$before" = "$(md5sum < "$3")" ]
}
mkdir -p "$TMP/bad/store"
printf '{ "phonebook": [ 1, 2 ' > "$TMP/bad/sim.json"
refused morlin "$TMP/bad" "$TMP/bad/sim.json"
rm "$TMP/bad/sim.json"
# reg import drops a value under a broken key header without a word.
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\System\\StorageManager\\Profiles\n"Folder"="Storage Card"\n\n[HKEY_CURRENT_USER\\ControlPanel\\Probe]\n"Kept"=dword:5\n' > "$TMP/bad/registry.reg"
refused tavel "$TMP/bad" "$TMP/bad/registry.reg"

# The profile's registry set-up goes in before the run and comes back after it.
mkdir -p "$TMP/reg/store"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\ControlPanel\\Probe]\n"Kept"=dword:00000005\n' > "$TMP/reg/registry.reg"
"$ROOT/phone" run ostrel --profile "$TMP/reg" --shot "$TMP/reg.png"
check "registry value survives a run" grep -q '"Kept"=dword:00000005' "$TMP/reg/registry.reg"

# A folder without store/ is not a profile.
mkdir -p "$TMP/empty"
check "profile without store refused" bash -c "! '$ROOT/phone' run tavel --profile '$TMP/empty' --shot '$TMP/x.png' 2>/dev/null"

[ $fails -eq 0 ]
