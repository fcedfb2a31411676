# Sourced by shell tests: the handset's built-in modem served on a free port.
# serve_modem PROFILE: starts it and sets SERVER (its pid) and PORT; returns
# non-zero, showing what it said, when it did not start. stop_modem ends it.
SERVER=
PORT=
serve_modem() {
    local out=${1%/}.serve.out try rc
    # A second try: the first start on a new machine also prepares the
    # launcher's Wine prefix for the modem, and that has been seen to end early.
    for try in 1 2; do
        "$ROOT/phone" modem serve --port 0 --profile "$1" > "$out" 2>&1 &
        SERVER=$!
        for _ in $(seq 1200); do
            grep -q '^listening on' "$out" && break
            kill -0 "$SERVER" 2>/dev/null || break
            sleep 0.1
        done
        PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)\r\{0,1\}$/\1/p' "$out")
        [ -n "$PORT" ] && return 0
        rc=0
        kill "$SERVER" 2>/dev/null
        wait "$SERVER" 2>/dev/null || rc=$?
        echo "the modem did not start (try $try, exit code $rc):"
        cat "$out"
    done
    echo "FAIL the modem did not start"
    return 1
}
stop_modem() {
    if [ -n "$SERVER" ]; then
        kill "$SERVER" 2>/dev/null
        wait "$SERVER" 2>/dev/null
    fi
    SERVER=
}
