# Helpers for the tests that drive the program's own windows: the main window, its message
# boxes, a file held open by another program, and a printer drop-down with nothing selected.
# Sourced after lib/e2e.sh.

APP_W="Tessaline 3.2 by Korvane"
QUEUE_A=Tessaline_Virtual_Printer
QUEUE_B=Tessaline_Raw_Only
QUEUE_C=Tessaline_Late_Refusal
SETTINGS_KEY='HKCU\Software\Korvane\Tessaline\Print Settings'
APP_KEY='HKCU\Software\Korvane\Tessaline'
PATH_PROMPT='(Browse or Drag and Drop file)'
CONFIRM_TEXT='You have chosen to send the selected file to the Korvane hardware installed on your laser printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?'
FILE_ERROR_TEXT='The file entered was not found or could not be opened'
XPS_ACCEPTED_TEXT='Successfully used XPS_PASS mode.'
XPS_REFUSED_TEXT='Failed to open printer using XPS_PASS mode. Trying older RAW mode.'
# Our own wording for a printer that cannot be opened, and for a job the spooler ends late.
PRINTER_NOT_OPENED_TEXT='The selected printer could not be opened. The file was not sent to the printer.'
END_DOC_FAILED_TEXT='The printer failed when ending the document. The file was not sent completely to the printer.'

# d ARGS...: the driver; fails the test quoting the driver's own message.
d() {
    local out rc=0
    out=$(driver "$@") || rc=$?
    if [ "$rc" -ne 0 ]; then
        e2e_fail "driver $* exited $rc: $(tail -n 3 "$RIG_DIR/logs/driver-$E2E_NAME.log")"
    fi
    [ -z "$out" ] || printf '%s\n' "$out"
}

# d_expect WHAT EXPECTED ARGS...: the driver's output must be exactly EXPECTED.
d_expect() {
    local what=$1 expected=$2 actual
    shift 2
    actual=$(d "$@")
    e2e_assert_eq "$what" "$expected" "$actual"
}

# The Windows name of a Unix path, as the user would type it.
win_path() { printf 'Z:%s' "${1//\//\\}"; }

app_start() {
    run_app
    d wait-window "$APP_W" --timeout 30 >/dev/null
}

# Closes the main window with Exit and waits for the program to end.
app_exit() {
    # The click may race the window's end; the program having ended is what counts.
    driver click "$APP_W" 2 || true
    wait_app 20
}

# The six-line report that the driver prints for a box of one of the three types in use.
box_report() {
    local caption=$1 text=$2 type=$3 icon buttons default
    case "$type" in
        0x30) icon=exclamation buttons=ok default=ok ;;
        0x34) icon=exclamation buttons=yesno default=yes ;;
        0x40) icon=asterisk buttons=ok default=ok ;;
        *) e2e_fail "box_report: no report known for type $type" ;;
    esac
    printf 'caption: %s\ntext: %s\nicon: %s\nbuttons: %s\ndefault: %s\ntype: %s' \
        "$caption" "$text" "$icon" "$buttons" "$default" "$type"
}

# expect_box WHAT CAPTION TEXT TYPE ANSWER: the next box owned by the main window is exactly
# that one; it is answered with ANSWER.
expect_box() {
    local what=$1 caption=$2 text=$3 type=$4 answer=$5
    d_expect "$what: box" "$(box_report "$caption" "$text" "$type")" wait-msgbox "$APP_W" \
        --timeout 30
    d answer-msgbox "$APP_W" "$answer"
}

# expect_no_box WHAT [SECONDS]: no box shows within that time.
expect_no_box() {
    local what=$1 seconds=${2:-1.5} out
    if out=$(driver wait-msgbox "$APP_W" --timeout "$seconds"); then
        e2e_fail "$what: expected no further box, got:"$'\n'"$out"
    fi
}

set_debug_mode() {
    local want=$1 now
    now=$(d get-check "$APP_W" 1008)
    if [ "$now" != "$want" ]; then
        d click "$APP_W" 1008
    fi
    d_expect "Debug Mode" "$want" get-check "$APP_W" 1008
}

select_printer() {
    d select "$APP_W" 1005 --text "$1"
    d_expect "printer selection" "$1" get-text "$APP_W" 1005
}

# Starts an upgrade of PATH (as typed) and checks the confirmation box, leaving it open.
start_upgrade() {
    d set-text "$APP_W" 1000 "$1"
    d click "$APP_W" 1002
}

# ---- A file held open by another program ----

HOLD_PID=
HOLD_FIFO=

# hold_open PATH: a Windows program of the same prefix (cmd, waiting for a line on its input)
# keeps PATH open, as its error output, until release_hold. Opening for append writes nothing.
hold_open() {
    local path=$1 server
    HOLD_FIFO=$(mktemp -u "$RIG_DIR/hold.XXXXXX")
    mkfifo "$HOLD_FIFO"
    wine cmd /c "set /p line= 2>>$(win_path "$path")" <"$HOLD_FIFO" >/dev/null 2>&1 &
    HOLD_PID=$!
    exec {HOLD_FD}>"$HOLD_FIFO"
    # The wineserver holds the Unix side of every open file: wait until it has this one.
    server=$(cat "$RIG_DIR/pids/wineserver")
    e2e_wait_until 15 held_by_server "$server" "$path" ||
        e2e_fail "cmd did not open $path within 15 s"
}

held_by_server() {
    local fd
    for fd in /proc/"$1"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" != "$2" ] || return 0
    done
    return 1
}

release_hold() {
    [ -n "$HOLD_PID" ] || return 0
    echo >&"$HOLD_FD" || true
    exec {HOLD_FD}>&-
    e2e_wait_until 15 e2e_not_running "$HOLD_PID" || kill "$HOLD_PID" 2>/dev/null || true
    wait "$HOLD_PID" 2>/dev/null || true
    HOLD_PID=
    rm -f "$HOLD_FIFO"
}

# ---- A printer drop-down with no entry selected ----

clear_printer_selection() {
    d select "$APP_W" 1005 --index -1
    d_expect "printer selection after clearing" $'-1\t' get-selection "$APP_W" 1005
    d_expect "printer text after clearing" "" get-text "$APP_W" 1005
}
