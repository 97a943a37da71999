#!/usr/bin/env bash
# A read-only setting.dat: "適用" shows the error dialog; "&Continue" keeps the program
# running, "&Quit" ends it with exit code 35 and the file stays as it was.
source "$(dirname "$0")/harness.sh"
rk_start_x

rk_start_app
rk_select_tab 設定
rk_type setting.author "saved"
rk_click setting.apply
rk_wait 10 "setting.dat" test -s "$RK_WORK/setting.dat"
chmod 444 "$RK_WORK/setting.dat"
cp "$RK_WORK/setting.dat" "$RK_TMP/before.dat"

rk_expect_error_dialog() {
    rk_wait 10 "the error dialog" rk_line "window:Error"
    rk_wait_text errorDialog/errorText "ファイルの保存に失敗しました。"
}

rk_type setting.author "not saved"
rk_click setting.apply
rk_expect_error_dialog
rk_click errorDialog/continueButton
rk_wait 10 "the dialog to close" eval '! rk_line "window:Error"'
# Still running: the page takes input again.
rk_type setting.author "again"
rk_wait_text setting.author "again"

rk_click setting.apply
rk_expect_error_dialog
rk_click errorDialog/quitButton
rk_expect_exit 35
cmp -s "$RK_TMP/before.dat" "$RK_WORK/setting.dat" || rk_fail "setting.dat changed"
echo "settings_readonly: ok"
