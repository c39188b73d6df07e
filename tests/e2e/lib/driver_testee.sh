# Helpers for the tests that prove the driver against its own test dialog. Sourced after
# lib/e2e.sh; every helper that fails ends the test with the driver's own message.

TESTEE_EXE=${TESTEE_EXE:-$TESSALINE_WIN_BUILD/tools/driver/testee/driver_testee.exe}

# drv ARGS...: runs the driver; its output without carriage returns. Fails the test, quoting
# the driver's message, when the driver fails.
drv() {
    local out err rc=0
    err=$(mktemp)
    out=$(wine "$DRIVER" "$@" </dev/null 2>"$err" | tr -d '\r'; exit "${PIPESTATUS[0]}") || rc=$?
    if [ "$rc" -ne 0 ]; then
        e2e_fail "driver $* exited $rc: $(grep -v 'wine32\|multiarch\|dpkg --add\|apt-get install' "$err")"
    fi
    rm -f "$err"
    [ -z "$out" ] || printf '%s\n' "$out"
}

# drv_fails CODE ARGS...: the driver must exit with CODE; prints its error message.
drv_fails() {
    local code=$1 rc=0 err
    shift
    err=$(wine "$DRIVER" "$@" </dev/null 2>&1 >/dev/null) || rc=$?
    [ "$rc" -eq "$code" ] || e2e_fail "driver $* exited $rc, expected $code: $err"
    printf '%s\n' "$err"
}

# expect WHAT EXPECTED ARGS...: the driver's output must be exactly EXPECTED.
expect() {
    local what=$1 expected=$2 actual
    shift 2
    actual=$(drv "$@")
    e2e_assert_eq "$what" "$expected" "$actual"
}

# expect_contains WHAT NEEDLE TEXT
expect_contains() {
    [[ "$3" == *"$2"* ]] || e2e_fail "$1: '$2' not in: $3"
}

# testee_start CAPTION: starts the test dialog under that caption; it is ended with the test.
testee_start() {
    [ -f "$TESTEE_EXE" ] || e2e_fail "test dialog not built: $TESTEE_EXE"
    [ -f "$DRIVER" ] || e2e_fail "driver not built: $DRIVER"
    wine "$TESTEE_EXE" "$1" </dev/null >/dev/null 2>&1 &
    APP_PID=$!
    drv wait-window "$1" --timeout 30
}

# testee_stop CAPTION: closes the dialog as its close box does and waits for the process.
testee_stop() {
    drv close "$1"
    drv wait-close "$1"
    e2e_wait_until 10 e2e_not_running "$APP_PID" || e2e_fail "test dialog still running"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
}
