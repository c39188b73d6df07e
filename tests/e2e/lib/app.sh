# Helpers for the tests that drive the program: its main window, Print Setup, its message boxes
# and a file held open by another program. Sourced after lib/e2e.sh; every helper that fails
# ends the test, quoting the driver's own message.

APP_CAPTION=$(product_caption) || e2e_fail "cannot read the program's caption"
APP_KEY='HKCU\Software\Korvane\Tessaline'
APP_SETTINGS_KEY="$APP_KEY\\Print Settings"
APP_DEVICES_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'

# The rig's queues are RIG_QUEUE_VIRTUAL, RIG_QUEUE_RAW_ONLY and RIG_QUEUE_LATE, and the
# printer drop-down lists them as RIG_PRINTER_LIST (tests/lib/queue_names.sh).

# The control ids are those of src/ui/resource.h (lib/e2e.sh reads them); Exit is IDCANCEL.
APP_ABOUT_ITEM=$(printf '0x%04X\t&About Tessaline by Korvane...\tenabled' "$IDM_ABOUTBOX")

# Print Setup and its lists, in order.
SETUP_CAPTION="Print Setup"
# The lists' entries, from the program's own table (src/settings/page_sizes.h).
mapfile -t SETUP_ORIENTATIONS < <(product_orientations) && [ ${#SETUP_ORIENTATIONS[@]} -gt 0 ] ||
    e2e_fail "cannot read the orientation names"
mapfile -t SETUP_PAGE_SIZES < <(product_page_sizes) && [ ${#SETUP_PAGE_SIZES[@]} -gt 0 ] ||
    e2e_fail "cannot read the page size names"

# Texts the program shows, exactly.
PATH_PROMPT='(Browse or Drag and Drop file)'
CONFIRM_TEXT='You have chosen to send the selected file to the Korvane hardware installed on your laser printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?'
FILE_ERROR_TEXT='The file entered was not found or could not be opened'
TOO_LARGE_TEXT='The file is too large to send to the printer. Files must be smaller than 4 GB.'
XPS_ACCEPTED_TEXT='Successfully used XPS_PASS mode.'
XPS_REFUSED_TEXT='Failed to open printer using XPS_PASS mode. Trying older RAW mode.'
# Our own wording for a printer that cannot be opened, and for a job the spooler ends late.
PRINTER_NOT_OPENED_TEXT='The selected printer could not be opened. The file was not sent to the printer.'
END_DOC_FAILED_TEXT='The printer failed when ending the document. The file was not sent completely to the printer.'

# sent_text SIZE: the "Printing Complete" text for a file of SIZE bytes sent whole.
sent_text() {
    printf 'Successfully sent entire file to printer.  File size: %s, Bytes written: %s' "$1" "$1"
}

# How long a box may take to come up; tests of slow faults raise it.
APP_BOX_TIMEOUT=30

# The Windows name of a Unix path, as the user would type it.
win_path() { printf 'Z:%s' "${1//\//\\}"; }

# app_work_dir NAME: a private folder in $work, removed when the test ends.
app_work_dir() {
    work=$(mktemp -d "$RIG_DIR/$1.XXXXXX")
    trap 'e2e_cleanup; rm -rf "$work"' EXIT
}

# ---- The main window ----

# Starts the program and waits for its main window.
app_start() {
    run_app
    drv wait-window "$APP_CAPTION" --timeout 30 >/dev/null
}

# Ends the program with Exit and waits until it has gone.
app_exit() {
    drv click "$APP_CAPTION" "$IDCANCEL"
    wait_app 20
}

select_printer() {
    drv select "$APP_CAPTION" "$IDC_MAIN_PRINTER" --text "$1"
    drv_expect "printer selection" "$1" get-text "$APP_CAPTION" "$IDC_MAIN_PRINTER"
}

# A printer drop-down with no entry selected.
clear_printer_selection() {
    drv select "$APP_CAPTION" "$IDC_MAIN_PRINTER" --index -1
    drv_expect "printer selection after clearing" $'-1\t' \
        get-selection "$APP_CAPTION" "$IDC_MAIN_PRINTER"
    drv_expect "printer text after clearing" "" get-text "$APP_CAPTION" "$IDC_MAIN_PRINTER"
}

# set_debug_mode checked|unchecked
set_debug_mode() {
    local want=$1 now
    now=$(drv get-check "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE")
    if [ "$now" != "$want" ]; then
        drv click "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
    fi
    drv_expect "Debug Mode" "$want" get-check "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
}

# only_main_window WHAT: no window is up but the main one.
only_main_window() {
    local windows
    windows=$(drv list-windows | grep -c '^  "') || true
    [ "$windows" -eq 1 ] || e2e_fail "$1: expected only the main window, got:
$(drv list-windows)"
}

# ---- Print Setup ----

setup_open() {
    drv click "$APP_CAPTION" "$IDC_MAIN_PRINT_SETUP"
    drv wait-window "$SETUP_CAPTION" >/dev/null
}

# setup_press BUTTON: ends Print Setup with that button and waits until it has gone.
setup_press() {
    drv click "$SETUP_CAPTION" "$1"
    drv wait-close "$SETUP_CAPTION"
}

# Deletes the program's stored print settings.
app_reset_settings() {
    e2e_reg_delete_key "$APP_SETTINGS_KEY"
    if e2e_reg_query "$APP_SETTINGS_KEY" "Page Size" >/dev/null; then
        e2e_fail "cannot delete $APP_SETTINGS_KEY"
    fi
}

# ---- Form tests ----

# app_print_forms QUEUE TEXT: chooses the queue, types the forms text, clicks Print.
app_print_forms() {
    drv select "$APP_CAPTION" "$IDC_MAIN_PRINTER" --text "$1"
    drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "$2"
    drv click "$APP_CAPTION" "$IDC_MAIN_PRINT"
}

# print_form_quietly WHAT TEXT: a form test reports nothing: once its handler has returned (the
# click settles only then), the main window is the only window.
print_form_quietly() {
    drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "$2"
    drv click "$APP_CAPTION" "$IDC_MAIN_PRINT" --timeout "$APP_BOX_TIMEOUT"
    only_main_window "$1: after Print"
}

# app_form_job P O N: the bytes of one form test job, built independently of the program:
# ESC E, ESC &l P a O O, ESC &f N y 3 X, FF.
app_form_job() { printf '\033E\033&l%da%dO\033&f%dy3X\014' "$1" "$2" "$3"; }

app_form_job_hex() { app_form_job "$@" | e2e_hex; }

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

# ---- Message boxes and upgrades ----

# box_report CAPTION TEXT TYPE: the six-line report the driver prints for a box of one of the
# three types in use.
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

# expect_box WHAT CAPTION TEXT TYPE [ANSWER]: the next box owned by the main window is exactly
# that one; it is answered with ANSWER, or left up when there is none.
expect_box() {
    local what=$1 caption=$2 text=$3 type=$4 answer=${5:-}
    drv_expect "$what: box" "$(box_report "$caption" "$text" "$type")" wait-msgbox \
        "$APP_CAPTION" --timeout "$APP_BOX_TIMEOUT"
    [ -z "$answer" ] || drv answer-msgbox "$APP_CAPTION" "$answer"
}

# expect_boxes WHAT BOXES: exactly these boxes in order (caption~text~type, ";"-separated),
# each answered with OK.
expect_boxes() {
    local step caption text type
    local -a steps
    IFS=';' read -r -a steps <<<"$2"
    for step in "${steps[@]}"; do
        IFS='~' read -r caption text type <<<"$step"
        expect_box "$1: $caption" "$caption" "$text" "$type" ok
    done
}

# expect_no_box WHAT [SECONDS]: no box shows within that time.
expect_no_box() {
    local what=$1 seconds=${2:-1.5} out
    out=$(drv --exit 1 wait-msgbox "$APP_CAPTION" --timeout "$seconds") ||
        e2e_fail "$what: expected no further box: $out"
}

# start_upgrade PATH: Upgrade with PATH as typed; the box that follows is left up.
start_upgrade() {
    drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "$1"
    drv click "$APP_CAPTION" "$IDC_MAIN_UPGRADE"
}

# upgrade_file WHAT FILE BOXES: Upgrade with FILE (a Unix path), Yes to the exact confirmation,
# then exactly BOXES as expect_boxes takes them.
upgrade_file() {
    start_upgrade "$(win_path "$2")"
    expect_box "$1: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34 yes
    expect_boxes "$1" "$3"
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
    wait_until 15 held_by_server "$server" "$path" ||
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
    wait_until 15 e2e_not_running "$HOLD_PID" || kill "$HOLD_PID" 2>/dev/null || true
    wait "$HOLD_PID" 2>/dev/null || true
    HOLD_PID=
    rm -f "$HOLD_FIFO"
}
