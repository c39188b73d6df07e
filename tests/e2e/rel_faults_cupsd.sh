#!/usr/bin/env bash
# The print server stops while the program is running. Wine's spooler takes the job and fails to
# hand it on when the document ends: the upgrade says so in a "Printer Error" box, a form test
# says nothing, neither hangs, and nothing arrives later. Once the server is back, the same
# running program prints again. The server is restarted with the rig's own configuration and
# stays up for the tests that follow.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

queue=$APP_QUEUE_A
work=$(mktemp -d "$RIG_DIR/rel_faults_cupsd.XXXXXX")
box_timeout=120
cups_home=$(readlink -f "$RIG_DIR/cups")
cupsd_pid_file=$RIG_DIR/pids/cupsd

# ---- the rig's cupsd ----

cupsd_is() { tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null | grep -q "^cupsd .*-c $cups_home/cupsd.conf"; }

# lpstat -r exits 0 either way; only its words tell.
cupsd_up() { lpstat -r 2>/dev/null | grep -qx "scheduler is running"; }
cupsd_down() { ! cupsd_up; }

stop_cupsd() {
    local pid
    pid=$(cat "$cupsd_pid_file") || e2e_fail "no cupsd PID file $cupsd_pid_file"
    cupsd_is "$pid" || e2e_fail "PID $pid in $cupsd_pid_file is not the rig's cupsd"
    kill -TERM "$pid"
    e2e_wait_until 30 e2e_not_running "$pid" || e2e_fail "cupsd $pid did not stop"
    cupsd_down || e2e_fail "a scheduler still answers after cupsd $pid stopped"
}

# Started as the rig starts it, but in a session of its own so that ending this test does not
# end it; the rig stops it at its end through the PID file.
start_cupsd() {
    local pid
    setsid cupsd -f -c "$cups_home/cupsd.conf" -s "$cups_home/cups-files.conf" \
        </dev/null >>"$RIG_DIR/logs/cupsd.log" 2>&1 &
    pid=$!
    echo "$pid" >"$cupsd_pid_file"
    e2e_wait_until 30 cupsd_up || e2e_fail "cupsd did not come back"
    cupsd_is "$pid" || e2e_fail "restarted cupsd is not PID $pid"
    e2e_note "cupsd restarted as PID $pid"
}

restore() {
    if cupsd_down; then
        start_cupsd
    fi
    rm -rf "$work"
    e2e_cleanup
}
trap restore EXIT

# ---- helpers ----

ok_box() {
    printf 'caption: %s\ntext: %s\nicon: %s\nbuttons: ok\ndefault: ok\ntype: %s' "$@"
}

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

# ---- the run ----

head -c 1048576 /dev/urandom >"$work/upgrade_lost.bin"
head -c 1048576 /dev/urandom >"$work/upgrade_after.bin"
app_reset_settings
# Started while the server is up: a Wine spooler client started without it drops the queues.
app_start
app_drv select "$APP_CAPTION" "$APP_PRINTER" --text "$queue"
before=$(e2e_job_count "$queue")

# Only the driver runs while the server is down; it never loads the spooler.
stop_cupsd
upgrade "server down" "$work/upgrade_lost.bin" "$(ok_box "Printer Error" \
    "The printer failed when ending the document. The file was not sent completely to the printer." \
    exclamation 0x30)"
print_form "server down" 23

start_cupsd
# What failed while the server was down is not sent once it is back.
e2e_expect_no_jobs "$queue" "$before" 5
e2e_assert_eq "jobs held by the restarted server" "" "$(lpstat -o "$queue")"

# The running program prints again.
print_form "server back" 24
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_hex "$(e2e_job_file "$queue" $((before + 1)))" "$(app_form_job_hex 2 0 24)"
upgrade "server back" "$work/upgrade_after.bin" "$(ok_box "Printing Complete" \
    "Successfully sent entire file to printer.  File size: 1048576, Bytes written: 1048576" \
    asterisk 0x40)"
e2e_wait_jobs "$queue" "$((before + 1))" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 2)))" "$work/upgrade_after.bin"
app_exit

# The rig is as the next tests expect it: every queue listed, queue a still on its processor.
e2e_assert_eq "printers Wine lists after the restart" "Tessaline_Late_Refusal
Tessaline_Raw_Only
Tessaline_Virtual_Printer" "$(e2e_wine "$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe" --list)"
e2e_assert_reg "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$queue" \
    "Print Processor" TessPassThru
