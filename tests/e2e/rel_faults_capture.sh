#!/usr/bin/env bash
# The printer behind a working spooler fails: it refuses connections, or it hangs up part way
# through a job. The spooler has taken each job by then, so the program reports what it was
# told (the file was handed over whole) and never hangs; what reaches the printer is checked
# byte for byte, and a job held back by a refusing printer arrives whole once it accepts again.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

queue=$RIG_QUEUE_VIRTUAL
app_work_dir rel_faults_capture
# A box must appear well within this, however slow the machine; a hang never gets there.
APP_BOX_TIMEOUT=120
complete="Printing Complete~$(sent_text 1048576)~0x40"

# ---- helpers ----

# queue_state_says TEXT: the spooler's printer-state message for the queue holds TEXT.
queue_state_says() { lpstat -p "$queue" 2>/dev/null | grep -qF "$1"; }

wait_queue_state() {
    wait_until 30 queue_state_says "$1" ||
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
select_printer "$queue"

# ---- the printer refuses connections ----

e2e_capture_mode "$queue" refuse
before=$(e2e_job_count "$queue")
upgrade_file "refused" "$work/upgrade_refused.bin" "$complete"
only_main_window "refused: after the outcome box"
print_form_quietly "refused" 21
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
        upgrade_file "$name" "$work/upgrade_cut.bin" "$complete"
        only_main_window "$name: after the outcome box"
        head -c "$limit" "$work/upgrade_cut.bin" >"$work/expected_cut"
    else
        print_form_quietly "$name" 22
        app_form_job 2 0 22 | head -c "$limit" >"$work/expected_cut"
    fi
    e2e_wait_jobs "$queue" "$before" 1 60
    e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/expected_cut"
    e2e_job_log_line "$queue" $((before + 1)) | grep -Eq " bytes=$limit early=yes$" ||
        e2e_fail "$name: capture log: $(e2e_job_log_line "$queue" $((before + 1)))"
    wait_until 30 none_pending ||
        e2e_fail "$name: the spooler still holds: $(lpstat -o "$queue")"
    e2e_note "$name: spooler says: $(lpstat -p "$queue" | tr '\n\t' '  ')"
done
e2e_capture_mode "$queue" accept
before=$(e2e_job_count "$queue")
e2e_expect_no_jobs "$queue" "$before" 5
lpstat -p "$queue" | grep -q "enabled since" || e2e_fail "queue stopped: $(lpstat -p "$queue")"

# The queue is not left broken: the next upgrade arrives whole.
upgrade_file "after the cuts" "$work/upgrade_after.bin" "$complete"
only_main_window "after the cuts: after the outcome box"
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/upgrade_after.bin"

app_exit
