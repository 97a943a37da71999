#!/usr/bin/env bash
# Shift+Ctrl+V reads a declaration from the clipboard: from the class page it opens the function
# page with the parameters listed and the caret in the summary; after a typed summary,
# Shift+Ctrl+C copies exactly what remarkist-render gives for the read request with that summary.
source "$(dirname "$0")/harness.sh"
rk_start_x
rk_start_app

printf '%s\n' 'bool parse(const char *line, Entry *entry, int flags);' >"$RK_TMP/declaration.h"
rk_own_clipboard "$RK_TMP/declaration.h"
rk_select_tab クラス
rk_key shift+ctrl+v
rk_wait $RK_TIMEOUT "the function page" rk_has_text tabs 0
rk_wait_text function/params.list $'in | line | \ninout | entry | \nin | flags | '
rk_wait_focus function/summary
rk_enter "Parses one line."
rk_wait_text function/summary "Parses one line."
rk_key shift+ctrl+c

request=$(cd "$RK_WORK" && "$REMARKIST_RENDER" read "$RK_TMP/declaration.h")
[[ $request == *'"summary":""'* ]] || rk_fail "unexpected request: $request"
rk_render "${request/'"summary":""'/'"summary":"Parses one line."'}" >"$RK_TMP/expected.txt"
rk_expect_clipboard "$RK_TMP/expected.txt"

# Text that is no source changes nothing.
printf 'not a declaration' >"$RK_TMP/prose.txt"
rk_own_clipboard "$RK_TMP/prose.txt"
rk_key shift+ctrl+v
rk_enter " Again."
rk_wait_text function/summary "Parses one line. Again."
rk_wait_text function/params.list $'in | line | \ninout | entry | \nin | flags | '
echo "fill: ok"
