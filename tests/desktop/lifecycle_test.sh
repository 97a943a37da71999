#!/usr/bin/env bash
# How the program ends: exit codes, the clipboard after the end (no clipboard manager runs
# here), the window position kept in setting.dat, and the error dialog of a failed save.
source "$(dirname "$0")/harness.sh"
rk_start_x

comment_for() { rk_render "{\"kind\": \"function\", \"date\": \"$(rk_text function/date)\", \"summary\": \"$1\"}"; }

# "OK" copies, closes the window half a second later and ends with 0; the comment stays on
# the clipboard, served by the keeper, until another program takes the clipboard.
ok_keeps_the_comment() {
    rk_type function/summary "Kept after the end."
    comment_for "Kept after the end." >"$RK_TMP/expected"
    rk_click function/ok
    rk_expect_exit 0
    rk_expect_clipboard "$RK_TMP/expected"
    grep -q WindowX "$RK_WORK/setting.dat" || rk_fail "setting.dat without the window position"
    printf 'taken' >"$RK_TMP/other"
    rk_own_clipboard "$RK_TMP/other"
}

# A copy, then another program takes the clipboard: at the end the program must not take
# it back.
no_hand_over_when_not_owner() {
    rk_type function/summary "Copied, then replaced."
    rk_key shift+ctrl+c
    comment_for "Copied, then replaced." >"$RK_TMP/expected"
    rk_expect_clipboard "$RK_TMP/expected"
    printf 'newer' >"$RK_TMP/other"
    rk_own_clipboard "$RK_TMP/other"
    rk_click function/cancel
    rk_expect_exit 0
    rk_expect_clipboard "$RK_TMP/other"
}

# "キャンセル" ends at once with 0 and copies nothing; the position where the window was
# is where it opens next time.
cancel_keeps_the_position() {
    xdotool windowmove --sync "$RK_WINDOW" 200 150
    rk_wait $RK_TIMEOUT "the window at 200,150" rk_window_at 200 150
    rk_click function/cancel
    rk_expect_exit 0
    printf 'before' >"$RK_TMP/other"
    rk_own_clipboard "$RK_TMP/other"
    rk_start_app
    rk_wait $RK_TIMEOUT "the window to reopen at 200,150" rk_window_at 200 150
    rk_click function/cancel
    rk_expect_exit 0
    rk_expect_clipboard "$RK_TMP/other"
}

rk_window_at() { [ "$(rk_line window:Remarkist | cut -f 3,4)" = "$1"$'\t'"$2" ]; }

# setting.dat cannot be written (a directory has its name): closing raises the save error,
# shown in the error dialog; "&Continue" lets the close go on, "&Quit" ends with 35.
save_error() {
    local button=$1 code=$2
    rmdir "$RK_WORK/setting.dat" 2>/dev/null || true
    mkdir "$RK_WORK/setting.dat"
    rk_click function/cancel
    rk_wait 20 "the error dialog" rk_line errorDialog
    [ "$(rk_line window:Error | cut -f 8)" = Error ] || rk_fail "the dialog's caption is not Error"
    rk_wait_text errorDialog/errorMessage "An application exception has occured. Click Continue to allow the application to ignore this error and attempt to continue."
    rk_wait_text errorDialog/errorText "ファイルの保存に失敗しました。"
    rk_click "errorDialog/$button"
    rk_expect_exit "$code"
}

cases=(
    "ok_keeps_the_comment"
    "no_hand_over_when_not_owner"
    "cancel_keeps_the_position"
    "save_error continueButton 0"
    "save_error quitButton 35"
)
for case in "${cases[@]}"; do
    echo "--- $case"
    rk_fresh_work
    rk_start_app
    $case
done
echo "lifecycle: ok"
