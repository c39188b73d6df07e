# The one wait of the tests, the demo and the benchmarks, in seconds with fractions.

# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; false once SECONDS
# have passed.
wait_until() {
    local deadline
    wait_deadline_in deadline "$1"
    shift
    until "$@"; do
        wait_before "$deadline" || return 1
        wait_nap 0.1
    done
}

# wait_nap SECONDS: a sleep without a process of its own, as a read with a timeout from a pipe no
# one writes to (opened once per shell): a fleet of printers polls side by side, and a process
# per poll cost them more CPU than the program under test used. Anything but the timeout (the
# descriptor closed by someone) falls back to sleep, so a poll never spins.
wait_nap() {
    local unread status=0
    [ -n "${WAIT_NAP_FD:-}" ] || exec {WAIT_NAP_FD}<> <(:)
    read -r -t "$1" -u "$WAIT_NAP_FD" unread 2>/dev/null || status=$?
    [ "$status" -gt 128 ] || sleep "$1"
}

# Times as microseconds since the epoch, so fractions of a second compare as integers.
wait_now_us() { local t=${EPOCHREALTIME/[.,]/}; echo "$((10#$t))"; }
# wait_deadline_in VARIABLE SECONDS: sets VARIABLE to that time from now, without a subshell.
wait_deadline_in() {
    local whole=${2%%.*} fraction=${2#*.} now=${EPOCHREALTIME/[.,]/}
    [ "$fraction" != "$2" ] || fraction=0
    fraction=${fraction}000000
    printf -v "$1" '%s' "$((10#$now + 10#${whole:-0} * 1000000 + 10#${fraction:0:6}))"
}
# No command substitution: a poll runs this every tenth of a second.
wait_before() {
    local t=${EPOCHREALTIME/[.,]/}
    [ "$((10#$t))" -lt "$1" ]
}

# wait_end_process PID SIGNAL [GROUP]: sends SIGNAL (to the process group PID leads, with
# GROUP "group"), waits up to 5 s for PID to go, then kills what is left and reaps it.
wait_end_process() {
    local pid=$1 target=$1
    [ "${3:-}" != group ] || target=-$1
    kill "-$2" -- "$target" 2>/dev/null || return 0
    wait_until 5 wait_process_gone "$pid" || true
    kill -KILL -- "$target" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
# A zombie counts as gone: an orphan's is reaped by init, which may take seconds to do so.
wait_process_gone() {
    local stat
    kill -0 "$1" 2>/dev/null || return 0
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 0
    stat=${stat##*) }
    [ "${stat%% *}" = Z ]
}
