#!/usr/bin/env bash
# Runs a command with DISPLAY set to an Xvfb server of its own. The server picks a free display itself and
# writes its number once it takes connections, so checks that run at once never meet on one display; it
# is ended (and its lock and socket go with it) when the command ends, however this script ends.
# Arguments: screen ("1024x768x24"), then the command and its arguments. Exit code: the command's.
set -euo pipefail
screen=$1
shift
work=$(mktemp -d)
server=""
command=""
finish() {
    if [ -n "$command" ]; then kill -TERM "$command" 2> /dev/null || true; fi
    if [ -n "$server" ]; then
        kill -TERM "$server" 2> /dev/null || true
        wait "$server" 2> /dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

# The number arrives through a pipe: the read ends with the number, or at end of file when the server
# could not start.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3> "$work/display" > "$work/server.log" 2>&1 &
server=$!
number=""
read -r number < "$work/display" || true
if ! [[ "$number" =~ ^[0-9]+$ ]]; then
    echo "Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
export DISPLAY=":$number"
unset XAUTHORITY

# Waited for in the background, so that a signal to this script ends it (and the command and the server)
# at once. The command keeps this script's input, and SIGINT and SIGQUIT as they are for a command run in
# the foreground (a background command would start with them ignored).
(
    trap - INT QUIT
    exec "$@"
) 0<&0 &
command=$!
status=0
wait "$command" || status=$?
command=""
exit "$status"
