# Helpers for the queue self-tests (tests/e2e/rig_queue_*.sh), which prove the rig's Wine queues
# with tools/rawjob. Unlike the other end-to-end tests, a failed check is counted and the test
# goes on, so one run reports every queue behaviour that differs. Jobs are counted and waited
# for with the toolkit (tests/lib/jobs.sh).

RIG_QUEUE_TESTS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
for rig_queue_part in scripts/lib/queues.sh tests/lib/wait.sh tests/lib/jobs.sh; do
    # shellcheck source=/dev/null
    source "$RIG_QUEUE_TESTS_ROOT/$rig_queue_part"
done
unset rig_queue_part

# rig_rawjob PRINTER DATATYPES FILE [--startdoc=W]: runs rawjob.exe; sets RAWJOB_OUT (its
# transcript, CRs removed), RAWJOB_ERR (its stderr), RAWJOB_RC and RAWJOB_SECONDS.
rig_rawjob() {
    local out err start
    out=$(mktemp)
    err=$(mktemp)
    start=$(date +%s.%N)
    RAWJOB_RC=0
    wine "$(rig_rawjob_exe)" "$@" >"$out" 2>"$err" || RAWJOB_RC=$?
    RAWJOB_SECONDS=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}')
    RAWJOB_OUT=$(tr -d '\r' <"$out")
    RAWJOB_ERR=$(tr -d '\r' <"$err")
    rm -f "$out" "$err"
}

# The transcript of a job that ran to its end: datatypes offered in order, the last accepted.
# Usage: rig_completed_transcript SIZE DATATYPE... (each refused one as "NAME:ERROR").
rig_completed_transcript() {
    local size=$1 offer
    shift
    echo "OpenPrinterA ok"
    for offer in "$@"; do
        if [[ $offer == *:* ]]; then
            printf 'datatype %s\nStartDocPrinterA failed error %s\n' "${offer%%:*}" "${offer#*:}"
        else
            printf 'datatype %s\nStartDocPrinterA ok\n' "$offer"
        fi
    done
    printf 'StartPagePrinter ok\nWritePrinter ok\nwritten %s of %s\n' "$size" "$size"
    printf 'EndPagePrinter ok\nEndDocPrinter ok\nClosePrinter ok\nexit 0\n'
}

RIG_TEST_FAILURES=0

rig_fail() {
    echo "FAIL $*"
    RIG_TEST_FAILURES=$((RIG_TEST_FAILURES + 1))
}

# rig_expect_eq CASE WHAT EXPECTED ACTUAL: on a mismatch names the case and shows the diff.
rig_expect_eq() {
    if [ "$3" != "$4" ]; then
        rig_fail "$1: $2"
        diff <(printf '%s\n' "$3") <(printf '%s\n' "$4") | sed 's/^/    /'
    fi
}

# Stops a test early when the rig it needs is not there.
rig_require_queues() {
    local var q
    for var in RIG_DIR WINEPREFIX CUPS_SERVER TESSALINE_WIN_BUILD; do
        if [ -z "${!var:-}" ]; then
            echo "FAIL rig not running: $var is not set"
            exit 1
        fi
    done
    for q in "$@"; do
        rig_queue_value JOBS "$q" >/dev/null || exit 1
    done
}

rig_test_end() {
    if [ "$RIG_TEST_FAILURES" -ne 0 ]; then
        echo "$RIG_TEST_FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
