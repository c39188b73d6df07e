# Shared helpers for the end-to-end tests. A test script sources this file first; it then runs
# against the rig that scripts/test (or `scripts/rig run`) started and exported (see
# scripts/lib/rig.sh for the variables). Every helper that fails ends the test with a reason.

set -euo pipefail
# A failing helper inside $(...) must end the test too, not just its subshell.
shopt -s inherit_errexit

# A library that sources this file names the test itself first.
E2E_NAME=${E2E_NAME:-$(basename "${BASH_SOURCE[1]:-$0}" .sh)}

e2e_fail() {
    echo "FAIL [$E2E_NAME]: $*" >&2
    exit 1
}

e2e_note() { echo "[$E2E_NAME] $*" >&2; }

# Without the rig the test does not run. Under ctest, E2E_SKIP_CODE (set by the CMakeLists) has
# it reported as skipped; a test that sources this may name its own way to run with the rig in
# E2E_RIG_COMMAND.
if [ -z "${RIG_DIR:-}" ]; then
    e2e_note "not run: RIG_DIR is unset, and this test needs the rig; run scripts/test, or" \
        "${E2E_RIG_COMMAND:-scripts/rig run ctest --test-dir build/windows}"
    exit "${E2E_SKIP_CODE:-1}"
fi

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
# The toolkit the tests share with the demo and the benchmarks.
E2E_TOOLKIT=$E2E_ROOT/tests/lib
for e2e_part in wait jobs driver queue_names product json; do
    # shellcheck source=/dev/null
    source "$E2E_TOOLKIT/$e2e_part.sh"
done
unset e2e_part
# The program sits at the top of the windows build folder.
if [ -z "${TESSALINE_EXE:-}" ]; then
    TESSALINE_EXE=$TESSALINE_WIN_BUILD/Tessaline.exe
fi
DRIVER=$(driver_exe)
DRIVER_LOG=$RIG_DIR/logs/driver-$E2E_NAME.log
E2E_SCREENSHOTS=$RIG_DIR/screenshots

# Undone when the test ends, whatever happens: capture modes it changed, a program it started.
E2E_CHANGED_MODES=()
APP_PID=

e2e_cleanup() {
    local queue
    if [ -n "${APP_PID:-}" ]; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    for queue in "${E2E_CHANGED_MODES[@]}"; do
        echo accept >"$RIG_CAPTURE_DIR/$queue/mode"
    done
}
trap e2e_cleanup EXIT

# ---- Assertions ----

e2e_assert_eq() {
    local what=$1 expected=$2 actual=$3
    [ "$expected" == "$actual" ] ||
        e2e_fail "$what: expected '$expected', got '$actual'"
}

# e2e_assert_contains WHAT NEEDLE TEXT
e2e_assert_contains() {
    [[ "$3" == *"$2"* ]] || e2e_fail "$1: '$2' not in: $3"
}

# Waits go through wait_until (tests/lib/wait.sh): SECONDS with fractions, as everywhere here.

# ---- Capture printers and their jobs ----

e2e_queue_var() {
    local var=$1_$2
    [ -n "${!var:-}" ] || e2e_fail "unknown queue '$2' (no \$$var); queues: $RIG_QUEUES"
    echo "${!var}"
}

e2e_jobs_dir() { e2e_queue_var RIG_JOBS "$1"; }

# The queue's jobs, counted and waited for by tests/lib/jobs.sh; these end the test instead.

# Number of finished jobs a queue's capture printer holds. Note it before the step under test.
e2e_job_count() {
    local dir
    dir=$(e2e_jobs_dir "$1") || exit 1
    jobs_count "$dir"
}

# The file of a queue's job number N (1-based, in arrival order).
e2e_job_file() {
    local dir
    dir=$(e2e_jobs_dir "$1") || exit 1
    jobs_file "$dir" "$2"
}

# e2e_wait_jobs QUEUE BEFORE N [SECONDS]: waits until the queue holds BEFORE+N jobs; fails on
# timeout or when more than that arrive.
e2e_wait_jobs() {
    local queue=$1 before=$2 count=$3 timeout=${4:-30} want now dir
    want=$((before + count))
    dir=$(e2e_jobs_dir "$queue") || exit 1
    if ! jobs_wait "$dir" "$want" "$timeout" 2>/dev/null; then
        now=$(e2e_job_count "$queue")
        e2e_fail "queue $queue: expected $count new job(s) within ${timeout}s, got $((now - before))"
    fi
    # The spooler may still be sending one more; a short grace period catches surplus jobs.
    sleep "${E2E_SURPLUS_GRACE:-0.5}"
    now=$(e2e_job_count "$queue")
    [ "$now" -eq "$want" ] ||
        e2e_fail "queue $queue: expected $count new job(s), got $((now - before))"
}

# e2e_expect_no_jobs QUEUE BEFORE SECONDS: nothing new arrives within that time.
e2e_expect_no_jobs() {
    local queue=$1 before=$2 seconds=$3 now
    sleep "$seconds"
    now=$(e2e_job_count "$queue")
    [ "$now" -eq "$before" ] ||
        e2e_fail "queue $queue: expected no new job, got $((now - before))"
}

e2e_hex() { od -An -v -tx1 "$@" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }

# e2e_digest FILE: the one digest of the tests (BLAKE2: as sure as SHA-256, four times faster
# over files of gigabytes).
e2e_digest() { b2sum "$1" | cut -d' ' -f1; }

# Up to 32 bytes of a file in hex from offset $2, for failure reports.
e2e_hex_window() {
    local hex
    hex=$(e2e_hex -j "$2" -N 32 "$1")
    echo "${hex:-(end of file)}"
}

# e2e_assert_job_file JOB EXPECTED_FILE: byte for byte; on mismatch reports the first
# differing offset and the bytes from there, in hex.
e2e_assert_job_file() {
    local job=$1 expected=$2 report offset
    [ -f "$job" ] || e2e_fail "no job file $job"
    report=$(cmp "$job" "$expected" 2>&1) && return 0
    if [[ "$report" =~ differ:\ byte\ ([0-9]+) ]]; then
        offset=$((BASH_REMATCH[1] - 1))
    elif [[ "$report" =~ EOF\ on\ .*\ after\ byte\ ([0-9]+) ]]; then
        offset=${BASH_REMATCH[1]}
    else
        e2e_fail "cannot compare $job with $expected: $report"
    fi
    e2e_fail "$(basename "$job") differs from $(basename "$expected") at offset $offset" \
        "(sizes $(stat -c %s "$job") and $(stat -c %s "$expected")):
  got      @$offset: $(e2e_hex_window "$job" "$offset")
  expected @$offset: $(e2e_hex_window "$expected" "$offset")"
}

# e2e_assert_job_hex JOB "1b 45 ...": the whole job, given as hex bytes.
e2e_assert_job_hex() {
    local job=$1 expected actual
    expected=$(tr -s ' \n' '  ' <<<"$2" | sed 's/^ //; s/ $//' | tr 'A-F' 'a-f')
    [ -f "$job" ] || e2e_fail "no job file $job"
    actual=$(e2e_hex "$job")
    [ "$actual" == "$expected" ] ||
        e2e_fail "$(basename "$job") bytes differ:"$'\n'"  got      $actual"$'\n'"  expected $expected"
}

# e2e_capture_mode QUEUE accept|refuse|"close-after N": waits until the capture printer has
# applied it. The mode goes back to accept when the test ends.
e2e_capture_mode() {
    local queue=$1 mode=$2 log
    e2e_queue_var RIG_PORT "$queue" >/dev/null || exit 1
    E2E_CHANGED_MODES+=("$queue")
    echo "$mode" >"$RIG_CAPTURE_DIR/$queue/mode"
    log=$RIG_CAPTURE_DIR/$queue/log
    wait_until 5 e2e_mode_applied "$log" "$mode" ||
        e2e_fail "capture printer of $queue did not switch to '$mode'"
}

e2e_mode_applied() {
    local last
    last=$(grep -E '^[0-9.]+ mode ' "$1" | tail -n 1 | cut -d' ' -f3-)
    [ "${last:-accept}" == "$2" ]
}

# The capture log's line for a queue's job N.
e2e_job_log_line() {
    grep -E "^[0-9.]+ job $2 " "$RIG_CAPTURE_DIR/$1/log" ||
        e2e_fail "no log line for job $2 of $1"
}

# ---- Wine ----

# Runs a Windows program under the rig; stdout without carriage returns.
e2e_wine() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# e2e_reg_query KEY NAME: prints the value's data; returns 1 if the value does not exist.
e2e_reg_query() {
    local out
    out=$(wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r') || return 1
    awk -v name="$2" '
        { line = $0; sub(/^    /, "", line) }
        index(line, name "    ") == 1 {
            rest = substr(line, length(name) + 5)
            sub(/^REG_[A-Z_]+/, "", rest)
            sub(/^    /, "", rest)
            print rest
            found = 1
        }
        END { exit !found }' <<<"$out"
}

# e2e_reg_type KEY NAME: prints the value's type, e.g. REG_DWORD.
# Names with spaces ("Page Size") work: the name is matched whole, not split on blanks.
e2e_reg_type() {
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '
            { line = $0; sub(/^    /, "", line) }
            index(line, name "    ") == 1 {
                rest = substr(line, length(name) + 5)
                print substr(rest, 1, index(rest " ", " ") - 1)
                found = 1
            }
            END { exit !found }'
}

e2e_assert_reg() {
    local key=$1 name=$2 expected=$3 actual
    actual=$(e2e_reg_query "$key" "$name") || e2e_fail "registry value $key\\$name is missing"
    e2e_assert_eq "registry value $key\\$name" "$expected" "$actual"
}

e2e_assert_no_reg() {
    if e2e_reg_query "$1" "$2" >/dev/null; then
        e2e_fail "registry value $1\\$2 exists"
    fi
}

e2e_reg_delete_key() { wine reg delete "$1" /f </dev/null >/dev/null 2>&1 || true; }

e2e_reg_add() {
    local out err said
    out=$(mktemp "${TMPDIR:-/tmp}/reg-out.XXXXXX")
    err=$(mktemp "${TMPDIR:-/tmp}/reg-err.XXXXXX")
    if ! wine_once_more_if_silent "$out" "$err" reg add "$1" /v "$2" /t "$3" /d "$4" /f; then
        said=$(cat "$out" "$err" | tr -d '\r' | tail -n 3)
        rm -f "$out" "$err"
        e2e_fail "cannot set $1\\$2${said:+: $said}"
    fi
    rm -f "$out" "$err"
}

# ---- Windows on the rig's display ----

# e2e_window_geometry TITLE: prints WxH+X+Y of the first window with exactly that name.
e2e_window_geometry() {
    # Lines read: 0x400003 "Title": ("class" "Wine")  400x300+0+0  +12+34 (the last pair is
    # the absolute position).
    xwininfo -root -tree 2>/dev/null | awk -v title="\"$1\":" '
        index($0, title) {
            for (i = 1; i <= NF; i++) {
                if ($i ~ /^[0-9]+x[0-9]+[-+]/) {
                    split($i, size, /[-+]/)
                    print size[1] $NF
                    exit
                }
            }
        }'
}

e2e_window_exists() { [ -n "$(e2e_window_geometry "$1")" ]; }

# e2e_screenshot NAME [TITLE]: saves build/rig/screenshots/NAME.png, cropped to the window
# when a title is given; prints the file's path.
e2e_screenshot() {
    local name=$1 title=${2:-} geometry out
    mkdir -p "$E2E_SCREENSHOTS"
    out=$E2E_SCREENSHOTS/$name.png
    if [ -n "$title" ]; then
        geometry=$(e2e_window_geometry "$title")
        [ -n "$geometry" ] || e2e_fail "no window \"$title\" to take a screenshot of"
        import -window root -crop "$geometry" +repage "$out" ||
            e2e_fail "screenshot of \"$title\" failed"
    else
        import -window root "$out" || e2e_fail "screenshot failed"
    fi
    echo "$out"
}

# ---- The program and the driver ----

# run_app [ARGS...]: starts Tessaline.exe in the background; APP_PID is its PID. It is ended
# when the test ends, if still running.
run_app() {
    [ -f "$TESSALINE_EXE" ] || e2e_fail "program not built: $TESSALINE_EXE"
    wine "$TESSALINE_EXE" "$@" </dev/null >>"$RIG_DIR/logs/app-$E2E_NAME.log" 2>&1 &
    APP_PID=$!
}

# wait_app [SECONDS]: waits for the program to end; fails if it does not.
wait_app() {
    local timeout=${1:-30}
    [ -n "$APP_PID" ] || e2e_fail "wait_app: no program started"
    wait_until "$timeout" e2e_not_running "$APP_PID" ||
        e2e_fail "program still running after ${timeout}s"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
}

e2e_not_running() { ! kill -0 "$1" 2>/dev/null; }

# drv [--exit CODE] ARGS...: the tests' way to run the driver (driver_run, tests/lib/driver.sh).
# Prints its output; its messages also go to the test's driver log. A failing driver ends the
# test, quoting its message. With --exit, the driver must exit with CODE instead, and its
# message is printed after its output.
drv() {
    local want=0
    if [ "${1:-}" == --exit ]; then
        want=$2
        shift 2
    fi
    [ -f "$DRIVER" ] || e2e_fail "driver not built: $DRIVER"
    driver_run "$@" || true
    if [ "$DRIVER_RC" -ne "$want" ]; then
        e2e_fail "driver $* exited $DRIVER_RC, expected $want: $(driver_complaint)${DRIVER_OUT:+
output: $DRIVER_OUT}"
    fi
    [ -z "$DRIVER_OUT" ] || printf '%s\n' "$DRIVER_OUT"
    if [ "$want" -ne 0 ] && [ -n "$DRIVER_ERR" ]; then
        grep -v 'wine32\|multiarch\|dpkg --add\|apt-get install' <<<"$DRIVER_ERR" || true
    fi
}

# drv_expect WHAT EXPECTED ARGS...: the driver's output must be exactly EXPECTED.
drv_expect() {
    local what=$1 expected=$2 actual
    shift 2
    actual=$(drv "$@")
    e2e_assert_eq "$what" "$expected" "$actual"
}

# ---- Resource ids ----

# Every numeric #define of the program's resource.h becomes a shell variable of the same name
# (IDC_MAIN_PATH, IDC_SETUP_ORIENTATION, IDM_ABOUTBOX...), so no test keeps its own copy.
product_resource_ids || e2e_fail "cannot read the control ids"
[ -n "${IDC_MAIN_PATH:-}" ] || e2e_fail "no IDC_MAIN_PATH in src/ui/resource.h"
# The standard buttons' ids, from the platform.
IDOK=1
IDCANCEL=2

# ---- Code pages ----

# e2e_code_page_932: the Wine processes this test starts from now on run with a Japanese
# locale, so their ANSI code page is 932 (double-byte). The locale is built once per rig into
# its own folder, so the machine's locales stay as they are. Fails unless Wine reports 932.
e2e_code_page_932() {
    local dir=$RIG_DIR/locale
    if [ ! -d "$dir/ja_JP.UTF-8" ]; then
        mkdir -p "$dir"
        localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1 ||
            [ -f "$dir/ja_JP.UTF-8/LC_CTYPE" ] ||
            e2e_fail "cannot build the ja_JP.UTF-8 locale (package locales)"
    fi
    export LOCPATH=$dir
    # Bash itself keeps its own locale and says so; the Wine processes take these.
    { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
}

# e2e_cp932 TEXT: TEXT (UTF-8) in code page 932, as a program of that code page holds it.
e2e_cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
