#!/usr/bin/env bash
# Ctrl-C during uploads over a slow link: one file to three ippeveprinters, each behind a
# throttling proxy (bench/lib/throttle_proxy.py), with --parallel 3 --wait 60; Ctrl-C once the
# first printer's link has carried AT bytes. Prints, for each AT, the time from Ctrl-C to the
# program's exit, its exit code, the bytes each link carried and each printer's jobs ("ID
# STATE": 7 canceled, 9 completed). Run by hand, not a test:
#   TESSALINE_BENCH_CLI=/path/to/tessaline-cli RIG_WINE=no scripts/rig run \
#       bench/interrupt_bench.sh [AT...]
# Defaults: AT 1100000 300000, SIZE=1500000 bytes, RATE=100000 bytes/s per link. SHOW_LOG=1
# adds each printer's log lines of its jobs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/interrupt_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$here/lib/bench.sh"
source "$root/tests/lib/ipp_printers.sh"

cli=${TESSALINE_BENCH_CLI:-$root/build/cli-release/tessaline-cli}
[ -x "$cli" ] || e2e_fail "no program at $cli; build it as bench/cli_bench.sh says"
size=${SIZE:-1500000}
rate=${RATE:-100000}
pcl=application/vnd.hp-PCL
work=$(mktemp -d "$RIG_DIR/interrupt-bench.XXXXXX")
names=()
proxies=()
cleanup() {
    local pid name
    for pid in "${proxies[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    for name in "${names[@]}"; do
        ipp_printer_stop "$name"
    done
    rm -rf "$work"
    e2e_cleanup
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
head -c "$size" /dev/urandom >"$work/file.bin"

# proxy_for NAME: starts a throttled link in front of printer NAME; its URI in $proxy_uri.
# Not in a command substitution, which would wait for the proxy's output to close.
proxy_for() {
    local name=$1
    python3 "$here/lib/throttle_proxy.py" "$work/$name.port" 127.0.0.1 \
        "$(ipp_printer_port "$name")" "$rate" "$work/$name.count" </dev/null >/dev/null 2>&1 &
    proxies+=($!)
    wait_until 10 test -s "$work/$name.port" || e2e_fail "the proxy for $name did not start"
    proxy_uri="ipp://127.0.0.1:$(cat "$work/$name.port")/ipp/print"
}

carried() { cat "$work/$1.count" 2>/dev/null || echo 0; }
reached() { [ "$(carried "$1")" -ge "$2" ]; }

interrupt_at() {
    local at=$1 i name args=() pid t0 t1 rc=0
    for i in 1 2 3; do
        name=Ipp_Bench_Int_${at}_$i
        names+=("$name")
        ipp_printer_start "$name" -f "$pcl" || e2e_fail "cannot start $name"
        proxy_for "$name"
        args+=(-p "$proxy_uri")
    done
    python3 -c 'import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.execv(sys.argv[1], sys.argv[1:])' "$cli" upgrade "$work/file.bin" "${args[@]}" --parallel 3 \
        --wait 60 --yes --format "$pcl" --json </dev/null >"$work/run.out" 2>"$work/run.err" &
    pid=$!
    wait_until 120 reached "Ipp_Bench_Int_${at}_1" "$at" ||
        e2e_fail "the link never carried $at bytes: $(cat "$work/run.err")"
    t0=$(now)
    kill -INT "$pid"
    wait "$pid" || rc=$?
    t1=$(now)
    echo "Ctrl-C at $at bytes: exit $rc after $(elapsed "$t0" "$t1") s"
    for i in 1 2 3; do
        name=Ipp_Bench_Int_${at}_$i
        sleep 0.5
        echo "  $name: link carried $(carried "$name") of $size bytes;" \
            "jobs: $(ipp_jobs "$(ipp_printer_uri "$name")" all | tr '\n' ' ')"
        [ -z "${SHOW_LOG:-}" ] || ipp_printer_job_lines "$name" | sed 's/^/    /' 
    done
    sed 's/^/  /' "$work/run.out"
    # What the links held when the program ended still reaches the printers: their jobs again
    # once every link has carried nothing for two seconds.
    local before after
    for i in $(seq 1 60); do
        before=$(cat "$work"/*.count | tr '\n' ' ')
        sleep 2
        after=$(cat "$work"/*.count | tr '\n' ' ')
        [ "$before" != "$after" ] || break
    done
    for i in 1 2 3; do
        name=Ipp_Bench_Int_${at}_$i
        echo "  $name, links quiet: link carried $(carried "$name") bytes;" \
            "jobs: $(ipp_jobs "$(ipp_printer_uri "$name")" all | tr '\n' ' ')"
        [ -z "${SHOW_LOG:-}" ] || ipp_printer_job_lines "$name" | sed 's/^/    /'
    done
}

ats=("$@")
[ ${#ats[@]} -gt 0 ] || ats=(1100000 300000)
for at in "${ats[@]}"; do
    interrupt_at "$at"
done
