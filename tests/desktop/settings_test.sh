#!/usr/bin/env bash
# Settings edited on the settings page shape the next comment as soon as the page is left,
# reach setting.dat only through "適用", and are shown again after a restart.
source "$(dirname "$0")/harness.sh"
rk_start_x

# rk_settings KEY: the value remarkist-render reads from the program's setting.dat.
rk_settings() { (cd "$RK_WORK" && "$REMARKIST_RENDER" settings) | sed -n "s/.*\"$1\":\\(\"[^\"]*\"\\|[^,}]*\\).*/\\1/p"; }
rk_expect_setting() { [ "$(rk_settings "$1")" = "$2" ] || rk_fail "setting.dat: $1 is $(rk_settings "$1"), expected $2"; }

# rk_check PATH: clicks a radio button or check box on its indicator (the docked buttons
# are much wider than their text, and only the indicator and text take clicks).
rk_check() {
    rk_wait 10 "$1 to be shown" rk_line "$1"
    local x y w h
    read -r x y w h < <(rk_line "$1" | cut -f 3-6)
    xdotool mousemove --sync $((x + 8)) $((y + h / 2)) click 1
}

# The first start shows the defaults.
rk_start_app
rk_select_tab 設定
rk_wait_text setting.commentStyle.d "/++ doc +/スタイル [x]"
rk_wait_text setting.documentStyle.ddoc "DDocCommand : スタイル [x]"
rk_wait_text setting.spacingStyle.tab "タブ [x]"
rk_wait_text setting.spacingSize "4"
rk_wait_text setting.boxingHeadStyle "先頭部分をボックス化する [x]"
rk_wait_text setting.boxingFootStyle "終端部分をボックス化する [ ]"
rk_wait_text setting.boxingSize "100"

# Edits on the page, then the function page: the copy follows them, the file does not.
rk_check setting.commentStyle.java
rk_wait_text setting.commentStyle.java "/// doc スタイル [x]"
rk_check setting.documentStyle.doxygenAT
rk_wait_text setting.documentStyle.doxygenAT "@command スタイル [x]"
rk_check setting.spacingStyle.space
rk_wait_text setting.spacingStyle.space "スペース [x]"
rk_type setting.spacingSize "0x2"
rk_check setting.boxingFootStyle
rk_wait_text setting.boxingFootStyle "終端部分をボックス化する [x]"
rk_type setting.boxingSize "1"
rk_type setting.author "Taro"
rk_select_tab 関数
rk_type function/date "2007/06/10"
rk_type function/summary "Adds two numbers."
rk_type function/returns "the sum"
rk_key shift+ctrl+c
rk_render '{"kind": "function", "date": "2007/06/10", "summary": "Adds two numbers.", "returns": "the sum",
  "settings": {"CommentStyle": 1, "DocumentStyle": 1, "SpacingStyle": 1, "SpacingSize": 2,
               "BoxingHeadStyle": true, "BoxingFootStyle": true, "BoxingSize": 3, "Author": "Taro"}}' \
  >"$RK_TMP/edited.txt"
[ "$(head -c 3 "$RK_TMP/edited.txt")" = "///" ] || rk_fail "the expected comment is not a /// comment"
rk_expect_clipboard "$RK_TMP/edited.txt"
# Leaving the page wrote the replacement for the too small box size back into its box.
rk_select_tab 設定
rk_wait_text setting.boxingSize "3"
rk_wait_text setting.spacingSize "0x2"

# Closed without "適用": the file holds the window position but the old settings.
rk_select_tab 関数
rk_click function/cancel
rk_expect_exit 0
rk_expect_setting CommentStyle 2
rk_expect_setting Author '""'

# "適用" saves; after a restart the page shows what was saved.
rk_start_app
rk_select_tab 設定
rk_wait_text setting.commentStyle.d "/++ doc +/スタイル [x]"
rk_check setting.commentStyle.c
rk_wait_text setting.commentStyle.c "/** doc */スタイル [x]"
rk_check setting.spacingStyle.tabSpace
rk_wait_text setting.spacingStyle.tabSpace "行頭はタブ、それ以外はスペースに変換 [x]"
rk_type setting.spacingSize "99999999999"
rk_type setting.dateFormat "%Y4%-%M2%-%D2%"
rk_type setting.copyright "(C) 2007"
rk_click setting.apply
rk_wait_text setting.spacingSize "64"
rk_wait 10 "setting.dat to be saved" test "$(rk_settings CommentStyle)" = 0
rk_expect_setting SpacingStyle 2
rk_expect_setting SpacingSize 64
rk_expect_setting DateFormat '"%Y4%-%M2%-%D2%"'
rk_expect_setting Copyright '"(C) 2007"'
rk_select_tab 関数
rk_click function/cancel
rk_expect_exit 0

rk_start_app
rk_select_tab 設定
rk_wait_text setting.commentStyle.c "/** doc */スタイル [x]"
rk_wait_text setting.spacingStyle.tabSpace "行頭はタブ、それ以外はスペースに変換 [x]"
rk_wait_text setting.spacingSize "64"
rk_wait_text setting.dateFormat "%Y4%-%M2%-%D2%"
rk_wait_text setting.copyright "(C) 2007"
rk_wait_text setting.author ""

# "やり直し" drops edits that were never saved.
rk_type setting.author "Jiro"
rk_select_tab 関数
rk_select_tab 設定
rk_click setting.reload
rk_wait_text setting.author ""
echo "settings: ok"
