#!/usr/bin/env bash
# shot.sh PROGRAM OUTDIR: one PNG per tab of the program, taken under a private Xvfb.
# The program's build tree must hold the probe plugin (tests are built by default).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: shot.sh PROGRAM OUTDIR" >&2; exit 2; }
REMARKIST=$(realpath "$1")
REMARKIST_PROBE_PLUGINS=$(dirname "$REMARKIST")/../../tests/desktop/plugins
[ -d "$REMARKIST_PROBE_PLUGINS" ] || { echo "shot.sh: no probe plugin in $REMARKIST_PROBE_PLUGINS" >&2; exit 1; }
mkdir -p "$2"
OUT=$(realpath "$2")
source "$(dirname "$0")/harness.sh"

# steady_shot FILE: true once two pictures in a row are the same (the repaint is done).
steady_shot() {
    import -window "$RK_WINDOW" "$RK_TMP/shot.png"
    if cmp -s "$RK_TMP/shot.png" "$1"; then return 0; fi
    mv "$RK_TMP/shot.png" "$1"
    return 1
}

rk_start_x
rk_start_app
# caption | file name | client width
tabs=("関数|function|640" "クラス|class|320" "ファイル|file|320" "設定|setting|640")
for tab in "${tabs[@]}"; do
    IFS='|' read -r caption name width <<<"$tab"
    rm -f "$OUT/$name.png"
    [ "$name" = function ] || rk_select_tab "$caption"
    rk_wait $RK_TIMEOUT "the window to be $width wide" test "$(rk_line window:Remarkist | cut -f 5)" = "$width"
    xdotool mousemove 1279 1023 # no hover highlight in the picture
    rk_wait $RK_TIMEOUT "a steady picture of $caption" steady_shot "$OUT/$name.png"
    echo "$OUT/$name.png"
done
