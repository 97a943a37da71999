#!/usr/bin/env bash
# Shift+Ctrl+C on each document page puts on the clipboard exactly the comment that
# remarkist-render gives for the same request (CR LF between lines, none at the end);
# Ctrl+I empties the page; on the settings page both shortcuts do nothing.
source "$(dirname "$0")/harness.sh"
rk_start_x
rk_start_app

# The function page, every section filled; the summary typed in Japanese.
rk_type function/date "2024/05/06(月)"
rk_type function/summary "設定ファイルの一行を読む"
rk_click function/comment
rk_wait_text function/comment ""
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

rk_render '{"kind": "function", "date": "2024/05/06(月)", "summary": "設定ファイルの一行を読む",
  "comment": "Blank lines are skipped.", "note": "Not thread-safe.",
  "params": [{"direction": "in", "name": "line", "description": "the text of the line"},
             {"direction": "out", "name": "entry", "description": "the key and value"}],
  "returns": "true when the line held an entry",
  "throws": [{"type": "ParseError", "description": "a damaged line"}]}' >"$RK_TMP/function.txt"
grep -q $'\r' "$RK_TMP/function.txt" || rk_fail "the expected comment has no CR LF"
rk_key shift+ctrl+c
rk_expect_clipboard "$RK_TMP/function.txt"

# The class page shows the shared texts and renders them as a class comment.
rk_select_tab クラス
rk_wait_text class/summary "設定ファイルの一行を読む"
rk_key shift+ctrl+c
rk_render '{"kind": "class", "date": "2024/05/06(月)", "summary": "設定ファイルの一行を読む",
  "comment": "Blank lines are skipped.", "note": "Not thread-safe."}' >"$RK_TMP/class.txt"
rk_expect_clipboard "$RK_TMP/class.txt"

# Ctrl+I: fresh date, empty summary and note, the hint back, the caret in the summary.
rk_key ctrl+i
rk_wait_text class/summary ""
rk_wait_text class/note ""
rk_wait $RK_TIMEOUT "the comment hint" rk_text_starts class/comment "この欄にはコメントを記入して下さい(省略可)"
rk_wait_focus class/summary
[ "$(rk_text class/date)" != "2024/05/06(月)" ] || rk_fail "Ctrl+I kept the typed date"
# A copy with an empty summary fails and leaves the clipboard alone. Typing afterwards is a
# sync point: once the text shows, the shortcut before it has been handled.
rk_key shift+ctrl+c
rk_enter "x"
rk_wait_text class/summary "x"
rk_expect_clipboard "$RK_TMP/class.txt"

# The file page: the hint is not passed as a comment.
rk_select_tab ファイル
rk_type file/summary "Reads setting.dat."
rk_key shift+ctrl+c
date=$(rk_text file/date)
rk_render "{\"kind\": \"file\", \"date\": \"$date\", \"summary\": \"Reads setting.dat.\"}" >"$RK_TMP/file.txt"
rk_expect_clipboard "$RK_TMP/file.txt"

# The settings page ignores both shortcuts: back on the file page nothing has changed.
rk_select_tab 設定
rk_key shift+ctrl+c ctrl+i
rk_select_tab ファイル
rk_wait_text file/summary "Reads setting.dat."
rk_expect_clipboard "$RK_TMP/file.txt"
echo "copy: ok"
