#!/usr/bin/env bash
# Another local user cannot keep the program from opening its window. Without a runtime folder
# the socket lives in the user's own folder in the temporary folder. A listening socket of
# another user at the shared name used before, in that folder, or a folder of theirs in its
# place: the program opens its window all the same, says on standard error what it did not
# use, and never sends that user a request. Runs the other user as nobody, so it needs root.
source "$(dirname "$0")/harness.sh"
OTHER=65534
PYTHON=/usr/bin/python3
if ! setpriv --reuid=$OTHER --regid=$OTHER --clear-groups "$PYTHON" -c '' 2>/dev/null; then
    echo "skipped: cannot act as uid $OTHER here (needs root, setpriv and $PYTHON)"
    exit 77
fi
rk_start_x
unset XDG_RUNTIME_DIR
# A temporary folder that works as /tmp does, so that the test leaves /tmp alone.
chmod 711 "$RK_TMP"
export TMPDIR=$RK_TMP/tmp
mkdir -m 1777 "$TMPDIR"
ME=$(id -u)
OLD=$TMPDIR/remarkist-$ME-$DISPLAY
FOLDER=$TMPDIR/remarkist-$ME
SOCKET=$FOLDER/remarkist-$ME-$DISPLAY

# as_other COMMAND...: runs COMMAND as the other user, in this process (so that a command
# started in the background has the process id that $! gives).
as_other() { exec setpriv --reuid=$OTHER --regid=$OTHER --clear-groups "$@"; }

# other_listens PATH: the other user listens at PATH and answers every request as the program
# does, which silences a start that trusts it. What it was sent goes to $RK_TMP/requests.
other_listens() {
    : >"$RK_TMP/requests"
    chmod 666 "$RK_TMP/requests"
    as_other "$PYTHON" -c '
import socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen(8)
while True:
    client, _ = server.accept()
    try:
        request = client.recv(64)
        open(sys.argv[2], "ab").write(request)
        client.sendall(b"ok\n")
    except OSError:
        pass
    client.close()
' "$1" "$RK_TMP/requests" &
    OTHER_PID=$!
    RK_PIDS+=($OTHER_PID)
    rk_wait $RK_TIMEOUT "the other user's socket at $1" answers "$1"
}

# answers PATH: something at PATH answers "ok" (to a word the program would not answer).
answers() {
    "$PYTHON" -c '
import socket, sys
client = socket.socket(socket.AF_UNIX)
client.settimeout(2)
client.connect(sys.argv[1])
client.sendall(b"probe\n")
sys.exit(client.recv(16) != b"ok\n")
' "$1" 2>/dev/null
}

other_stops() {
    kill "$OTHER_PID"
    wait "$OTHER_PID" 2>/dev/null || true
}

# second_start: a start while the program runs ends with 0, having brought the window forward.
second_start() {
    local pid code=0
    (rk_exec_app "$RK_TMP/widgets-second") >"$RK_TMP/second.log" 2>&1 &
    pid=$!
    RK_PIDS+=($pid)
    rk_wait 20 "the second start to end" rk_app_ended "$pid"
    wait "$pid" || code=$?
    [ "$code" = 0 ] || { cat "$RK_TMP/second.log" >&2; rk_fail "the second start ended with $code"; }
}

said() { grep -qF "$1" "$RK_TMP/app.log" || rk_fail "standard error lacks: $1"; }

# The other user's socket at the old shared name is not even looked at.
at_the_old_name() {
    other_listens "$OLD"
    rk_start_app
    rk_wait $RK_TIMEOUT "the program to listen in its own folder" test -S "$SOCKET"
    [ "$(stat -c '%u %a' "$FOLDER")" = "$ME 700" ] || rk_fail "folder $(stat -c '%u %a' "$FOLDER")"
    second_start
    ends_and_removes "$SOCKET"
}

# ends_and_removes PATH: Cancel ends the program with 0, and it removes its socket at PATH.
ends_and_removes() {
    rk_click function/cancel
    rk_expect_exit 0
    [ ! -e "$1" ] || rk_fail "the socket is left after the end"
}

# A socket of the other user in the user's own folder (only root could have put it there):
# it counts as absent, and the program takes the name over.
in_the_folder() {
    mkdir -m 700 "$FOLDER"
    mkdir -m 777 "$TMPDIR/theirs"
    other_listens "$TMPDIR/theirs/socket"
    mv "$TMPDIR/theirs/socket" "$SOCKET"
    answers "$SOCKET" || rk_fail "the moved socket does not answer"
    rk_start_app
    said "remarkist: cannot use $SOCKET: it is served by uid $OTHER; opening a window of its own"
    rk_wait $RK_TIMEOUT "the program to take the socket over" owned_by_me "$SOCKET"
    second_start
    ends_and_removes "$SOCKET"
}

owned_by_me() { [ "$(stat -c %u "$1")" = "$ME" ]; }

# The other user made the folder first: the program runs without the one-instance service.
their_folder() {
    (as_other mkdir -m 755 "$FOLDER")
    other_listens "$SOCKET"
    rk_start_app
    said "remarkist: cannot use $FOLDER (owned by uid $OTHER): running without the one-instance service"
    ! owned_by_me "$SOCKET" || rk_fail "the program listens in the other user's folder"
    rk_click function/cancel
    rk_expect_exit 0
}

cases=(
    "at_the_old_name"
    "in_the_folder"
    "their_folder"
)
for case in "${cases[@]}"; do
    echo "--- $case"
    rm -rf "$FOLDER" "$TMPDIR/theirs"
    rk_fresh_work
    $case
    ! grep -q activate "$RK_TMP/requests" || rk_fail "the other user was asked to come forward"
    other_stops
done
echo "foreign_socket: ok"
