# Desktop test harness, sourced by the *_test.sh scripts here: a private Xvfb (and openbox
# when asked), the program in a fresh working directory, and helpers that drive it with
# xdotool, wait for conditions with deadlines, and read widgets (through the probe plugin)
# and the clipboard. Environment from CTest: REMARKIST, REMARKIST_RENDER, REMARKIST_KEEPER,
# REMARKIST_PROBE_PLUGINS.
set -euo pipefail

RK_TMP=$(mktemp -d /tmp/remarkist-desktop.XXXXXX)
# The program's working directory is also its settings folder ($XDG_CONFIG_HOME/remarkist), so
# setting.dat is there whether the program finds it in the current folder or in the user's.
RK_WORK=$RK_TMP/config/remarkist
export HOME=$RK_TMP/home XDG_CONFIG_HOME=$RK_TMP/config
# The program speaks Japanese under the C locale, as the tests read it; RK_LANG=en_US.UTF-8
# shows it in English. (Bash warns when a locale is not installed; the program needs none.)
unset LC_ALL LANGUAGE
export LC_MESSAGES=${RK_LANG:-C} 2>/dev/null
RK_PROBE=$RK_TMP/widgets   # written by the probe plugin
RK_PIDS=()                 # started by us, stopped at the end
RK_APP_PID=
RK_EXIT=
RK_TIMEOUT=${RK_TIMEOUT:-20} # seconds for any one condition; generous for loaded sanitizer builds
mkdir -p "$RK_WORK" "$HOME" "$RK_TMP/runtime"
chmod 700 "$RK_TMP/runtime"

rk_cleanup() {
    local i deadline
    for ((i = ${#RK_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${RK_PIDS[i]}" 2>/dev/null || true
        # The program ends as after Cancel, which may wait on the error dialog of a failed save.
        deadline=$(( $(rk_now_ms) + 10000 ))
        until rk_app_ended "${RK_PIDS[i]}" || [ "$(rk_now_ms)" -ge "$deadline" ]; do sleep 0.05; done
        kill -KILL "${RK_PIDS[i]}" 2>/dev/null || true
        wait "${RK_PIDS[i]}" 2>/dev/null || true
    done
    rm -rf "$RK_TMP"
}
trap rk_cleanup EXIT

rk_fail() {
    echo "FAIL: $*" >&2
    if [ -f "$RK_TMP/app.log" ]; then
        echo "--- program output" >&2
        tail -n 40 "$RK_TMP/app.log" >&2
    fi
    exit 1
}

rk_now_ms() { echo $(( ${EPOCHREALTIME/./} / 1000 )); }

# rk_wait SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds.
rk_wait() {
    local deadline=$(( $(rk_now_ms) + $1 * 1000 )) what=$2
    shift 2
    until "$@" >/dev/null; do
        [ "$(rk_now_ms)" -lt "$deadline" ] || rk_fail "timed out waiting for $what"
        sleep 0.05
    done
}

# rk_start_x [--wm]: a private X server on a free display, optionally with openbox.
rk_start_x() {
    : >"$RK_TMP/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$RK_TMP/display" >"$RK_TMP/xvfb.log" 2>&1 &
    RK_PIDS+=($!)
    rk_wait 20 "Xvfb" test -s "$RK_TMP/display"
    export DISPLAY=:$(tr -d '\n' <"$RK_TMP/display")
    export XDG_RUNTIME_DIR=$RK_TMP/runtime
    unset WAYLAND_DISPLAY
    if [ "${1:-}" = --wm ]; then
        openbox --sm-disable >"$RK_TMP/openbox.log" 2>&1 &
        RK_PIDS+=($!)
        rk_wait 20 "openbox" rk_wm_running
    fi
}

rk_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The QT_QPA_PLATFORM the program gets; empty leaves it unset, for the program to choose.
RK_PLATFORM=${RK_PLATFORM-xcb}

# rk_exec_app [PROBE]: replaces the shell with the program in $RK_WORK; its probe writes to
# PROBE ($RK_PROBE when not given). Sanitizer reports get exit codes of their own so that
# they cannot pass for the program's 0, 1 or 35.
rk_exec_app() {
    cd "$RK_WORK"
    exec env -u QT_QPA_PLATFORM ${RK_PLATFORM:+QT_QPA_PLATFORM=$RK_PLATFORM} \
        QT_PLUGIN_PATH="$REMARKIST_PROBE_PLUGINS" QT_QPA_GENERIC_PLUGINS=remarkistprobe \
        REMARKIST_PROBE="${1:-$RK_PROBE}" \
        ASAN_OPTIONS=detect_leaks=0:exitcode=66 UBSAN_OPTIONS=exitcode=67:print_stacktrace=1 \
        "$REMARKIST"
}

# rk_start_app: starts the program and waits for its window.
rk_start_app() {
    rm -f "$RK_PROBE"
    (rk_exec_app) >"$RK_TMP/app.log" 2>&1 &
    RK_APP_PID=$!
    RK_PIDS+=($RK_APP_PID)
    RK_WINDOW=$(timeout 60 xdotool search --sync --onlyvisible --name '^Remarkist$' | head -n 1) ||
        rk_fail "the main window did not appear"
    rk_wait 30 "the widgets" rk_line function/summary
}

# rk_active_is WINDOW: the window manager's active window is WINDOW (an X window id).
rk_active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# rk_fresh_work: an empty working directory for the next start (no setting.dat).
rk_fresh_work() {
    rm -rf "$RK_WORK"
    mkdir -p "$RK_WORK"
}

# rk_line PATH: the probe line of the visible widget whose path is PATH or ends in /PATH.
rk_line() {
    [ -f "$RK_PROBE" ] && awk -F'\t' -v p="$1" '
        $2 == 1 && ($1 == p || substr($1, length($1) - length(p)) == "/" p) { print; found = 1; exit }
        END { exit !found }' "$RK_PROBE"
}

# rk_text PATH: the widget's text (line edits, text boxes, button captions), unescaped.
rk_text() {
    local line
    line=$(rk_line "$1") || return 1
    printf '%b' "$(cut -f 8 <<<"$line")"
}

rk_has_text() { [ "$(rk_text "$1")" = "$2" ]; }
rk_text_starts() { [[ "$(rk_text "$1")" == "$2"* ]]; }
rk_has_focus() { [ "$(rk_line "$1" | cut -f 7)" = 1 ]; }
rk_wait_text() { rk_wait $RK_TIMEOUT "$1 to read '$2'" rk_has_text "$1" "$2"; }
rk_wait_focus() { rk_wait $RK_TIMEOUT "the focus in $1" rk_has_focus "$1"; }

# rk_click PATH: a left click in the middle of the widget.
rk_click() {
    rk_wait $RK_TIMEOUT "$1 to be shown" rk_line "$1"
    local x y w h
    read -r x y w h < <(rk_line "$1" | cut -f 3-6)
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}

rk_key() { xdotool key --clearmodifiers "$@"; }

# rk_type PATH TEXT: replaces the text of a line edit or text box, then waits until it shows.
rk_type() {
    rk_click "$1"
    rk_wait_focus "$1"
    rk_key ctrl+a
    rk_enter "$2"
    rk_wait_text "$1" "$2"
}

# rk_enter TEXT: types TEXT into the focused control. Characters outside the keymap are
# pasted, as a person would use an input method: xdotool types them by remapping a spare
# key for each one, which loses characters when the program reads the key before the map.
rk_enter() {
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
        printf '%s' "$1" >"$RK_TMP/paste"
        rk_own_clipboard "$RK_TMP/paste"
        rk_key ctrl+v
    else
        xdotool type --delay 20 -- "$1"
    fi
}

# rk_select_tab CAPTION: clicks the tab and waits for its page to show.
rk_select_tab() {
    local index
    case $1 in
    関数) index=0 ;;
    クラス) index=1 ;;
    ファイル) index=2 ;;
    設定) index=3 ;;
    *) rk_fail "no tab '$1'" ;;
    esac
    rk_click "tabs/tab:$1"
    rk_wait $RK_TIMEOUT "tab $1" rk_has_text tabs "$index"
}

# rk_clipboard: the clipboard's text, bytes as they are.
rk_clipboard() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }

# rk_own_clipboard FILE: another program (xclip) takes the clipboard with the bytes of FILE.
rk_own_clipboard() {
    xclip -i -selection clipboard "$1" 2>/dev/null
    rk_wait $RK_TIMEOUT "xclip to own the clipboard" rk_clipboard_is "$1"
}

rk_clipboard_is() { cmp -s <(rk_clipboard) "$1"; }

# rk_expect_clipboard FILE: waits until the clipboard holds exactly the bytes of FILE.
rk_expect_clipboard() {
    local deadline=$(( $(rk_now_ms) + RK_TIMEOUT * 1000 ))
    until rk_clipboard_is "$1"; do
        if [ "$(rk_now_ms)" -ge "$deadline" ]; then
            echo "--- expected" >&2; od -c "$1" | head -n 20 >&2
            echo "--- clipboard" >&2; rk_clipboard | od -c | head -n 20 >&2
            rk_fail "clipboard differs from $1"
        fi
        sleep 0.05
    done
}

# rk_render JSON: the comment remarkist-render gives for a request, with the settings file
# of the program's working directory.
rk_render() { (cd "$RK_WORK" && "$REMARKIST_RENDER" <<<"$1"); }

# rk_wait_exit SECONDS: waits for the program to end; its exit code goes to RK_EXIT.
rk_wait_exit() {
    rk_wait "$1" "the program to end" rk_app_ended
    RK_EXIT=0
    wait "$RK_APP_PID" || RK_EXIT=$?
}

# rk_app_ended [PID]: the program (or process PID) ended, or ended and is not yet waited for
# (a zombie).
rk_app_ended() {
    local pid=${1:-$RK_APP_PID}
    [ ! -e "/proc/$pid" ] || grep -q '^[0-9]* (.*) Z' "/proc/$pid/stat"
}

rk_expect_exit() {
    rk_wait_exit "${2:-20}"
    [ "$RK_EXIT" = "$1" ] || rk_fail "exit code $RK_EXIT, expected $1"
}
