#!/usr/bin/env bash
# A kill (SIGTERM), Ctrl+C in the terminal (SIGINT) and a closed terminal or logout (SIGHUP)
# end the program as Cancel does: exit code 0, the socket removed, the window position saved,
# and the comment copied last kept on the clipboard by the keeper (no clipboard manager runs).
source "$(dirname "$0")/harness.sh"
rk_start_x
SOCKET=$XDG_RUNTIME_DIR/remarkist-$(id -u)-$DISPLAY

settings() { (cd "$RK_WORK" && "$REMARKIST_RENDER" settings); }
rk_window_at() { [ "$(rk_line window:Remarkist | cut -f 3,4)" = "$1"$'\t'"$2" ]; }

ends_as_cancel() {
    local signal=$1
    rk_wait $RK_TIMEOUT "the program to listen" test -S "$SOCKET"
    xdotool windowmove --sync "$RK_WINDOW" 120 90
    rk_wait $RK_TIMEOUT "the window at 120,90" rk_window_at 120 90
    rk_type function/summary "Kept after $signal."
    rk_key shift+ctrl+c
    rk_render "{\"kind\": \"function\", \"date\": \"$(rk_text function/date)\", \"summary\": \"Kept after $signal.\"}" \
        >"$RK_TMP/expected"
    rk_expect_clipboard "$RK_TMP/expected"
    kill -s "$signal" "$RK_APP_PID"
    rk_expect_exit 0
    [ ! -e "$SOCKET" ] || rk_fail "$signal left the socket behind"
    rk_expect_clipboard "$RK_TMP/expected"
    settings | grep -q '"WindowX":120,"WindowY":90' || rk_fail "$signal did not save the position: $(settings)"
    # Another program takes the clipboard; the keeper ends.
    printf 'taken' >"$RK_TMP/other"
    rk_own_clipboard "$RK_TMP/other"
}

# setting.dat cannot be written: as after Cancel the error dialog asks what to do; a second
# kill does not wait for the answer.
second_kill_while_ending() {
    mkdir "$RK_WORK/setting.dat"
    kill -s TERM "$RK_APP_PID"
    rk_wait $RK_TIMEOUT "the error dialog" rk_line errorDialog
    rk_wait_text errorDialog/errorText "ファイルの保存に失敗しました。"
    kill -s TERM "$RK_APP_PID"
    rk_expect_exit 143
}

cases=(
    "ends_as_cancel TERM"
    "ends_as_cancel INT"
    "ends_as_cancel HUP"
    "second_kill_while_ending"
)
for case in "${cases[@]}"; do
    echo "--- $case"
    rk_fresh_work
    rk_start_app
    $case
done
echo "end_signal: ok"
