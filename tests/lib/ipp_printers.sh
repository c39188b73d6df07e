# Printers reached by IPP address, with no CUPS queue: CUPS' own ippeveprinter on a free
# loopback port, one process per printer. Sourced by the rig (scripts/lib/rig.sh, which stops
# what is left of them), the native command line's tests and the fleet benchmark. Needs the
# rig's bus (DBUS_SYSTEM_BUS_ADDRESS) and RIG_DIR; sign-in needs the rig's RIG_PAM_SERVICE.
#
# Each printer NAME has the folder $RIG_IPP_DIR/NAME:
#   jobs/  every job's document as it arrived (-k), e.g. 1-untitled.pcl; the command's output
#   tls/   its TLS key and certificate (-K: never the machine's /etc/cups/ssl)
#   uri    ipp://localhost:PORT/ipp/print     port  PORT
# its log is $RIG_DIR/logs/ipp-NAME.log, each line stamped with the Unix time it was written
# (microseconds), and its PID is in $RIG_DIR/pids/ipp-NAME (a restarting printer's supervisor's
# in ipp-NAME.supervisor). Functions return non-zero, saying why on standard error, instead of
# ending the caller.

declare -F wait_end_process >/dev/null ||
    source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wait.sh"

# What runs a printer that restarts: tests/lib/ipp_firmware.sh starts one per printer.
IPP_SUPERVISOR_SCRIPT=ipp_firmware_supervisor.sh

# A command that ends each job at once; without one, ippeveprinter pretends to print for many
# seconds.
IPP_QUICK_COMMAND=/bin/true

ipp_dir() { echo "${RIG_IPP_DIR:-$RIG_DIR/ipp}/$1"; }
ipp_printer_uri() { cat "$(ipp_dir "$1")/uri"; }
ipp_printer_port() { cat "$(ipp_dir "$1")/port"; }
ipp_printer_jobs() { echo "$(ipp_dir "$1")/jobs"; }
ipp_printer_log() { echo "$RIG_DIR/logs/ipp-$1.log"; }
ipp_printer_pid() { cat "$RIG_DIR/pids/ipp-$1" 2>/dev/null; }

# The documents a printer kept, oldest first (the command's .prn output left out).
ipp_printer_documents() {
    find "$(ipp_printer_jobs "$1")" -maxdepth 1 -type f ! -name '*.prn' -printf '%T@ %p\n' |
        sort -n | cut -d' ' -f2-
}

# Ports apart from the rig's own range, so printers started by a test never race the rig.
ipp_free_port() {
    local range=${RIG_IPP_PORT_RANGE:-30000-39999} low high port try
    low=${range%-*} high=${range#*-}
    for try in $(seq 1 200); do
        port=$((low + RANDOM % (high - low + 1)))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
        echo "$port"
        return 0
    done
    echo "ipp: no free port in $range" >&2
    return 1
}

# Copies standard input to standard output, each line after the Unix time it arrived. Run in a
# subshell of the caller's, not a program of its own: a fleet of printers starts one each.
ipp_stamp_lines() {
    local line
    while IFS= read -r line || [ -n "$line" ]; do
        printf '%s %s\n' "${EPOCHREALTIME/,/.}" "$line"
    done
}

# ipp_printer_up PID LOG OFFSET: the process runs and has logged, past OFFSET bytes of its log,
# the addresses it answers at.
ipp_printer_up() {
    kill -0 "$1" 2>/dev/null && tail -c +$(($3 + 1)) "$2" | grep -q 'printer-uri-supported='
}

# ipp_printer_launch NAME PORT [IPPEVEPRINTER_ARGS...]: one ippeveprinter for the printer's
# folder, appending to its log; sets IPP_LAUNCHED_PID and returns once it answers. Non-zero,
# with the process ended, when it did not start (the port was taken, say).
# IPP_LAUNCH_PREFIX, when set, is a command that runs ippeveprinter (e.g. setpriv).
ipp_printer_launch() {
    local name=$1 port=$2 dir log offset pid
    shift 2
    dir=$(ipp_dir "$name")
    log=$(ipp_printer_log "$name")
    offset=$(stat -c %s "$log" 2>/dev/null || echo 0)
    ${IPP_LAUNCH_PREFIX:-} ippeveprinter -n localhost -p "$port" -r off -d "$dir/jobs" -k \
        -K "$dir/tls" "$@" -v "$name" </dev/null >/dev/null 2> >(ipp_stamp_lines >>"$log") &
    pid=$!
    IPP_LAUNCHED_PID=$pid
    wait_until 10 ipp_printer_up "$pid" "$log" "$offset" && return 0
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
}

# ipp_printer_addressed NAME PORT: notes where the printer answers (its uri and port files).
ipp_printer_addressed() {
    local dir
    dir=$(ipp_dir "$1")
    echo "$2" >"$dir/port"
    echo "ipp://localhost:$2/ipp/print" >"$dir/uri"
}

# ipp_printer_can_start NAME: the name fits a folder and a PID file, and the rig's bus is up.
ipp_printer_can_start() {
    [[ "$1" =~ ^[A-Za-z0-9_-]+$ ]] || {
        echo "ipp: printer name '$1' is not letters, digits, - and _" >&2
        return 1
    }
    [ -n "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || {
        echo "ipp: no DBUS_SYSTEM_BUS_ADDRESS: start the rig first" >&2
        return 1
    }
}

# ipp_printer_start NAME [-f FORMATS] [-c COMMAND | --slow] [-A] [-- IPPEVEPRINTER_ARGS...]
#   -f  the accepted MIME types, comma-separated (default application/octet-stream)
#   -c  the command run for each job (default: one that ends it at once); --slow: none
#   -A  sign-in through the rig's PAM service ($RIG_IPP_DIR/passwords, see ipp_add_user)
# Listens on 127.0.0.1 and ::1 only (-n localhost), advertises nothing (-r off).
ipp_printer_start() {
    local name=$1 formats=application/octet-stream command=$IPP_QUICK_COMMAND auth=() extra=()
    shift
    while [ $# -gt 0 ]; do
        case "$1" in
            -f) formats=$2 && shift 2 ;;
            -c) command=$2 && shift 2 ;;
            --slow) command= && shift ;;
            -A)
                [ -n "${RIG_PAM_SERVICE:-}" ] || {
                    echo "ipp: the rig has no PAM service (not started as root)" >&2
                    return 1
                }
                auth=(-A --pam-service "$RIG_PAM_SERVICE") && shift
                ;;
            --) shift && extra=("$@") && break ;;
            *) echo "ipp_printer_start: unknown option $1" >&2 && return 1 ;;
        esac
    done
    ipp_printer_can_start "$name" || return 1
    local dir log port attempt
    dir=$(ipp_dir "$name")
    log=$(ipp_printer_log "$name")
    rm -rf "$dir"
    mkdir -p "$dir/jobs" "$dir/tls" "$RIG_DIR/pids" "$RIG_DIR/logs"
    for attempt in 1 2 3 4 5; do
        port=$(ipp_free_port) || return 1
        : >"$log"
        # Lost the port to another process, or did not start at all: another port.
        ipp_printer_launch "$name" "$port" -f "$formats" ${command:+-c "$command"} \
            "${auth[@]}" "${extra[@]}" || continue
        echo "$IPP_LAUNCHED_PID" >"$RIG_DIR/pids/ipp-$name"
        ipp_printer_addressed "$name" "$port"
        return 0
    done
    echo "ipp: printer $name did not start; see $log:" >&2
    tail -n 5 "$log" >&2
    return 1
}

# ipp_printer_end NAME SIGNAL: sends it and waits up to 5 s for the process to go. A printer
# run by a supervisor (tests/lib/ipp_firmware.sh) loses the supervisor first, so that nothing
# starts it again; the supervisor stops the printer it runs, and whatever survives a KILL is
# ended by its own PID file below.
ipp_printer_end() {
    local pid supervisor=$RIG_DIR/pids/ipp-$1.supervisor
    if pid=$(cat "$supervisor" 2>/dev/null); then
        rm -f "$supervisor"
        wait_end_process "$pid" "$2"
    fi
    pid=$(ipp_printer_pid "$1") || return 0
    rm -f "$RIG_DIR/pids/ipp-$1"
    wait_end_process "$pid" "$2"
}

ipp_printer_stop() { ipp_printer_end "$1" TERM; }
ipp_printer_kill() { ipp_printer_end "$1" KILL; }

# Stops every printer whose PID file (or whose supervisor's) is still there, provided it still
# is an ippeveprinter (or a supervisor). All are told at once, supervisors first, and then waited
# for one by one: a fleet of hundreds would otherwise take a tenth of a second each.
ipp_printers_stop_recorded() {
    local file name pid
    [ -n "${RIG_DIR:-}" ] && [ -d "$RIG_DIR/pids" ] || return 0
    for file in "$RIG_DIR"/pids/ipp-*.supervisor "$RIG_DIR"/pids/ipp-*; do
        if pid=$(ipp_recorded_pid "$file"); then
            kill -TERM "$pid" 2>/dev/null || true
        fi
    done
    for file in "$RIG_DIR"/pids/ipp-*; do
        [ -f "$file" ] || continue
        name=${file##*/pids/ipp-}
        if ipp_recorded_pid "$file" >/dev/null; then
            ipp_printer_stop "${name%.supervisor}"
        else
            rm -f "$file"
        fi
    done
}

# ipp_recorded_pid FILE: the PID the file holds, provided it is an ippeveprinter or a supervisor.
ipp_recorded_pid() {
    local pid
    pid=$(cat "$1" 2>/dev/null) || return 1
    case "$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null)" in
        *ippeveprinter* | *"$IPP_SUPERVISOR_SCRIPT"*) echo "$pid" ;;
        *) return 1 ;;
    esac
}

# ipp_add_user NAME PASSWORD: one more account the sign-in printers take.
ipp_add_user() {
    [ -n "${RIG_PAM_SERVICE:-}" ] || {
        echo "ipp: the rig has no PAM service (not started as root)" >&2
        return 1
    }
    printf '%s:%s\n' "$1" "$2" >>"${RIG_IPP_DIR:-$RIG_DIR/ipp}/passwords"
}

# The names the sign-in printers were asked to check, with "ok" or "refused", one per line.
ipp_sign_in_attempts() { cat "${RIG_IPP_DIR:-$RIG_DIR/ipp}/pam.log" 2>/dev/null || true; }

# ipp_jobs URI [WHICH]: the printer's jobs as "ID STATE" lines, asked with Get-Jobs (WHICH:
# not-completed (default), completed or all). A URI may carry NAME:PASSWORD@ for sign-in.
ipp_jobs() {
    local test_file=${RIG_IPP_DIR:-$RIG_DIR/ipp}/get-jobs.test out
    if [ ! -f "$test_file" ]; then
        mkdir -p "$(dirname "$test_file")"
        cat >"$test_file" <<'EOF'
{
  NAME "Get-Jobs"
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name tessaline-rig
  ATTR keyword which-jobs $which
  ATTR keyword requested-attributes job-id,job-state
  STATUS successful-ok
}
EOF
    fi
    out=$(ipptool -T 10 -tv -d "which=${2:-not-completed}" "$1" "$test_file" 2>&1) || {
        echo "ipp: Get-Jobs on $1 failed: $(grep -m1 'status-code\|Unable' <<<"$out")" >&2
        return 1
    }
    awk '/job-id \(integer\) = / { id = $NF }
         /job-state \(enum\) = / { print id, $NF }' <<<"$out"
}

# The job lines of a printer's log ("[Job N] ..."), for failure reports.
ipp_printer_job_lines() { grep -E '\[Job [0-9]+\]|-Job ' "$(ipp_printer_log "$1")" || true; }
