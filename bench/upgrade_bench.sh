#!/usr/bin/env bash
# Measures the flash upgrade against two baselines, the spooler's own (`lp -o raw`) and a bare
# raw-job program under the same Wine (tools/rawjob), step by step; the program's cold start
# against a bare dialog that loads winspool.drv, as the program must, and against the plain bare
# dialog (tools/bench_baseline); then peak memory against rawjob's, and the forms test. Run by
# hand, not a test:
#   scripts/rig run bench/upgrade_bench.sh [REPEATS] [SIZE_MIB] [FORMS]
# (or, inside a running rig, source its rig.env and run the script). Prints medians; every
# baseline is measured in the same run, interleaved with the program, repeat by repeat.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/upgrade_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$here/lib/bench.sh"
source "$root/tests/e2e/lib/app.sh"

repeats=${1:-9}
size_mib=${2:-64}
forms=${3:-100}
queue=$RIG_QUEUE_VIRTUAL
work=$(mktemp -d "$RIG_DIR/bench.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/upgrade.kmf"
size=$(stat -c %s "$work/upgrade.kmf")

RAWJOB=$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe
CLOCK=$TESSALINE_WIN_BUILD/tools/bench_baseline/bench_clock.exe
BARE=$TESSALINE_WIN_BUILD/tools/bench_baseline/bare_dialog.exe
BARE_CAPTION="Bare Dialog"
for exe in "$RAWJOB" "$CLOCK" "$BARE"; do
    [ -f "$exe" ] || e2e_fail "not built: $exe (build the windows preset)"
done
log=$RIG_DIR/logs/bench.log

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

clock() { wine "$CLOCK" "$@" </dev/null 2>>"$log" | tr -d '\r'; }

# ---- Cold start: from the launch to the main window shown ----
# `wine EXE` is started by this shell (t0 just before it); the window counts as shown when a
# visible top-level window with exactly its caption exists, seen by bench_clock polling every
# 5 ms, which is already polling before the launch. Both programs go through the same steps.

WAITER_PID=
start_waiter() {
    : >"$work/shown"
    wine "$CLOCK" wait-window "$1" 60 </dev/null 2>>"$log" >"$work/shown" &
    WAITER_PID=$!
    wait_until 30 grep -q '^polling' "$work/shown" ||
        e2e_fail "bench_clock did not start polling for \"$1\""
}

# shown_after T0: waits for the waiter's stamp; prints the time from T0 to it.
shown_after() {
    wait "$WAITER_PID" || e2e_fail "the window did not show within 60 s"
    elapsed "$1" "$(tr -d '\r' <"$work/shown" | grep -v '^polling' | head -n 1)"
}

# Starts the program, measuring its cold start into $1.
app_start_timed() {
    local t0
    start_waiter "$APP_CAPTION"
    t0=$(now)
    run_app
    shown_after "$t0" >>"$1"
    echo >>"$1"
    drv wait-window "$APP_CAPTION" --timeout 30 >/dev/null
}

# bare_dialog_timed TIMES [--winspool]
bare_dialog_timed() {
    local t0 pid
    start_waiter "$BARE_CAPTION"
    t0=$(now)
    wine "$BARE" "${@:2}" </dev/null >>"$log" 2>&1 &
    pid=$!
    shown_after "$t0" >>"$1"
    echo >>"$1"
    drv click "$BARE_CAPTION" 2
    wait_until 20 e2e_not_running "$pid" || e2e_fail "bare dialog did not end"
    wait "$pid" 2>/dev/null || true
}

# ---- The three ways to send the file ----

# record_upgrade_job BEFORE T0 NAME: waits for the one new job, checks it is the file whole,
# and appends to NAME.s the time from T0 to its last byte, to NAME_first.s the time from T0 to
# the delivery's start and to NAME_delivery.s the delivery's own time (cupsd to the printer).
record_upgrade_job() {
    local job=$(($1 + 1)) connect close
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$1" 1 600
    e2e_assert_job_file "$(e2e_job_file "$queue" "$job")" "$work/upgrade.kmf"
    drop_job "$(e2e_job_file "$queue" "$job")"
    connect=$(connect_time "$job")
    close=$(close_time "$job")
    add "$(elapsed "$2" "$close")" "$work/$3.s"
    add "$(elapsed "$2" "$connect")" "$work/$3_first.s"
    add "$(elapsed "$connect" "$close")" "$work/$3_delivery.s"
}

# The program, already showing its confirmation: from the moment bench_clock has posted the Yes
# click (stamped inside Wine just before the post; bench_clock ends at once, nothing polls the
# program while it works) to the last byte.
upgrade_yes() {
    local before t0
    before=$(e2e_job_count "$queue")
    t0=$(clock answer "$APP_CAPTION" "Confirm Upgrade" 6) || e2e_fail "could not answer Yes"
    record_upgrade_job "$before" "$t0" upgrade
}

# rawjob's steps, each from the stamp before it (its --stamp lines): "NAME FROM TO".
RAWJOB_STEPS=("read main read" "open read StartPagePrinter" "write StartPagePrinter WritePrinter"
    "enddoc EndPagePrinter EndDocPrinter")

# The bare program: from its first instruction in main (stamped inside Wine, the same clock)
# to the last byte, and each of its steps; the time from the shell's launch and its peak
# resident memory (the kernel's, for the process that `wine` execs into) are kept too.
rawjob_send() {
    local before t0 out main step name from to
    before=$(e2e_job_count "$queue")
    t0=$(now)
    out=$(/usr/bin/time -f %M -o "$work/rawjob.rss" wine "$RAWJOB" "$queue" XPS_PASS,RAW \
        "$(win_path "$work/upgrade.kmf")" --stamp </dev/null 2>>"$log" | tr -d '\r') ||
        e2e_fail "rawjob failed: $out"
    grep -qx "written $size of $size" <<<"$out" || e2e_fail "rawjob did not send it all: $out"
    main=$(stamp_of main "$out")
    record_upgrade_job "$before" "$main" rawjob
    add "$(elapsed "$t0" "$(close_time $((before + 1)))")" "$work/rawjob_launch.s"
    add "$(elapsed "$t0" "$main")" "$work/rawjob_start.s"
    add "$(elapsed "$(stamp_of EndDocPrinter "$out")" "$(connect_time $((before + 1)))")" \
        "$work/rawjob_enddoc_first.s"
    for step in "${RAWJOB_STEPS[@]}"; do
        read -r name from to <<<"$step"
        add "$(elapsed "$(stamp_of "$from" "$out")" "$(stamp_of "$to" "$out")")" \
            "$work/rawjob_$name.s"
    done
    add "$(tail -n 1 "$work/rawjob.rss")" "$work/rawjob_hwm.s"
}

# stamp_of STEP TRANSCRIPT: rawjob's last "time STEP" stamp.
stamp_of() {
    local stamp
    stamp=$(awk -v step="$1" '$1 == "time" && $2 == step { t = $3 } END { print t }' <<<"$2")
    [ -n "$stamp" ] || e2e_fail "rawjob gave no $1 stamp: $2"
    echo "$stamp"
}

lp_send() {
    local before t0
    before=$(e2e_job_count "$queue")
    t0=$(now)
    lp -d "$queue" -o raw "$work/upgrade.kmf" >/dev/null
    record_upgrade_job "$before" "$t0" lp
}

e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD 1
e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD 0

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for f in upgrade rawjob lp; do
    : >"$work/$f.s"
    : >"$work/${f}_first.s"
    : >"$work/${f}_delivery.s"
done
for f in rawjob_launch rawjob_start rawjob_enddoc_first rawjob_hwm hwm idle cold bare spool warm; do
    : >"$work/$f.s"
done
for step in "${RAWJOB_STEPS[@]}"; do
    : >"$work/rawjob_${step%% *}.s"
done

# One unmeasured round first: the first start of each program in a fresh prefix pays for
# font and registry caches that later starts do not.
app_start_timed "$work/warm.s"
app_exit
bare_dialog_timed "$work/warm.s"
bare_dialog_timed "$work/warm.s" --winspool

for i in $(seq 1 "$repeats"); do
    # Upgrade and peak memory: a fresh program each time, so its peak belongs to this upgrade
    # alone.
    app_start
    pid=$(app_pid_of_program)
    select_printer "$queue"
    set_debug_mode unchecked
    idle=$(vm_kib "$pid" VmHWM)
    start_upgrade "$(win_path "$work/upgrade.kmf")"
    expect_box "upgrade $i: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34
    upgrade_yes
    expect_box "upgrade $i" "Printing Complete" "$(sent_text "$size")" 0x40
    hwm=$(vm_kib "$pid" VmHWM)
    drv answer-msgbox "$APP_CAPTION" ok
    echo "$hwm" >>"$work/hwm.s"
    echo "$idle" >>"$work/idle.s"
    app_exit

    rawjob_send
    lp_send
    echo "run $i: upgrade $(tail -n 1 "$work/upgrade.s") s, rawjob $(tail -n 1 "$work/rawjob.s") s" \
        "(launch $(tail -n 1 "$work/rawjob_launch.s") s), lp $(tail -n 1 "$work/lp.s") s;" \
        "VmHWM idle $idle KiB, after upgrade $hwm KiB; rawjob's peak" \
        "$(tail -n 1 "$work/rawjob_hwm.s") KiB" >&2
done

# Cold start, the three programs back to back with nothing else running, each going first in
# turn so that none always follows another's exit.
cold_program() {
    app_start_timed "$work/cold.s"
    app_exit
}
cold_spool() { bare_dialog_timed "$work/spool.s" --winspool; }
cold_bare() { bare_dialog_timed "$work/bare.s"; }
cold_order=(cold_program cold_spool cold_bare)
for i in $(seq 1 "$repeats"); do
    for k in 0 1 2; do
        "${cold_order[(i + k) % 3]}"
    done
    echo "start $i: program $(tail -n 1 "$work/cold.s") s, bare with winspool" \
        "$(tail -n 1 "$work/spool.s") s, bare $(tail -n 1 "$work/bare.s") s" >&2
done

# Forms 1 to N from the Print click to the Nth job's last byte, against N lp submissions of the
# very bytes the program sent.
app_start
select_printer "$queue"
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "1-$forms"
: >"$work/forms.s"
: >"$work/lpforms.s"
for i in $(seq 1 "$repeats"); do
    before=$(e2e_job_count "$queue")
    t0=$(now)
    drv click "$APP_CAPTION" "$IDC_MAIN_PRINT" --timeout 600
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$before" "$forms" 600
    elapsed "$t0" "$(close_time $((before + forms)))" >>"$work/forms.s"
    echo >>"$work/forms.s"
    if [ "$i" -eq 1 ]; then
        keep_forms "$before" "$forms" "$work/forms"
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
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

m() { grep . "$work/$1.s" | median; }
m_up=$(m upgrade)
m_raw=$(m rawjob)
m_lp=$(m lp)
m_cold=$(m cold)
m_spool=$(m spool)
m_bare=$(m bare)
m_hwm=$(m hwm)
m_raw_hwm=$(m rawjob_hwm)
m_idle=$(m idle)
m_forms=$(m forms)
m_lpforms=$(m lpforms)
size_kib=$((size / 1024))
# The goals: the upgrade at most 1.15 x rawjob; the cold start at most 1.1 x the bare dialog that
# loads winspool.drv; the peak at most rawjob's peak + 8 MiB; forms at most 1.0 x lp.
r_up=$(ratio "$m_up" "$m_raw")
r_cold=$(ratio "$m_cold" "$m_spool")
r_forms=$(ratio "$m_forms" "$m_lpforms")
hwm_over=$(awk -v a="$m_hwm" -v b="$m_raw_hwm" 'BEGIN { printf "%d", a - b }')
cat <<REPORT
machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //');
    $(wine --version 2>/dev/null | head -n 1); CUPS $(cups-config --version 2>/dev/null || echo '?');
    $(date -u '+%Y-%m-%d %H:%M UTC'); load average before $load_before, after $load_after
repeats: $repeats; file: $size bytes ($size_mib MiB); forms: 1-$forms; queue: $queue
(1) upgrade, Yes posted to last byte: median $m_up s ($(spread "$work/upgrade.s"))
    rawjob, main() to last byte:      median $m_raw s ($(spread "$work/rawjob.s")); ratio $r_up (goal <= 1.15: $(met "$r_up" 1.15))
    rawjob, launch to last byte:      median $(m rawjob_launch) s (launch to main(): median $(m rawjob_start) s)
    lp -o raw, submit to last byte:   median $m_lp s ($(spread "$work/lp.s")); ratio $(ratio "$m_up" "$m_lp")
    step by step (medians):
      program: Yes to delivery start $(m upgrade_first) s; delivery (first to last byte) $(m upgrade_delivery) s
      rawjob:  main() to delivery start $(m rawjob_first) s: read $(m rawjob_read) s, OpenPrinterA to StartPagePrinter $(m rawjob_open) s,
               WritePrinter $(m rawjob_write) s, EndDocPrinter $(m rawjob_enddoc) s, EndDocPrinter returned to delivery start $(m rawjob_enddoc_first) s;
               delivery $(m rawjob_delivery) s
      lp:      submit to delivery start $(m lp_first) s; delivery $(m lp_delivery) s
    all upgrade: $(all "$work/upgrade.s")
    all rawjob:  $(all "$work/rawjob.s")
    all lp:      $(all "$work/lp.s")
(2) cold start, launch to main window shown: median $m_cold s ($(spread "$work/cold.s"))
    bare dialog loading winspool.drv:        median $m_spool s ($(spread "$work/spool.s")); ratio $r_cold (goal <= 1.1: $(met "$r_cold" 1.1))
    bare dialog, same template shape:        median $m_bare s ($(spread "$work/bare.s")); ratio $(ratio "$m_cold" "$m_bare") (informative)
    all program:  $(all "$work/cold.s")
    all winspool: $(all "$work/spool.s")
    all bare:     $(all "$work/bare.s")
    warm-up round (not counted): $(all "$work/warm.s")
(3) peak memory (VmHWM) after the upgrade: median $m_hwm KiB; before it: median $m_idle KiB;
    rawjob's peak (max RSS): median $m_raw_hwm KiB; program - rawjob = $hwm_over KiB (goal <= 8192 KiB: $(met "$hwm_over" 8192));
    file $size_kib KiB; peak - file = $((m_hwm - size_kib)) KiB; peak - peak before = $((m_hwm - m_idle)) KiB
    all peaks: $(all "$work/hwm.s")
    all rawjob peaks: $(all "$work/rawjob_hwm.s")
(4) forms 1-$forms, Print click to last byte: median $m_forms s; $forms x lp -o raw: median $m_lpforms s; ratio $r_forms (goal <= 1.0: $(met "$r_forms" 1.0))
    all program: $(all "$work/forms.s")
    all lp:      $(all "$work/lpforms.s")
REPORT
