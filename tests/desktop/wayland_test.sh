#!/usr/bin/env bash
# A Wayland session that offers X11 through XWayland, as GNOME and KDE start one: with
# WAYLAND_DISPLAY and DISPLAY set, XDG_SESSION_TYPE=wayland and QT_QPA_PLATFORM unset, the
# program runs on XWayland by itself (with Qt's Wayland plugin installed, Qt alone would pick
# Wayland), a comment copied there reaches a Wayland program, and "OK" ends the program.
#
# weston runs nested in Xvfb, on its x11 backend: its headless backend has no seat, and without
# a seat no Wayland client reaches the clipboard (wl-paste says "Missing a seat").
source "$(dirname "$0")/harness.sh"
for tool in weston Xwayland wl-paste; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool here (./dev test installs it)"; exit 77; }
done
rk_start_x

weston --backend=x11-backend.so --use-pixman --xwayland --socket=remarkist-wayland --idle-time=0 \
    --width=1024 --height=768 --log="$RK_TMP/weston.log" >"$RK_TMP/weston.out" 2>&1 &
RK_PIDS+=($!)
weston_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$RK_TMP/weston.log" 2>/dev/null; }
deadline=$(($(rk_now_ms) + 20000))
until [ -n "$(weston_display)" ]; do
    if [ "$(rk_now_ms)" -ge "$deadline" ]; then
        tail -n 20 "$RK_TMP/weston.log" "$RK_TMP/weston.out" >&2
        echo "SKIP: weston with XWayland did not start here"
        exit 77
    fi
    sleep 0.05
done
export DISPLAY=$(weston_display) WAYLAND_DISPLAY=remarkist-wayland XDG_SESSION_TYPE=wayland
RK_PLATFORM= # the program chooses

# wayland_clipboard_is FILE: a Wayland client reads exactly the bytes of FILE.
wayland_clipboard_is() { cmp -s <(timeout 10 wl-paste --no-newline 2>/dev/null) "$1"; }

# click_in_window PATH: clicks the widget at its place inside the main window. weston's window
# manager does not tell an X program where it put its window (no synthetic ConfigureNotify), so
# the screen coordinates the program knows are off by the window's position.
click_in_window() {
    local x y w h wx wy
    read -r x y w h < <(rk_line "$1" | cut -f 3-6)
    read -r wx wy < <(rk_line window:Remarkist | cut -f 3-4)
    xdotool mousemove --window "$RK_WINDOW" $((x - wx + w / 2)) $((y - wy + h / 2)) click 1
}

rk_start_app # the window is found on XWayland's X display
rk_wait_focus function/summary
rk_enter "Copied on Wayland."
rk_wait_text function/summary "Copied on Wayland."
rk_render "{\"kind\": \"function\", \"date\": \"$(rk_text function/date)\", \"summary\": \"Copied on Wayland.\"}" \
    >"$RK_TMP/expected"
rk_key shift+ctrl+c
rk_wait $RK_TIMEOUT "wl-paste to read the comment" wayland_clipboard_is "$RK_TMP/expected"
# "OK" copies again and ends the program; weston keeps the clipboard after its owner ends by
# taking a copy as soon as it changes, which the program answers while it waits to close. The
# Wayland clipboard is taken by a Wayland client first, so only the copy "OK" made can bring the
# comment back.
printf 'placeholder' >"$RK_TMP/placeholder"
timeout 10 wl-copy <"$RK_TMP/placeholder"
rk_wait $RK_TIMEOUT "a Wayland client to own the clipboard" wayland_clipboard_is "$RK_TMP/placeholder"
click_in_window function/ok
rk_expect_exit 0
rk_wait $RK_TIMEOUT "wl-paste to read the comment after the end" wayland_clipboard_is "$RK_TMP/expected"
echo "wayland: ok"
