#!/usr/bin/env bash
# Windows+C, pressed while another program's window is active, brings the main window to
# the front with the caret in the summary of the selected page; also with NumLock or
# CapsLock on, and from the minimised state. Runs under a window manager, which decides
# what is active as on a desktop.
source "$(dirname "$0")/harness.sh"
rk_start_x --wm
rk_start_app
rk_wait 20 "the main window to be active" rk_active_is "$RK_WINDOW"

xmessage -name other -geometry 400x200+300+300 "another program" &
RK_PIDS+=($!)
OTHER=$(timeout 20 xdotool search --sync --onlyvisible --classname other | head -n 1) || rk_fail "no other window"

# from_other LOCK: the other window active (and LOCK on), then Windows+C.
from_other() {
    xdotool windowactivate --sync "$OTHER"
    rk_wait $RK_TIMEOUT "the other window to be active" rk_active_is "$OTHER"
    [ -z "${1:-}" ] || rk_key "$1"
    rk_key super+c
    rk_wait $RK_TIMEOUT "the main window to come forward" rk_active_is "$RK_WINDOW"
    rk_wait_focus function/summary
    [ -z "${1:-}" ] || rk_key "$1"
}

from_minimised() {
    xdotool windowminimize --sync "$RK_WINDOW"
    rk_wait $RK_TIMEOUT "the main window to be minimised" rk_minimised
    rk_key super+c
    rk_wait $RK_TIMEOUT "the main window to be restored" rk_active_is "$RK_WINDOW"
    rk_wait_focus function/summary
}

rk_minimised() { xprop -id "$RK_WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }

cases=(
    "from_other"
    "from_other Num_Lock"
    "from_other Caps_Lock"
    "from_minimised"
)
for case in "${cases[@]}"; do
    echo "--- $case"
    rk_click function/date # the caret elsewhere, so that the hot key has to move it
    rk_wait_focus function/date
    $case
done

# The caret really is in the summary: what is typed next is the comment's summary.
rk_enter "Typed after the hot key."
rk_wait_text function/summary "Typed after the hot key."
rk_key shift+ctrl+c
rk_render "{\"kind\": \"function\", \"date\": \"$(rk_text function/date)\", \"summary\": \"Typed after the hot key.\"}" \
    >"$RK_TMP/expected"
rk_expect_clipboard "$RK_TMP/expected"
echo "hotkey: ok"
