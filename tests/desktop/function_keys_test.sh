#!/usr/bin/env bash
# A keyboard user on the function page: with parameters in the list, Tab and Shift+Tab pass
# through it as through any other field and give the caret back where it started; passing
# selects no row, so the next "挿入" appends. With RK_SHOTS=DIR set, it goes on to 8
# parameters and 4 exceptions and writes DIR/function-lists.png.
source "$(dirname "$0")/harness.sh"
rk_start_x
rk_start_app

# add_row FORM FIELD TEXT EXPECTED [DESCRIPTION]: types TEXT into the form's first field (and
# DESCRIPTION into its description), presses "挿入" and waits until the list reads EXPECTED.
add_row() {
    rk_type "function/$1.$2" "$3"
    [ -z "${5:-}" ] || rk_type "function/$1.description" "$5"
    rk_click "function/$1.insert"
    rk_wait_text "function/$1.list" "$4"
}

# steady_shot FILE: true once two pictures in a row are the same (the repaint is done).
steady_shot() {
    import -window "$RK_WINDOW" "$RK_TMP/shot.png"
    cmp -s "$RK_TMP/shot.png" "$1" && return 0
    mv "$RK_TMP/shot.png" "$1"
    return 1
}

add_row params name a "in | a | "
add_row params name b $'in | a | \nin | b | '
add_row params name c $'in | a | \nin | b | \nin | c | '

rk_click function/note
rk_wait_focus function/note
rk_key $(printf 'Tab %.0s' {1..30})
rk_key $(printf 'shift+Tab %.0s' {1..30})
rk_wait_focus function/note
rk_enter "Q"
rk_wait_text function/note "Q"
add_row params name d $'in | a | \nin | b | \nin | c | \nin | d | '

if [ -n "${RK_SHOTS:-}" ]; then
    expected=$(rk_text function/params.list)
    for name in e f g; do
        expected+=$'\n'"in | $name | "
        add_row params name "$name" "$expected"
    done
    add_row params name h "$expected"$'\nin | h | 読み込む行の数' 読み込む行の数
    rk_click function/params.direction
    rk_key Down Down
    rk_wait_text function/params.direction inout
    expected=
    for type in std::bad_alloc std::out_of_range ParseError; do
        expected+=${expected:+$'\n'}"$type | "
        add_row throws type "$type" "$expected"
    done
    add_row throws type IoError "$expected"$'\nIoError | ファイルが読めない' ファイルが読めない
    mkdir -p "$RK_SHOTS"
    xdotool mousemove 1279 1023 # no hover highlight in the picture
    rm -f "$RK_SHOTS/function-lists.png"
    rk_wait $RK_TIMEOUT "a steady picture" steady_shot "$RK_SHOTS/function-lists.png"
    echo "$RK_SHOTS/function-lists.png"
fi
echo "function_keys: ok"
