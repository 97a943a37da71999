#!/usr/bin/env bash
# Runs every row of cases.txt in one editor (vim, nvim or emacs), headless, with the
# integration as `cmake --install` puts it. Each row checks the whole file afterwards, the
# cursor, the messages, and that one undo gives the file back byte for byte.
# Arguments: the editor and the build directory; REMARKIST_RENDER names the program.
set -euo pipefail
editor=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/remarkist-editors.XXXXXX)
[ -n "${RK_KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --component editors >/dev/null
vim_runtime=$prefix/share/remarkist/vim
# The start-up file that the README suggests.
printf 'set runtimepath+=%s\nfiletype on\n' "$vim_runtime" >"$work/vimrc"

le64() {
    local i
    for i in 0 1 2 3 4 5 6 7; do printf "\\$(printf '%03o' $((($1 >> (8 * i)) & 255)))"; done
}
# write_settings FILE KEY VALUE...: a setting.dat whose root holds these leaves (ASCII only).
write_settings() {
    local file=$1
    shift
    {
        printf '\257\064\000\022\000\231\026\377\000\001'
        le64 $(($# / 2))
        while [ $# -gt 0 ]; do
            le64 ${#1}; printf '%s\002' "$1"; le64 ${#2}; printf '%s' "$2"
            shift 2
        done
    } >"$file"
}
write_settings "$work/doxygen.dat" CommentStyle '/**_*/' DocumentStyle @ SpacingStyle Space BoxingHeadStyle false

failures=0
fail() {
    echo "FAIL $editor $name: $*" >&2
    failures=$((failures + 1))
}

# drive FILE: the editor on FILE with the row's settings; messages land in $RK_OUT/messages.
drive() {
    export RK_FILE=$1 RK_LINE=$line RK_SUMMARY=$summary RK_ANSWER=$answer RK_OUT=$out
    export RK_SETTINGS=
    [ "$settings" = doxygen ] && RK_SETTINGS=$work/doxygen.dat
    case $editor in
    vim) timeout 60 vim -Nu "$work/vimrc" -i NONE -Es -S "$here/drive.vim" </dev/null >"$out/log" 2>&1 ;;
    nvim) timeout 60 nvim --headless -u "$work/vimrc" -i NONE -S "$here/drive.vim" </dev/null >"$out/log" 2>&1 ;;
    emacs)
        local typed=${answer/#<empty>/}
        printf '%s\n' "$typed" | timeout 60 emacs --batch -Q -L "$prefix/share/emacs/site-lisp" \
            -l "$here/drive.el" >"$out/log" 2>&1
        cp "$out/log" "$out/messages"
        ;;
    esac
}

while IFS='|' read -r name file settings endings line summary answer cursor messages; do
    case $name in '#'* | '') continue ;; esac
    out=$work/$name
    failed_before=$failures
    mkdir -p "$out/src"
    # The file's own name tells the editor its type; CR LF rows convert input and expectation.
    input=$out/src/$file
    expected=$out/expected
    to_endings() { if [ "$endings" = crlf ]; then sed 's/$/\r/' "$1"; else cat "$1"; fi; }
    to_endings "$here/cases/$file" >"$input"
    cp "$input" "$out/original"
    own=$here/cases/$name.expected
    [ -f "$own" ] || own=$here/cases/$file.expected
    if [ "$cursor" = - ]; then cp "$input" "$expected"; else to_endings "$own" >"$expected"; fi

    (cd "$work" && drive "$input") || fail "the editor exited with $? ($(tail -n 5 "$out/log"))"
    if [ ! -f "$out/undone" ]; then
        fail "the editor stopped early: $(tail -n 5 "$out/log")"
        continue
    fi
    if ! cmp -s "$expected" "$out/after"; then
        fail "the file is not as expected (- expected, + got):"
        diff -u "$expected" "$out/after" | cat -A | sed 's/^/    /' >&2 || true
    fi
    cmp -s "$out/original" "$out/undone" || fail "one undo does not give the file back"
    if [ "$cursor" = - ] && [ "$(cat "$out/modified" 2>/dev/null)" != unmodified ]; then
        fail "the buffer is marked modified"
    fi
    if [ "$cursor" != - ]; then
        got=$(sed -n 1p "$out/cursor")
        [ "$got" = "$cursor" ] || fail "the cursor is on line $got, not $cursor"
        [ -z "$(sed -n 2p "$out/cursor")" ] || fail "$(sed -n 2p "$out/cursor")"
    fi
    IFS='|' read -ra wanted <<<"$messages"
    for text in "${wanted[@]}"; do
        grep -qF -- "$text" "$out/messages" || fail "no message with \"$text\" in: $(cat "$out/messages")"
    done
    [ "$failures" -gt "$failed_before" ] || echo "ok $editor $name"
done <"$here/cases.txt"

# The shipped help tags are those that :helptags makes; the Lisp compiles without a warning.
case $editor in
vim)
    cp -r "$vim_runtime/doc" "$work/doc"
    rm "$work/doc/tags"
    vim -Nu NONE -i NONE -Es -c "helptags $work/doc" -c qall! </dev/null
    name=helptags
    cmp -s "$work/doc/tags" "$vim_runtime/doc/tags" || fail "doc/tags is not what :helptags makes"
    ;;
emacs)
    cp "$prefix/share/emacs/site-lisp/remarkist.el" "$work/"
    name=byte-compile
    emacs --batch -Q --eval '(setq byte-compile-error-on-warn t)' -f batch-byte-compile \
        "$work/remarkist.el" >"$work/compile.log" 2>&1 || fail "$(cat "$work/compile.log")"
    ;;
esac

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "$editor: all cases pass"
