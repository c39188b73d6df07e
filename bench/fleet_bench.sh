#!/usr/bin/env bash
# A fleet upgrade through the rig's cupsd: one file to 100 queues in front of the capture
# printers, by the native command line with --parallel 1, 4 and 16 against as many
# `lp -o raw` runs under `xargs -P 1/4/16`, all in one run; then direct IPP to 10 ippeveprinters
# with --parallel 10. Run by hand, not a test:
#   TESSALINE_BENCH_CLI=/path/to/tessaline-cli scripts/rig run bench/fleet_bench.sh [REPEATS] [SIZE_MIB] [QUEUES]
# (RIG_WINE=no brings the rig up without Wine). The program should be an optimised build
# without sanitizers (see bench/cli_bench.sh). Samples the cupsd's spool folder every 50 ms
# while each variant runs; prints every repeat, then the medians and the goals.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/fleet_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$here/lib/bench.sh"
source "$root/tests/lib/ipp_printers.sh"

cli=${TESSALINE_BENCH_CLI:-$root/build/cli-release/tessaline-cli}
[ -x "$cli" ] || e2e_fail "no program at $cli; build it as the header of $0 says"
repeats=${1:-3}
size_mib=${2:-16}
count=${3:-100}
direct=10
widths=(1 4 16)
work=$(mktemp -d "$RIG_DIR/fleet-bench.XXXXXX")
captures=("$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY" "$RIG_QUEUE_LATE")
queues=()
ipp_names=()
SAMPLER=
cleanup() {
    local q
    [ -z "$SAMPLER" ] || kill "$SAMPLER" 2>/dev/null || true
    for q in "${queues[@]}"; do
        lpadmin -x "$q" 2>/dev/null || true
    done
    for q in "${ipp_names[@]}"; do
        ipp_printer_stop "$q"
    done
    e2e_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p "$HOME"
head -c $((size_mib * 1048576)) /dev/urandom >"$work/upgrade.bin"
size=$(stat -c %s "$work/upgrade.bin")
spool=$(readlink -f "$RIG_DIR/cups")/spool

for n in $(seq 1 "$count"); do
    q=$(printf 'Tessaline_Bench_%03d' "$n")
    port=$(e2e_queue_var RIG_PORT "${captures[$((n % 3))]}")
    lpadmin -p "$q" -E -v "socket://127.0.0.1:$port/?waiteof=false" \
        -o printer-error-policy=abort-job || e2e_fail "cannot make queue $q"
    queues+=("$q")
    echo "$q" >>"$work/queues.txt"
done

# The spool's growth every 50 ms into FILE, until stopped: its size less the size just before,
# which holds the kept history of every earlier job.
start_sampler() {
    local base
    base=$(du -sb "$spool" | cut -f1)
    : >"$1"
    while :; do
        du -sb "$spool" 2>/dev/null | awk -v base="$base" '{ print $1 - base }' >>"$1"
        sleep 0.05
    done &
    SAMPLER=$!
}
stop_sampler() {
    kill "$SAMPLER" 2>/dev/null || true
    wait "$SAMPLER" 2>/dev/null || true
    SAMPLER=
}

declare -A before
note_counts() {
    local c
    for c in "${captures[@]}"; do
        before[$c]=$(e2e_job_count "$c")
    done
}

# Waits for the jobs since note_counts, checks each is the file whole, frees their disk space,
# and prints the last one's close time: the fleet's last byte.
finish_fleet() {
    local c n want last=0 close line file
    for c in "${captures[@]}"; do
        want=0
        for n in $(seq 1 "$count"); do
            [ "${captures[$((n % 3))]}" != "$c" ] || want=$((want + 1))
        done
        E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$c" "${before[$c]}" "$want" 600
        for n in $(seq $((before[$c] + 1)) $((before[$c] + want))); do
            file=$(e2e_job_file "$c" "$n")
            e2e_assert_job_file "$file" "$work/upgrade.bin"
            : >"$file"
            line=$(e2e_job_log_line "$c" "$n")
            [[ "$line" =~ close=([0-9.]+) ]] || e2e_fail "no close time in: $line"
            close=${BASH_REMATCH[1]}
            last=$(awk -v a="$last" -v b="$close" 'BEGIN { print (b > a) ? b : a }')
        done
    done
    echo "$last"
}

peak_of() { sort -n "$1" | tail -n 1; }

# The pauses, in cupsd's error_log, between one job's "Job completed." and the next job's
# "Queued on", for the jobs of a --parallel 1 run (its JSON): how long the program takes to see
# a job end and start the next.
end_to_next() {
    python3 - "$(readlink -f "$RIG_DIR/cups")/log/error_log" "$1" <<'PY'
import datetime, json, re, sys
jobs = {json.loads(line)["job"] for line in open(sys.argv[2])}
queued, done = {}, {}
for line in open(sys.argv[1], errors="replace"):
    m = re.match(r"^\w \[([^\]]+)\] \[Job (\d+)\] (.*)$", line.rstrip("\n"))
    if not m or int(m.group(2)) not in jobs:
        continue
    t = datetime.datetime.strptime(m.group(1), "%d/%b/%Y:%H:%M:%S.%f %z").timestamp()
    if m.group(3).startswith("Queued on"):
        queued[int(m.group(2))] = t
    elif m.group(3).startswith("Job completed"):
        done[int(m.group(2))] = t
order = sorted(queued, key=queued.get)
for a, b in zip(order, order[1:]):
    if a in done:
        print("%.3f" % (queued[b] - done[a]))
PY
}

# NAME: wall time (start to the fleet's last byte), the command's own time, the peak spool and,
# for the program, its peak RSS, each appended to NAME.* files.
run_cli() {
    local width=$1 name=cli$1 t0 t1 last
    note_counts
    start_sampler "$work/$name.du"
    t0=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$cli" upgrade "$work/upgrade.bin" \
        --printers-file "$work/queues.txt" --parallel "$width" --yes --json \
        >"$work/$name.json" 2>"$work/$name.err" || e2e_fail "$name failed: $(head -n 3 "$work/$name.err")"
    t1=$(now)
    stop_sampler
    last=$(finish_fleet)
    add "$(elapsed "$t0" "$last")" "$work/$name.wall"
    add "$(elapsed "$t0" "$t1")" "$work/$name.cmd"
    add "$(peak_of "$work/$name.du")" "$work/$name.spool"
    add "$(tail -n 1 "$work/rss")" "$work/$name.rss"
    [ "$width" -ne 1 ] || end_to_next "$work/$name.json" >>"$work/pause"
}

run_lp() {
    local width=$1 name=lp$1 t0 t1 last
    note_counts
    start_sampler "$work/$name.du"
    t0=$(now)
    xargs -P "$width" -I{} lp -d {} -o raw "$work/upgrade.bin" <"$work/queues.txt" >/dev/null
    t1=$(now)
    last=$(finish_fleet)
    stop_sampler
    add "$(elapsed "$t0" "$last")" "$work/$name.wall"
    add "$(elapsed "$t0" "$t1")" "$work/$name.cmd"
    add "$(peak_of "$work/$name.du")" "$work/$name.spool"
}

# Direct IPP to ippeveprinters: total time and each printer's own seconds.
for n in $(seq 1 "$direct"); do
    name=$(printf 'Ipp_Bench_%02d' "$n")
    ipp_printer_start "$name" -f application/vnd.hp-PCL || e2e_fail "cannot start $name"
    ipp_names+=("$name")
    ipp_printer_uri "$name" >>"$work/ipp.txt"
done
run_ipp() {
    local t0 t1 name
    for name in "${ipp_names[@]}"; do
        rm -f "$(ipp_printer_jobs "$name")"/*
    done
    t0=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$cli" upgrade "$work/upgrade.bin" \
        --printers-file "$work/ipp.txt" --parallel "$direct" --yes --json \
        --format application/vnd.hp-PCL >"$work/ipp.json" 2>"$work/ipp.err" ||
        e2e_fail "direct IPP failed: $(head -n 3 "$work/ipp.err")"
    t1=$(now)
    for name in "${ipp_names[@]}"; do
        e2e_assert_job_file "$(ipp_printer_documents "$name" | head -n 1)" "$work/upgrade.bin"
    done
    add "$(elapsed "$t0" "$t1")" "$work/ipp.wall"
    add "$(tail -n 1 "$work/rss")" "$work/ipp.rss"
    python3 -c 'import json, sys
print("\n".join(str(json.loads(l)["seconds"]) for l in sys.stdin))' <"$work/ipp.json" >>"$work/ipp.each"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for i in $(seq 1 "$repeats"); do
    # Each repeat in another order, so that no variant always follows the same one.
    order=()
    for w in "${widths[@]}"; do
        order+=("run_cli $w" "run_lp $w")
    done
    [ $((i % 2)) -eq 1 ] || order=("${order[@]:1}" "${order[0]}")
    for step in "${order[@]}"; do
        $step
    done
    run_ipp
    line="repeat $i:"
    for w in "${widths[@]}"; do
        line+=" P$w cli $(tail -n 1 "$work/cli$w.wall") s (spool $(tail -n 1 "$work/cli$w.spool"), rss $(tail -n 1 "$work/cli$w.rss") KiB),"
        line+=" lp $(tail -n 1 "$work/lp$w.wall") s (spool $(tail -n 1 "$work/lp$w.spool"));"
    done
    echo "$line direct IPP x$direct $(tail -n 1 "$work/ipp.wall") s" >&2
done

m() { median <"$work/$1"; }
file_kib=$((size / 1024))
cat <<EOT
machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(awk '/MemTotal/ {print $2}' /proc/meminfo) KiB; CUPS $(dpkg-query -W -f='${Version}' cups-daemon 2>/dev/null); load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after
file: $size bytes to $count queues; repeats: $repeats; spool growth sampled every 50 ms (du -sb $spool, less its size at the start)
EOT
for w in "${widths[@]}"; do
    spool_goal=$((w * size + 1048576))
    rss_goal=$((file_kib + 16384))
    cat <<EOT
--parallel $w: wall (start to last byte) $(m "cli$w.wall") s, command $(m "cli$w.cmd") s; peak spool $(m "cli$w.spool") B (goal <= $spool_goal: $(met "$(m "cli$w.spool")" "$spool_goal")); peak RSS $(m "cli$w.rss") KiB (goal <= $rss_goal: $(met "$(m "cli$w.rss")" "$rss_goal"))
xargs -P $w lp -o raw: wall $(m "lp$w.wall") s, command $(m "lp$w.cmd") s; peak spool $(m "lp$w.spool") B; cli / lp $(ratio "$(m "cli$w.wall")" "$(m "lp$w.wall")")$([ "$w" != 4 ] || echo " (goal <= 1.1: $(met "$(ratio "$(m "cli$w.wall")" "$(m "lp$w.wall")")" 1.1))")
    all cli: $(all "$work/cli$w.wall"); all lp: $(all "$work/lp$w.wall"); spool cli: $(all "$work/cli$w.spool"); spool lp: $(all "$work/lp$w.spool"); rss: $(all "$work/cli$w.rss")
EOT
done
cat <<EOT
--parallel 1, a job's end in cupsd to the next job's creation: median $(median <"$work/pause") s, min $(sort -g "$work/pause" | head -n 1) s, max $(sort -g "$work/pause" | tail -n 1) s
direct IPP, $direct ippeveprinters, --parallel $direct: $(m ipp.wall) s; per printer (its own seconds) median $(median <"$work/ipp.each") s, max $(sort -g "$work/ipp.each" | tail -n 1) s; peak RSS $(m ipp.rss) KiB
    all: $(all "$work/ipp.wall")
EOT
