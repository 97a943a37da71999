#!/usr/bin/env bash
# A second start while the program runs brings the running window forward, restored, with the
# caret in the summary, and itself ends with 0 within a second; one window stays. The socket a
# killed program leaves behind is taken over by the next start. Runs under a window manager,
# which decides what is active as on a desktop.
source "$(dirname "$0")/harness.sh"
rk_start_x --wm
SOCKET=$XDG_RUNTIME_DIR/remarkist-$(id -u)-$DISPLAY

xmessage -name other -geometry 400x200+300+300 "another program" &
RK_PIDS+=($!)
OTHER=$(timeout 20 xdotool search --sync --onlyvisible --classname other | head -n 1) || rk_fail "no other window"

# second_start: the program started again must end with 0 within a second (its own probe
# file, so that it cannot pass for the running program's).
second_start() {
    local started code=0 took pid
    started=$(rk_now_ms)
    (rk_exec_app "$RK_TMP/widgets-second") >"$RK_TMP/second.log" 2>&1 &
    pid=$!
    RK_PIDS+=($pid)
    rk_wait 20 "the second start to end" rk_app_ended "$pid"
    took=$(($(rk_now_ms) - started))
    wait "$pid" || code=$?
    [ "$code" = 0 ] || { cat "$RK_TMP/second.log" >&2; rk_fail "the second start ended with $code"; }
    echo "second start ended with 0 after $took ms"
}

one_window() { [ "$(xdotool search --onlyvisible --name '^Remarkist$' | wc -l)" = 1 ]; }

# comes_forward: after a second start the running window is the one window, active, with the
# caret in the summary.
comes_forward() {
    second_start
    rk_wait $RK_TIMEOUT "the main window to come forward" rk_active_is "$RK_WINDOW"
    rk_wait_focus function/summary
    one_window || rk_fail "more than one window after a second start"
}

from_other() {
    xdotool windowactivate --sync "$OTHER"
    rk_wait $RK_TIMEOUT "the other window to be active" rk_active_is "$OTHER"
    comes_forward
}

from_minimised() {
    xdotool windowminimize --sync "$RK_WINDOW"
    rk_wait $RK_TIMEOUT "the main window to be minimised" rk_minimised
    comes_forward
}

rk_minimised() { xprop -id "$RK_WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }

# after_crash: the program killed leaves its socket; the next start takes it over and is
# then found by a second start.
after_crash() {
    kill -KILL "$RK_APP_PID"
    rk_wait $RK_TIMEOUT "the program to be killed" rk_app_ended
    [ -S "$SOCKET" ] || rk_fail "no socket left at $SOCKET"
    rk_start_app
    xdotool windowactivate --sync "$OTHER"
    rk_wait $RK_TIMEOUT "the other window to be active" rk_active_is "$OTHER"
    comes_forward
}

rk_start_app
rk_wait 20 "the main window to be active" rk_active_is "$RK_WINDOW"
[ -S "$SOCKET" ] || rk_fail "the program does not listen at $SOCKET"
cases=(
    "from_other"
    "from_minimised"
    "after_crash"
)
for case in "${cases[@]}"; do
    echo "--- $case"
    rk_click function/date # the caret elsewhere, so that the second start has to move it
    rk_wait_focus function/date
    $case
done

# The caret really is in the summary, and the window has the keyboard.
rk_enter "Typed after a second start."
rk_wait_text function/summary "Typed after a second start."
rk_click function/cancel
rk_expect_exit 0
[ ! -e "$SOCKET" ] || rk_fail "the socket is left after a normal end"
echo "single_instance: ok"
