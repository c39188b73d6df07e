#!/usr/bin/env bash
# The print server stops while the program is running. Wine's spooler takes the job and fails to
# hand it on when the document ends: the upgrade says so in a "Printer Error" box, a form test
# says nothing, neither hangs, and nothing arrives later. Once the server is back, the same
# running program prints again. The server is restarted with the rig's own configuration and
# stays up for the tests that follow.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

queue=$RIG_QUEUE_VIRTUAL
work=$(mktemp -d "$RIG_DIR/rel_faults_cupsd.XXXXXX")
# A box must appear well within this, however slow the machine; a hang never gets there.
APP_BOX_TIMEOUT=120
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
    wait_until 30 e2e_not_running "$pid" || e2e_fail "cupsd $pid did not stop"
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
    wait_until 30 cupsd_up || e2e_fail "cupsd did not come back"
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

# ---- the run ----

head -c 1048576 /dev/urandom >"$work/upgrade_lost.bin"
head -c 1048576 /dev/urandom >"$work/upgrade_after.bin"
app_reset_settings
# Started while the server is up: a Wine spooler client started without it drops the queues.
app_start
select_printer "$queue"
before=$(e2e_job_count "$queue")

# Only the driver runs while the server is down; it never loads the spooler.
stop_cupsd
upgrade_file "server down" "$work/upgrade_lost.bin" \
    "Printer Error~$END_DOC_FAILED_TEXT~0x30"
only_main_window "server down: after the outcome box"
print_form_quietly "server down" 23

start_cupsd
# What failed while the server was down is not sent once it is back.
e2e_expect_no_jobs "$queue" "$before" 5
e2e_assert_eq "jobs held by the restarted server" "" "$(lpstat -o "$queue")"

# The running program prints again.
print_form_quietly "server back" 24
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_hex "$(e2e_job_file "$queue" $((before + 1)))" "$(app_form_job_hex 2 0 24)"
upgrade_file "server back" "$work/upgrade_after.bin" \
    "Printing Complete~$(sent_text 1048576)~0x40"
only_main_window "server back: after the outcome box"
e2e_wait_jobs "$queue" "$((before + 1))" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 2)))" "$work/upgrade_after.bin"
app_exit

# The rig is as the next tests expect it: every queue listed, queue a still on its processor.
e2e_assert_eq "printers Wine lists after the restart" "$RIG_PRINTER_LIST" \
    "$(e2e_wine "$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe" --list)"
e2e_assert_reg "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$queue" \
    "Print Processor" TessPassThru
