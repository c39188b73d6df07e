# The capture printer refuses connections or hangs up early when told to, and the queue
# recovers once it accepts again.
source "$(dirname "$0")/lib/e2e.sh"

queue=$RIG_QUEUE_RAW_ONLY
port=$(e2e_queue_var RIG_PORT "$queue")
work=$(mktemp -d "$RIG_DIR/rig_services_capture_modes.XXXXXX")
head -c 65536 /dev/urandom >"$work/job"
head -c 100 "$work/job" >"$work/first_100"

connects() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

# Refusing: connections fail, a job waits in the spooler and arrives once accepted again.
e2e_capture_mode "$queue" refuse
if connects; then
    e2e_fail "capture printer of $queue accepted a connection while refusing"
fi
before=$(e2e_job_count "$queue")
lp -d "$queue" -o raw "$work/job" >/dev/null || e2e_fail "lp refused the job"
e2e_expect_no_jobs "$queue" "$before" 3
e2e_capture_mode "$queue" accept
# The spooler retries a refused connection after a few seconds.
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/job"

# Closing early: the job file holds exactly the bytes read before hanging up.
before=$(e2e_job_count "$queue")
e2e_capture_mode "$queue" "close-after 100"
lp -d "$queue" -o raw "$work/job" >/dev/null || e2e_fail "lp refused the job"
e2e_wait_jobs "$queue" "$before" 1 30
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/first_100"
e2e_job_log_line "$queue" $((before + 1)) | grep -Eq ' bytes=100 early=yes$' ||
    e2e_fail "log line of the early close: $(e2e_job_log_line "$queue" $((before + 1)))"

# The failed job must not stop the queue: the next one arrives whole.
e2e_capture_mode "$queue" accept
before=$(e2e_job_count "$queue")
lp -d "$queue" -o raw "$work/job" >/dev/null || e2e_fail "lp refused the job"
e2e_wait_jobs "$queue" "$before" 1 60
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/job"
lpstat -p "$queue" | grep -q "enabled since" || e2e_fail "queue stopped: $(lpstat -p "$queue")"
rm -rf "$work"
