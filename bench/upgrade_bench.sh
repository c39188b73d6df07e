#!/usr/bin/env bash
# Measures the flash upgrade and the forms test against the spooler's own baseline, through
# the rig's pass-through queue. Run by hand, not a test:
#   scripts/rig run bench/upgrade_bench.sh [REPEATS] [SIZE_MIB] [FORMS]
# (or, inside a running rig, source its rig.env and run the script). Prints medians.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/upgrade_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$root/tests/e2e/lib/app.sh"

repeats=${1:-5}
size_mib=${2:-64}
forms=${3:-100}
queue=$APP_QUEUE_A
work=$(mktemp -d "$RIG_DIR/bench.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/upgrade.kmf"
size=$(stat -c %s "$work/upgrade.kmf")
log=$RIG_CAPTURE_DIR/$queue/log

now() { date +%s.%N; }

# The capture printer's close time of the queue's job N: its last byte.
close_time() {
    local line
    line=$(e2e_job_log_line "$queue" "$1")
    [[ "$line" =~ close=([0-9.]+) ]] || e2e_fail "no close time in: $line"
    echo "${BASH_REMATCH[1]}"
}

elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Keeps the job count (the files stay) but not the disk space of big captured jobs.
drop_job() { : >"$1"; }

# The Wine process of the program: the launcher execs into it, so its PID is the program's.
vm_kib() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }

app_pid_of_program() {
    local pid
    for pid in $APP_PID $(pgrep -P "$APP_PID" || true); do
        if tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q 'Tessaline\.exe'; then
            echo "$pid"
            return 0
        fi
    done
    e2e_fail "no Tessaline.exe process under $APP_PID"
}

e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD 1
e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD 0

# record_upgrade_job BEFORE T0 TIMES: waits for the one new job, checks it is the file whole,
# and appends the time from T0 to its last byte to TIMES.
record_upgrade_job() {
    local job=$(($1 + 1))
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$1" 1 600
    e2e_assert_job_file "$(e2e_job_file "$queue" "$job")" "$work/upgrade.kmf"
    drop_job "$(e2e_job_file "$queue" "$job")"
    elapsed "$2" "$(close_time "$job")" >>"$3"
    echo >>"$3"
}

: >"$work/upgrade.s" ; : >"$work/lp.s" ; : >"$work/hwm" ; : >"$work/idle"
for i in $(seq 1 "$repeats"); do
    # (1) and (2): a fresh program each time, so its peak belongs to this upgrade alone.
    app_start
    pid=$(app_pid_of_program)
    select_printer "$queue"
    set_debug_mode unchecked
    idle=$(vm_kib "$pid" VmHWM)
    before=$(e2e_job_count "$queue")
    start_upgrade "$(win_path "$work/upgrade.kmf")"
    drv wait-msgbox "$APP_CAPTION" --timeout 30 >/dev/null
    t0=$(now)
    drv answer-msgbox "$APP_CAPTION" yes
    expect_box "upgrade $i" "Printing Complete" "$(sent_text "$size")" 0x40 ok
    hwm=$(vm_kib "$pid" VmHWM)
    record_upgrade_job "$before" "$t0" "$work/upgrade.s"
    echo "$hwm" >>"$work/hwm"
    echo "$idle" >>"$work/idle"
    app_exit

    before=$(e2e_job_count "$queue")
    t0=$(now)
    lp -d "$queue" -o raw "$work/upgrade.kmf" >/dev/null
    record_upgrade_job "$before" "$t0" "$work/lp.s"
    echo "run $i: upgrade $(tail -n 1 "$work/upgrade.s") s, lp $(tail -n 1 "$work/lp.s") s," \
        "VmHWM idle $idle KiB, after upgrade $hwm KiB" >&2
done

# (3) forms 1 to N from the Print click to the Nth job's last byte, against N lp submissions
# of the very bytes the program sent.
app_start
select_printer "$queue"
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "1-$forms"
: >"$work/forms.s" ; : >"$work/lpforms.s"
mkdir -p "$work/forms"
for i in $(seq 1 "$repeats"); do
    before=$(e2e_job_count "$queue")
    t0=$(now)
    drv click "$APP_CAPTION" "$IDC_MAIN_PRINT"
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$before" "$forms" 600
    elapsed "$t0" "$(close_time $((before + forms)))" >>"$work/forms.s"
    echo >>"$work/forms.s"
    if [ "$i" -eq 1 ]; then
        for n in $(seq 1 "$forms"); do
            cp "$(e2e_job_file "$queue" $((before + n)))" "$work/forms/$n.pcl"
        done
        # Form N must carry its own number: a check that the jobs are the forms, in order.
        e2e_assert_job_hex "$work/forms/$forms.pcl" \
            "1b 45 1b 26 6c 32 61 30 4f 1b 26 66 $(printf %s "$forms" | od -An -tx1) 79 33 58 0c"
    fi
done
app_exit
for i in $(seq 1 "$repeats"); do
    before=$(e2e_job_count "$queue")
    t0=$(now)
    for n in $(seq 1 "$forms"); do
        lp -d "$queue" -o raw "$work/forms/$n.pcl" >/dev/null
    done
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$before" "$forms" 600
    elapsed "$t0" "$(close_time $((before + forms)))" >>"$work/lpforms.s"
    echo >>"$work/lpforms.s"
    echo "forms run $i: program $(sed -n "${i}p" <(grep . "$work/forms.s")) s," \
        "lp $(tail -n 1 "$work/lpforms.s") s" >&2
done

m_up=$(grep . "$work/upgrade.s" | median)
m_lp=$(grep . "$work/lp.s" | median)
m_hwm=$(median <"$work/hwm")
m_idle=$(median <"$work/idle")
m_forms=$(grep . "$work/forms.s" | median)
m_lpforms=$(grep . "$work/lpforms.s" | median)
size_kib=$((size / 1024))
cat <<REPORT
repeats: $repeats; file: $size bytes ($size_mib MiB); forms: 1-$forms; queue: $queue
(1) upgrade, Yes to last byte: median $m_up s; lp -o raw: median $m_lp s; ratio $(awk -v a="$m_up" -v b="$m_lp" 'BEGIN { printf "%.2f", a / b }') (goal <= 1.5)
    all upgrade: $(grep . "$work/upgrade.s" | tr '\n' ' ')
    all lp:      $(grep . "$work/lp.s" | tr '\n' ' ')
(2) peak memory (VmHWM) after the upgrade: median $m_hwm KiB; before it: median $m_idle KiB;
    file $size_kib KiB; peak - file = $((m_hwm - size_kib)) KiB (goal <= 16384 KiB);
    peak - peak before = $((m_hwm - m_idle)) KiB
    all peaks: $(tr '\n' ' ' <"$work/hwm")
(3) forms 1-$forms, Print click to last byte: median $m_forms s; $forms x lp -o raw: median $m_lpforms s; ratio $(awk -v a="$m_forms" -v b="$m_lpforms" 'BEGIN { printf "%.2f", a / b }') (goal <= 1.0)
    all program: $(grep . "$work/forms.s" | tr '\n' ' ')
    all lp:      $(grep . "$work/lpforms.s" | tr '\n' ' ')
REPORT
