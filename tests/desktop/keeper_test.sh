#!/usr/bin/env bash
# The clipboard keeper on its own: it serves its text in every text format (large texts in
# pieces), reports once it owns the clipboard, and ends when another program takes it.
source "$(dirname "$0")/harness.sh"
rk_start_x

printf 'Grüße 日本\r\nzwei' >"$RK_TMP/mixed"
printf 'Gr\xfc\xdfe ??\r\nzwei' >"$RK_TMP/mixed.latin1"
head -c 1500000 /dev/zero | tr '\0' 'x' >"$RK_TMP/large" # past the 256 KiB request limit
printf 'TARGETS\nTIMESTAMP\nUTF8_STRING\nSTRING\nTEXT\n' >"$RK_TMP/targets"

# start_keeper FILE: the keeper serving FILE; waits for its "I own it" byte.
start_keeper() {
    : >"$RK_TMP/ready"
    "$REMARKIST_KEEPER" <"$1" >"$RK_TMP/ready" &
    KEEPER_PID=$!
    RK_PIDS+=($KEEPER_PID)
    rk_wait $RK_TIMEOUT "the keeper to own the clipboard" test -s "$RK_TMP/ready"
    [ "$(cat "$RK_TMP/ready")" = 1 ] || rk_fail "the keeper reported '$(cat "$RK_TMP/ready")'"
}

keeper_ended() { ! kill -0 "$KEEPER_PID" 2>/dev/null || grep -q '^[0-9]* (.*) Z' "/proc/$KEEPER_PID/stat"; }

# name | text given to the keeper | target asked for | bytes expected
cases=(
    "utf8   | mixed | UTF8_STRING | mixed"
    "text   | mixed | TEXT        | mixed"
    "latin1 | mixed | STRING      | mixed.latin1"
    "incr   | large | UTF8_STRING | large"
    "list   | mixed | TARGETS     | targets"
)
for case in "${cases[@]}"; do
    IFS='|' read -r name input target expected <<<"${case// /}"
    echo "--- $name"
    start_keeper "$RK_TMP/$input"
    timeout 20 xclip -o -selection clipboard -t "$target" >"$RK_TMP/got" || rk_fail "$name: no answer"
    cmp "$RK_TMP/got" "$RK_TMP/$expected" || rk_fail "$name: wrong bytes"
    # Another program takes the clipboard: the keeper ends.
    printf 'next' >"$RK_TMP/next"
    rk_own_clipboard "$RK_TMP/next"
    rk_wait $RK_TIMEOUT "the keeper to end" keeper_ended
done

echo "--- unknown target refused"
start_keeper "$RK_TMP/mixed"
! timeout 20 xclip -o -selection clipboard -t image/png >/dev/null 2>&1 || rk_fail "image/png was served"

echo "--- nothing to keep"
status=0
"$REMARKIST_KEEPER" </dev/null >"$RK_TMP/ready" || status=$?
[ "$status" = 1 ] && [ ! -s "$RK_TMP/ready" ] || rk_fail "an empty text gave status $status"
rk_expect_clipboard "$RK_TMP/mixed"
echo "keeper: ok"
