# Shared helpers for the native command line's end-to-end tests: tessaline-cli over CUPS,
# against the rig's private cupsd and capture printers, with no Wine. A test sources this
# first; the rig's helpers (queues, job files, capture modes) come from the Wine tests' library.

E2E_NAME=$(basename "$0" .sh)
E2E_RIG_COMMAND="RIG_WINE=no scripts/rig run ctest --test-dir build/native -L cups_e2e"
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../e2e/lib" && pwd)/e2e.sh"

CLI=${TESSALINE_CLI:-}
[ -x "$CLI" ] || e2e_fail "TESSALINE_CLI does not name the native tessaline-cli ('$CLI')"
CLI_PROMPT="Continue? [y/N] "

# The rig's queues (tests/lib/queue_names.sh) are natively plain raw CUPS queues.

# A private folder, and private settings: XDG_CONFIG_HOME points into it.
work=$RIG_DIR/cli_native/$E2E_NAME
rm -rf "$work"
mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config

# Queues a test made, deleted when it ends; then the rig's own clean-up.
CLI_MADE_QUEUES=()
cli_cleanup() {
    local queue
    for queue in "${CLI_MADE_QUEUES[@]}"; do
        lpadmin -x "$queue" 2>/dev/null || true
    done
    e2e_cleanup
}
trap cli_cleanup EXIT

# cli_make_queue NAME CAPTURE_QUEUE [URI OPTIONS]: a raw queue of the test's own in front of the
# capture printer of one of the rig's queues.
cli_make_queue() {
    local name=$1 port
    port=$(e2e_queue_var RIG_PORT "$2") || exit 1
    CLI_MADE_QUEUES+=("$name")
    lpadmin -p "$name" -E -v "socket://127.0.0.1:$port/?waiteof=false${3:+&$3}" \
        -o printer-error-policy=abort-job || e2e_fail "cannot make queue $name"
}

# cli_run ARGS...: runs the program with standard input not a terminal; sets CLI_OUT, CLI_ERR
# and CLI_RC.
cli_run() {
    CLI_RC=0
    "$CLI" "$@" </dev/null >"$work/stdout" 2>"$work/stderr" || CLI_RC=$?
    CLI_OUT=$(cat "$work/stdout")
    CLI_ERR=$(cat "$work/stderr")
}

# cli_pty ANSWER ARGS...: runs the program on a terminal and answers its prompt; sets CLI_SHOWN
# (everything the terminal showed) and CLI_RC.
cli_pty() {
    local answer=$1
    shift
    CLI_RC=0
    CLI_SHOWN=$(python3 "$E2E_TOOLKIT/pty.py" "$CLI_PROMPT" "$answer" "$CLI" "$@") || CLI_RC=$?
}

# cli_expect CASE RC STDOUT STDERR: the exit code and both streams, exactly.
cli_expect() {
    e2e_assert_eq "$1: exit code (stderr: $CLI_ERR)" "$2" "$CLI_RC"
    e2e_assert_eq "$1: standard output" "$3" "$CLI_OUT"
    e2e_assert_eq "$1: standard error" "$4" "$CLI_ERR"
}

# The window's outcome line for a whole file.
cli_sent_line() { echo "$1: Successfully sent entire file to printer.  File size: $2, Bytes written: $2"; }

# cli_job_ended QUEUE JOB: CUPS lists the job among the ended ones (completed, aborted or
# cancelled; newest first, so a long history does not hide it).
cli_job_ended() { lpstat -W completed -o "$1" 2>/dev/null | grep -q "^$1-$2 "; }

cli_random_file() { head -c "$2" /dev/urandom >"$1"; }
