#!/usr/bin/env bash
# shot.sh PROGRAM OUTDIR: one PNG per tab of the program, taken under a private Xvfb, in
# Japanese (OUTDIR/ja/) and in English (OUTDIR/en/): the function page filled in, the settings
# page showing C++'s own settings.
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

# fill_function SUMMARY: a function documented in every section, as the README shows it.
fill_function() {
    rk_type function/date "2026/12/07(月)[03:28:05]"
    rk_type function/summary "$1"
    rk_click function/comment
    rk_enter "Blank lines are skipped."
    rk_wait_text function/comment "Blank lines are skipped."
    rk_type function/params.name "line"
    rk_type function/params.description "the text of the line"
    rk_click function/params.insert
    rk_wait_text function/params.list "in | line | the text of the line"
    rk_click function/params.direction
    rk_key Down Return
    rk_wait_text function/params.direction "out"
    rk_type function/params.name "entry"
    rk_type function/params.description "the key and value"
    rk_click function/params.insert
    rk_wait_text function/params.list $'in | line | the text of the line\nout | entry | the key and value'
    rk_type function/returns "true when the line held an entry"
    rk_type function/throws.type "ParseError"
    rk_type function/throws.description "a damaged line"
    rk_click function/throws.insert
    rk_wait_text function/throws.list "ParseError | a damaged line"
    rk_type function/note "Not thread-safe."
}

rk_start_x
# directory | locale | the function's summary | the four tabs' captions
languages=("ja|C|設定ファイルの一行を読む|関数 クラス ファイル 設定"
    "en|en_US.UTF-8|Reads one line of the settings file.|Function Class File Settings")
names=(function class file setting)
widths=(640 320 320 640)
for language in "${languages[@]}"; do
    IFS='|' read -r dir locale summary captions <<<"$language"
    read -ra caption <<<"$captions"
    export LC_MESSAGES=$locale 2>/dev/null
    rk_fresh_work
    rk_start_app
    fill_function "$summary"
    mkdir -p "$OUT/$dir"
    for i in 0 1 2 3; do
        file=$OUT/$dir/${names[i]}.png
        rm -f "$file"
        if [ "$i" -gt 0 ]; then
            rk_click "tabs/tab:${caption[i]}"
            rk_wait $RK_TIMEOUT "tab ${caption[i]}" rk_has_text tabs "$i"
        fi
        if [ "$i" -eq 3 ]; then
            rk_click setting.language
            rk_key Down Down Return
            rk_wait_text setting.language "C++"
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
