#!/usr/bin/env bash
# shot.sh PROGRAM OUTDIR: one PNG per tab of the program, taken under a private Xvfb, in
# Japanese (OUTDIR/ja/) and in English (OUTDIR/en/).
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
# directory | locale | the four tabs' captions
languages=("ja|C|関数 クラス ファイル 設定" "en|en_US.UTF-8|Function Class File Settings")
names=(function class file setting)
widths=(640 320 320 640)
for language in "${languages[@]}"; do
    IFS='|' read -r dir locale captions <<<"$language"
    read -ra caption <<<"$captions"
    export LC_MESSAGES=$locale 2>/dev/null
    rk_start_app
    mkdir -p "$OUT/$dir"
    for i in 0 1 2 3; do
        file=$OUT/$dir/${names[i]}.png
        rm -f "$file"
        if [ "$i" -gt 0 ]; then
            rk_click "tabs/tab:${caption[i]}"
            rk_wait $RK_TIMEOUT "tab ${caption[i]}" rk_has_text tabs "$i"
        fi
        rk_wait $RK_TIMEOUT "the window to be ${widths[i]} wide" \
            test "$(rk_line window:Remarkist | cut -f 5)" = "${widths[i]}"
        xdotool mousemove 1279 1023 # no hover highlight in the picture
        rk_wait $RK_TIMEOUT "a steady picture of ${caption[i]}" steady_shot "$file"
        echo "$file"
    done
    kill "$RK_APP_PID"
    wait "$RK_APP_PID" || true
done
