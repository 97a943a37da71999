#!/usr/bin/env bash
# Under a window manager: the window reopens where it was closed, also partly off the
# screen to the left and above; and the first start opens it at the top-left corner.
source "$(dirname "$0")/harness.sh"
rk_start_x --wm

# rk_origin: the window's client area on the screen, "x y".
rk_origin() { rk_line "window:Remarkist" | cut -f 3-4 | tr '\t' ' '; }
rk_origin_is() { [ "$(rk_origin)" = "$1" ]; }
rk_origin_is_not() { [ "$(rk_origin)" != "$1" ]; }
rk_close() {
    rk_click function/cancel
    rk_expect_exit 0
}

rk_start_app
first=$(rk_origin)
read -r fx fy <<<"$first"
[ "$fx" -ge 0 ] && [ "$fx" -lt 20 ] && [ "$fy" -ge 0 ] && [ "$fy" -lt 60 ] ||
    rk_fail "the first start opened at $first, not at the top-left corner"

for target in "300 200" "-150 -10"; do
    read -r tx ty <<<"$target"
    xdotool windowmove --sync "$RK_WINDOW" "$tx" "$ty"
    rk_wait 10 "the window to move" rk_origin_is_not "$first"
    sleep 0.3 # the probe writes ten times a second; let it see where the drag ended
    moved=$(rk_origin)
    rk_close
    # The frame's outer corner is what is stored.
    (cd "$RK_WORK" && "$REMARKIST_RENDER" settings) | grep -q "\"WindowX\":$tx,\"WindowY\":$ty}" ||
        rk_fail "setting.dat does not hold the position $tx $ty"
    rk_start_app
    rk_wait 10 "the window at $moved" rk_origin_is "$moved"
    first=$moved
done
echo "settings_position: ok"
