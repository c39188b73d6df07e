#!/usr/bin/env bash
# The printer behind a working spooler fails: it refuses connections, or it hangs up part way
# through a job. The spooler has taken each job by then, so the program reports what it was
# told (the file was handed over whole) and never hangs; what reaches the printer is checked
# byte for byte, and a job held back by a refusing printer arrives whole once it accepts again.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

queue=$APP_QUEUE_A
work=$(mktemp -d "$RIG_DIR/rel_faults_capture.XXXXXX")
trap 'rm -rf "$work"; e2e_cleanup' EXIT
# A box must appear well within this, however slow the machine; a hang never gets there.
box_timeout=120

# ---- helpers ----

# Expected driver report of an OK box.
ok_box() {
    printf 'caption: %s\ntext: %s\nicon: %s\nbuttons: ok\ndefault: ok\ntype: %s' "$@"
}
complete_box() {
    ok_box "Printing Complete" \
        "Successfully sent entire file to printer.  File size: $1, Bytes written: $1" asterisk 0x40
}

# upgrade CASE FILE EXPECTED_BOX: Upgrade with FILE, Yes to the confirmation; the box that
# follows must be exactly EXPECTED_BOX, and is answered.
upgrade() {
    local name=$1 file=$2 expected=$3 report
    app_drv set-text "$APP_CAPTION" "$APP_PATH" "Z:${file//\//\\}"
    app_drv click "$APP_CAPTION" "$APP_UPGRADE"
    report=$(app_drv wait-msgbox "$APP_CAPTION" --timeout "$box_timeout")
    e2e_assert_eq "$name: first box" "caption: Confirm Upgrade" "$(head -n 1 <<<"$report")"
    app_drv answer-msgbox "$APP_CAPTION" yes
    report=$(app_drv wait-msgbox "$APP_CAPTION" --timeout "$box_timeout")
    e2e_assert_eq "$name: box after Yes" "$expected" "$report"
    app_drv answer-msgbox "$APP_CAPTION" ok
    only_main_window "$name: after the outcome box"
}

# A form test reports nothing: once its handler has returned (the click settles only then), the
# main window is the only window.
print_form() {
    local name=$1 text=$2
    app_drv set-text "$APP_CAPTION" "$APP_FORMS" "$text"
    app_drv click "$APP_CAPTION" "$APP_PRINT" --timeout "$box_timeout"
    only_main_window "$name: after Print"
}

only_main_window() {
    local windows
    windows=$(app_drv list-windows | grep -c '^  "') || true
    [ "$windows" -eq 1 ] || e2e_fail "$1: expected only the main window, got:
$(app_drv list-windows)"
}

# queue_state_says TEXT: the spooler's printer-state message for the queue holds TEXT.
queue_state_says() { lpstat -p "$queue" 2>/dev/null | grep -qF "$1"; }

wait_queue_state() {
    e2e_wait_until 30 queue_state_says "$1" ||
        e2e_fail "$2: the spooler never said '$1'; it says: $(lpstat -p "$queue" 2>&1)"
    e2e_note "$2: spooler says: $(lpstat -p "$queue" | sed -n 2p | sed 's/^[[:space:]]*//')"
}

pending_jobs() { lpstat -o "$queue" 2>/dev/null | wc -l; }
none_pending() { [ "$(pending_jobs)" -eq 0 ]; }

# ---- setup ----

head -c 1048576 /dev/urandom >"$work/upgrade_refused.bin"
head -c 1048576 /dev/urandom >"$work/upgrade_cut.bin"
head -c 1048576 /dev/urandom >"$work/upgrade_after.bin"
app_reset_settings # forms go out as Letter (2), portrait (0)
app_start
app_drv select "$APP_CAPTION" "$APP_PRINTER" --text "$queue"

# ---- the printer refuses connections ----

e2e_capture_mode "$queue" refuse
before=$(e2e_job_count "$queue")
upgrade "refused" "$work/upgrade_refused.bin" "$(complete_box 1048576)"
print_form "refused" 21
wait_queue_state "The printer may not exist or is unavailable at this time." "refused"
e2e_expect_no_jobs "$queue" "$before" 3
e2e_assert_eq "refused: jobs held by the spooler" 2 "$(pending_jobs)"

# The spooler keeps retrying: once the printer accepts, both jobs arrive, whole and in order.
e2e_capture_mode "$queue" accept
e2e_wait_jobs "$queue" "$before" 2 90
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/upgrade_refused.bin"
e2e_assert_job_hex "$(e2e_job_file "$queue" $((before + 2)))" "$(app_form_job_hex 2 0 21)"
e2e_assert_eq "refused: jobs held after delivery" 0 "$(pending_jobs)"

# ---- the printer hangs up part way through ----

# The spooler may or may not notice the hang-up: loopback buffers can take a whole 1 MiB job
# before the printer stops reading, and then the backend reports the job done (seen both ways;
# the complaint reads "Unable to write print data: Broken pipe" or "...: Connection reset by
# peer"). Either way the printer holds exactly what it read, and the job is never sent again.
# name | bytes the printer reads before it hangs up
cuts=(
    "upgrade cut after 4096 bytes|4096"
    "form cut after 10 bytes|10"
)
for row in "${cuts[@]}"; do
    IFS='|' read -r name limit <<<"$row"
    e2e_capture_mode "$queue" "close-after $limit"
    before=$(e2e_job_count "$queue")
    if [[ $name == upgrade* ]]; then
        upgrade "$name" "$work/upgrade_cut.bin" "$(complete_box 1048576)"
        head -c "$limit" "$work/upgrade_cut.bin" >"$work/expected_cut"
    else
        print_form "$name" 22
        printf '\033E\033&l2a0O\033&f22y3X\014' | head -c "$limit" >"$work/expected_cut"
    fi
    e2e_wait_jobs "$queue" "$before" 1 60
    e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/expected_cut"
    e2e_job_log_line "$queue" $((before + 1)) | grep -Eq " bytes=$limit early=yes$" ||
        e2e_fail "$name: capture log: $(e2e_job_log_line "$queue" $((before + 1)))"
    e2e_wait_until 30 none_pending ||
        e2e_fail "$name: the spooler still holds: $(lpstat -o "$queue")"
    e2e_note "$name: spooler says: $(lpstat -p "$queue" | tr '\n\t' '  ')"
done
e2e_capture_mode "$queue" accept
before=$(e2e_job_count "$queue")
e2e_expect_no_jobs "$queue" "$before" 5
lpstat -p "$queue" | grep -q "enabled since" || e2e_fail "queue stopped: $(lpstat -p "$queue")"

# The queue is not left broken: the next upgrade arrives whole.
upgrade "after the cuts" "$work/upgrade_after.bin" "$(complete_box 1048576)"
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/upgrade_after.bin"

app_exit
