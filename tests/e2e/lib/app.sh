# Helpers for the tests that drive the program's main window. Sourced after lib/e2e.sh; every
# helper that fails ends the test, quoting the driver's own message.

APP_CAPTION="Tessaline 3.2 by Korvane"
APP_SETTINGS_KEY='HKCU\Software\Korvane\Tessaline\Print Settings'
APP_DEVICES_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'

# The rig's queues: pass-through (takes "XPS_PASS"), "RAW" only, refusing late.
APP_QUEUE_A=Tessaline_Virtual_Printer
APP_QUEUE_B=Tessaline_Raw_Only
APP_QUEUE_C=Tessaline_Late_Refusal

# Main window controls.
APP_EXIT=2
APP_PATH=1000
APP_BROWSE=1001
APP_UPGRADE=1002
APP_FORMS=1003
APP_PRINT=1004
APP_PRINTER=1005
APP_PRINT_SETUP=1006
APP_DEBUG_MODE=1008
APP_NOTICE1=1009
APP_NOTICE2=1010

# app_drv ARGS...: the driver; its output without carriage returns. Fails the test with the
# driver's message when the driver fails.
app_drv() {
    local out err rc=0
    [ -f "$DRIVER" ] || e2e_fail "driver not built: $DRIVER"
    err=$(mktemp)
    out=$(wine "$DRIVER" "$@" </dev/null 2>"$err" | tr -d '\r'; exit "${PIPESTATUS[0]}") || rc=$?
    if [ "$rc" -ne 0 ]; then
        e2e_fail "driver $* exited $rc: $(grep '^driver ' "$err")"
    fi
    rm -f "$err"
    [ -z "$out" ] || printf '%s\n' "$out"
}

# app_expect WHAT EXPECTED DRIVER_ARGS...: the driver's output must be exactly EXPECTED.
app_expect() {
    local what=$1 expected=$2 actual
    shift 2
    actual=$(app_drv "$@")
    e2e_assert_eq "$what" "$expected" "$actual"
}

# Starts the program and waits for its main window.
app_start() {
    run_app
    app_drv wait-window "$APP_CAPTION" --timeout 30
}

# Ends the program with Exit and waits until it has gone.
app_exit() {
    app_drv click "$APP_CAPTION" "$APP_EXIT"
    wait_app 15
}

# app_print_forms QUEUE TEXT: chooses the queue, types the forms text, clicks Print.
app_print_forms() {
    app_drv select "$APP_CAPTION" "$APP_PRINTER" --text "$1"
    app_drv set-text "$APP_CAPTION" "$APP_FORMS" "$2"
    app_drv click "$APP_CAPTION" "$APP_PRINT"
}

# app_form_job_hex P O N: the bytes of one form test job in hex, built independently of the
# program: ESC E, ESC &l P a O O, ESC &f N y 3 X, FF.
app_form_job_hex() {
    printf '\033E\033&l%da%dO\033&f%dy3X\014' "$1" "$2" "$3" | e2e_hex
}

# app_assert_form_jobs QUEUE BEFORE P O FIRST LAST: exactly the jobs for forms FIRST..LAST
# arrived after BEFORE, in that order, each byte for byte.
app_assert_form_jobs() {
    local queue=$1 before=$2 p=$3 o=$4 first=$5 last=$6 n i
    e2e_wait_jobs "$queue" "$before" $((last - first + 1))
    i=$((before + 1))
    for ((n = first; n <= last; n++)); do
        e2e_assert_job_hex "$(e2e_job_file "$queue" "$i")" "$(app_form_job_hex "$p" "$o" "$n")"
        i=$((i + 1))
    done
}

# Deletes the program's stored print settings.
app_reset_settings() {
    e2e_reg_delete_key "$APP_SETTINGS_KEY"
    if e2e_reg_query "$APP_SETTINGS_KEY" "Page Size" >/dev/null; then
        e2e_fail "cannot delete $APP_SETTINGS_KEY"
    fi
}
