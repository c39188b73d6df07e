# Helpers for the tests that prove the driver against its own test dialog. Sourced after
# lib/e2e.sh; every helper that fails ends the test with the driver's own message.

TESTEE_EXE=${TESTEE_EXE:-$TESSALINE_WIN_BUILD/tools/driver/testee/driver_testee.exe}

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
    wait_until 10 e2e_not_running "$APP_PID" || e2e_fail "test dialog still running"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=
}
