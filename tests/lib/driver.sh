# wine_once_more_if_silent OUT ERR PROGRAM ARGS...: runs a Windows program with no input, its
# output in OUT and its messages in ERR; returns its exit code. Every failure of the driver's
# and of reg's own says why. In CI, wine has exited 1 with nothing said and nothing printed
# (the driver once, `reg add` once): not the program's answer, so such a run is made again,
# once, and $DRIVER_LOG says so. A failure the program reports is never retried.
wine_once_more_if_silent() {
    local out=$1 err=$2 rc=0
    shift 2
    wine "$@" </dev/null >"$out" 2>"$err" || rc=$?
    if [ "$rc" -eq 1 ] && [ ! -s "$err" ] && [ ! -s "$out" ]; then
        [ -z "${DRIVER_LOG:-}" ] || echo "wine exited 1 silently; $* run again" >>"$DRIVER_LOG"
        rc=0
        wine "$@" </dev/null >"$out" 2>"$err" || rc=$?
    fi
    return "$rc"
}

# The one wrapper of the automation driver (tools/driver/README.md), which steers a running
# program under Wine. Needs the rig's Wine environment.

# The driver's exe: $DRIVER, else the one in the windows build (read when called: scripts/run
# knows its build folder only after sourcing this).
driver_exe() { printf '%s\n' "${DRIVER:-${TESSALINE_WIN_BUILD:-}/tools/driver/driver.exe}"; }

# driver_run ARGS...: runs the driver once, with no input. Sets DRIVER_RC, DRIVER_OUT (its
# output, carriage returns removed) and DRIVER_ERR (its messages), and appends the messages to
# $DRIVER_LOG when that is set. Returns 0 when the driver did.
# Output goes through files, not pipes: a wineserver that a driver run happens to start would
# hold a pipe open, and reading it would then wait as long as that server runs.
driver_run() {
    local exe out err
    exe=$(driver_exe)
    out=$(mktemp "${TMPDIR:-/tmp}/driver-out.XXXXXX")
    err=$(mktemp "${TMPDIR:-/tmp}/driver-err.XXXXXX")
    DRIVER_RC=0
    if [ -f "$exe" ]; then
        wine_once_more_if_silent "$out" "$err" "$exe" "$@" || DRIVER_RC=$?
    else
        echo "driver not built: $exe" >"$err"
        DRIVER_RC=127
    fi
    DRIVER_OUT=$(tr -d '\r' <"$out")
    DRIVER_ERR=$(tr -d '\r' <"$err")
    [ -z "${DRIVER_LOG:-}" ] || cat "$err" >>"$DRIVER_LOG"
    rm -f "$out" "$err"
    [ "$DRIVER_RC" -eq 0 ]
}

# The driver's own complaint about the last run ("driver ..." lines), else its last messages.
driver_complaint() {
    grep '^driver ' <<<"$DRIVER_ERR" || tail -n 3 <<<"$DRIVER_ERR"
}
