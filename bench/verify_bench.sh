#!/usr/bin/env bash
# Asking a fleet what it runs, and upgrading it with the version checked, over direct IPP to
# restarting ippeveprinters (tests/lib/ipp_firmware.sh) on loopback: `inventory --parallel 32`
# against `xargs -P 32 ipptool` of the same attributes, in the same run; an upgrade with
# --expect-version to every printer (each restarts at the file's version DELAY seconds after its
# job); the same command again (all current); one printer's upgrade alone, and its parts. Run by
# hand, not a test, one rig at a time:
#   flock /tmp/tessaline-rig.lock env RIG_WINE=no TESSALINE_NATIVE_BUILD=build/cli-release \
#       TESSALINE_BENCH_CLI=build/cli-release/tessaline-cli \
#       scripts/rig run bench/verify_bench.sh [REPEATS=3] [PRINTERS=200] [SIZE_MIB=1] [DELAY=2] [HOLD=0]
# HOLD is how long a printer stays up once its job has ended, before it restarts.
# The program should be an optimised build without sanitizers (see bench/cli_bench.sh; build
# capture_printer there too, for the rig). Prints every repeat, then the medians and the goals.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/verify_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$here/lib/bench.sh"
source "$root/tests/lib/ipp_firmware.sh"

cli=${TESSALINE_BENCH_CLI:-$root/build/cli-release/tessaline-cli}
[ -x "$cli" ] || e2e_fail "no program at $cli; build it as the header of $0 says"
repeats=${1:-3}
count=${2:-200}
size_mib=${3:-1}
delay=${4:-2}
hold=${5:-0}
width=32
work=$(mktemp -d "$RIG_DIR/verify-bench.XXXXXX")
FLEET_PID=
finished=
# A failed run's folder stays, with the commands' output, for the next rig start to clear.
cleanup() {
    [ -z "$FLEET_PID" ] || wait "$FLEET_PID" 2>/dev/null || true
    ipp_printers_stop_recorded
    e2e_cleanup
    [ -z "$finished" ] || rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p "$HOME"
size=$((size_mib * 1048576))

# What the program asks, and nothing more.
cat >"$work/firmware.test" <<'EOT'
{
    NAME "Get-Printer-Attributes: firmware, state, up time"
    OPERATION Get-Printer-Attributes
    GROUP operation-attributes-tag
    ATTR charset attributes-charset utf-8
    ATTR naturalLanguage attributes-natural-language en
    ATTR uri printer-uri $uri
    ATTR name requesting-user-name $user
    ATTR keyword requested-attributes printer-make-and-model,printer-firmware-name,printer-firmware-string-version,printer-firmware-version,printer-firmware-patches,printer-state,printer-state-reasons,printer-up-time
    STATUS successful-ok
    EXPECT printer-firmware-string-version
}
EOT

# The fleet starts in the background while the lone printers start beside it.
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
t0=$(now)
ipp_firmware_fleet Vb "$count" --component "Module 1.0" --after apply --delay "$delay" \
    --hold "$hold" >"$work/names" 2>"$work/fleet.err" &
FLEET_PID=$!
ipp_firmware_printer Vb_Solo --component "Module 1.0" --after apply --delay "$delay" \
    --hold "$hold" || e2e_fail "cannot start Vb_Solo"
ipp_firmware_refusing Vb_Keep 1.0 || e2e_fail "cannot start Vb_Keep"
wait "$FLEET_PID" || e2e_fail "the fleet did not start: $(cat "$work/fleet.err")"
FLEET_PID=
fleet_start=$(elapsed "$t0" "$(now)")
while read -r name; do
    ipp_printer_uri "$name"
done <"$work/names" >"$work/list"
[ "$(wc -l <"$work/list")" -eq "$count" ] || e2e_fail "not $count printers in $work/list"
solo=$(ipp_printer_uri Vb_Solo)
keep=$(ipp_printer_uri Vb_Keep)
echo "$count printers started in $fleet_start s (8 at a time)" >&2

# timed NAME COMMAND...: the command's wall time to NAME.s, its peak RSS to NAME.rss, its CPU
# seconds (user + system) to NAME.cpu, its standard output to NAME.out; fails the run when the command does, unless TOLERATE is set.
timed() {
    local name=$1 t0 t1 status=0
    shift
    t0=$(now)
    /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
    [ "$status" -eq 0 ] || [ -n "${TOLERATE:-}" ] ||
        e2e_fail "$name failed: $(head -n 3 "$work/$name.err")"
    t1=$(now)
    add "$(elapsed "$t0" "$t1")" "$work/$name.s"
    add "$(tail -n 1 "$work/rss" | cut -d' ' -f1)" "$work/$name.rss"
    add "$(tail -n 1 "$work/rss" | awk '{ printf "%.2f", $2 + $3 }')" "$work/$name.cpu"
}

# count_of NAME KEY VALUE: how many JSON lines of NAME.out have KEY equal to VALUE.
count_of() {
    python3 - "$work/$1.out" "$2" "$3" <<'PY'
import json, sys
print(sum(1 for l in open(sys.argv[1]) if l.strip() and str(json.loads(l).get(sys.argv[2])) == sys.argv[3]))
PY
}

# inventory_at NAME VERSION: every printer of the list answered, at that module version.
inventory_at() {
    python3 - "$work/$1.out" "$2" "$count" <<'PY'
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
bad = [l["printer"] for l in lines if [c.get("version") for c in l.get("components") or []] != [sys.argv[2]]]
if len(lines) != int(sys.argv[3]) or bad:
    sys.exit("%d answers, not at %s: %s" % (len(lines), sys.argv[2], " ".join(bad[:5])))
PY
}

run_inventory() {
    timed "$1" "$cli" inventory --printers-file "$work/list" --parallel "$width" --json
    inventory_at "$1" "$2" || e2e_fail "$1: inventory not as expected"
}

run_ipptool() {
    timed ipptool xargs -P "$width" -I{} ipptool -T 10 {} "$work/firmware.test" <"$work/list"
}

# The supervisor's restart of Vb_Solo for its latest job: from "restarts in" to the next start's
# note (that start answered).
solo_restart() {
    awk '/supervisor: restarts in/ { r = $1 } /supervisor: start [0-9]+ on port/ && r { s = $1 - r }
        END { printf "%.3f\n", s }' "$(ipp_printer_log Vb_Solo)"
}

# The stages of NAME's report, counted: "N STAGE/STATE ..." on one line.
stages() {
    python3 - "$work/$1.out" <<'PY'
import collections, json, sys
c = collections.Counter("%s/%s" % (j.get("stage"), j.get("state")) for j in map(json.loads, filter(str.strip, open(sys.argv[1]))))
print(", ".join("%d %s" % (n, k) for k, n in c.most_common()))
PY
}

# fleet_steps T0 VERSION: where the fleet's time went, from each printer's log (its lines are
# stamped): T0 to its Create-Job (its turn in the window, after the ask before it), to the job
# naming VERSION (the upload and the job), to its stop (the rig noticing the job's end), to its
# answering again (the DELAY and ippeveprinter's start), to the program's first ask that it
# answers after that: min, median and max of each, in seconds.
fleet_steps() {
    python3 - "$1" "$2" "$(ipp_printer_log Vb_001)" <<'PY'
import glob, re, statistics, sys
t0, version = float(sys.argv[1]), sys.argv[2]
steps = [[] for _ in range(5)]
for path in glob.glob(sys.argv[3].replace("Vb_001", "Vb_[0-9]*")):
    lines = [l.split(" ", 1) for l in open(path, errors="replace") if re.match(r"^\d+\.\d+ ", l)]
    lines = [(float(t), m) for t, m in lines if float(t) >= t0]
    def first(pattern, after):
        return next((t for t, m in lines if t >= after and pattern in m), None)
    created = first("Create-Job successful", t0)
    named = created and first("names Module " + version, created)
    stopped = named and first("supervisor: restarts in", named)
    up = stopped and first("supervisor: start ", stopped)
    asked = up and first("Get-Printer-Attributes successful", up)
    marks = [t0, created, named, stopped, up, asked]
    for n in range(5):
        if marks[n] is not None and marks[n + 1] is not None:
            steps[n].append(marks[n + 1] - marks[n])
names = ["to Create-Job", "upload and job", "job to stop", "stop to up", "up to the verifying ask"]
print("; ".join("%s %.2f/%.2f/%.2f (%d)" % (n, min(v), statistics.median(v), max(v), len(v))
                for n, v in zip(names, steps) if v))
PY
}

# The machine's CPU counters: busy and total ticks, all cores.
cpu_ticks() { awk '$1 == "cpu" { t = 0; for (i = 2; i <= NF; i++) t += $i; print t - $5 - $6, t }' /proc/stat; }

# The seconds of a JSON report line.
seconds_of() { python3 -c 'import json, sys; print(json.loads(sys.stdin.readline())["seconds"])' <"$1"; }

for i in $(seq 1 "$repeats"); do
    version=1.$i
    ipp_firmware_file "$work/upgrade.bin" "$version" Module "$size"
    # The same bytes with the old version, to the printer that keeps what it runs: an upload
    # and a job, nothing applied.
    before=1.$((i - 1))
    [ "$i" -gt 1 ] || before=1.0
    if [ $((i % 2)) -eq 1 ]; then
        run_inventory inventory "$before"
        run_ipptool
    else
        run_ipptool
        run_inventory inventory "$before"
    fi
    # One printer alone: the whole check, then its parts.
    timed solo "$cli" upgrade "$work/upgrade.bin" -p "$solo" --yes --expect-version "$version" \
        --json
    [ "$(count_of solo stage Verified)" = 1 ] || e2e_fail "solo: not Verified: $(cat "$work/solo.out")"
    add "$(solo_restart)" "$work/restart.s"
    timed upload "$cli" upgrade "$work/upgrade.bin" -p "$keep" --yes --wait --json
    add "$(seconds_of "$work/upload.out")" "$work/upload_own.s"
    timed ask "$cli" inventory -p "$solo" --json

    fleet_t0=$(now)
    read -r busy0 total0 < <(cpu_ticks)
    TOLERATE=1 timed fleet "$cli" upgrade "$work/upgrade.bin" --printers-file "$work/list" --yes \
        --expect-version "$version" --parallel "$width" --json
    read -r busy1 total1 < <(cpu_ticks)
    add "$(awk -v b=$((busy1 - busy0)) -v t=$((total1 - total0)) 'BEGIN { printf "%.0f", b / t * 100 }')" \
        "$work/fleet.busy"
    add "$(stages fleet)" "$work/fleet.stages"
    cp "$work/fleet.out" "$work/fleet.$i.json"
    fleet_steps "$fleet_t0" "$version" >>"$work/steps"
    # A printer that vanished before its job's end was seen was not verified: it runs the new
    # version all the same, which the re-run finds. Both take a fifth of a second, so five
    # pairs, alternating which goes first.
    for pair in 1 2 3 4 5; do
        [ $((pair % 2)) -eq 1 ] || run_inventory inventory "$version"
        TOLERATE=1 timed again "$cli" upgrade "$work/upgrade.bin" --printers-file "$work/list" \
            --yes --expect-version "$version" --parallel "$width" --json
        add "$(stages again)" "$work/again.stages"
        [ $((pair % 2)) -eq 0 ] || run_inventory inventory "$version"
    done
    echo "repeat $i: inventory $(tail -n 6 "$work/inventory.s" | tr '\n' ' ')s, ipptool $(tail -n 1 "$work/ipptool.s") s;" \
        "solo $(tail -n 1 "$work/solo.s") s (restart $(tail -n 1 "$work/restart.s") s, upload $(tail -n 1 "$work/upload.s") s, ask $(tail -n 1 "$work/ask.s") s);" \
        "fleet $(tail -n 1 "$work/fleet.s") s ($(tail -n 1 "$work/fleet.stages"));" \
        "again $(tail -n 5 "$work/again.s" | tr '\n' ' ')s ($(tail -n 1 "$work/again.stages"))" >&2
done

m() { median <"$work/$1"; }
max_of() { sort -n "$work/$1" | tail -n 1; }
inv=$(m inventory.s)
ipt=$(m ipptool.s)
per_printer=$(awk -v u="$(m upload.s)" -v r="$(m restart.s)" -v a="$(m ask.s)" 'BEGIN { printf "%.3f", u + r + a }')
fleet_goal=$(awk -v p="$per_printer" -v n="$count" -v w="$width" 'BEGIN { printf "%.3f", n / w * p * 1.2 }')
solo_goal=$(awk -v p="$(m solo.s)" -v n="$count" -v w="$width" 'BEGIN { printf "%.3f", n / w * p * 1.2 }')
rss_goal=$((size / 1024 + 16384))
rss_max=$(cat "$work"/{inventory,fleet,again,solo,upload,ask}.rss | sort -n | tail -n 1)
cat <<EOT
machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after
$count restarting ippeveprinters (delay $delay s, hold $hold s) started in $fleet_start s; file $size bytes; --parallel $width; repeats: $repeats
inventory: $inv s; xargs -P $width ipptool: $ipt s; ratio $(ratio "$inv" "$ipt") (goal <= 1.1: $(met "$(ratio "$inv" "$ipt")" 1.1))
    all inventory: $(all "$work/inventory.s"); all ipptool: $(all "$work/ipptool.s")
one printer: upload (upgrade --wait to a printer that keeps its version) $(m upload.s) s (its own seconds $(m upload_own.s)), restart $(m restart.s) s, one ask (inventory of it) $(m ask.s) s: $per_printer s; upgrade --expect-version of it alone $(m solo.s) s
    all solo: $(all "$work/solo.s"); restart: $(all "$work/restart.s"); upload: $(all "$work/upload.s"); ask: $(all "$work/ask.s")
upgrade --expect-version, $count printers: $(m fleet.s) s (goal <= $count / $width x $per_printer x 1.2 = $fleet_goal: $(met "$(m fleet.s)" "$fleet_goal"); against the lone run's $(m solo.s) s: $solo_goal)
    all: $(all "$work/fleet.s"); its CPU time (user + system): $(all "$work/fleet.cpu")s; the machine's CPUs busy meanwhile: $(all "$work/fleet.busy")%; outcomes: $(paste -sd';' "$work/fleet.stages")
again, all current: $(m again.s) s; ratio to inventory $(ratio "$(m again.s)" "$inv") (goal <= 1.1: $(met "$(ratio "$(m again.s)" "$inv")" 1.1))
    all: $(all "$work/again.s"); outcomes: $(paste -sd';' "$work/again.stages")
peak RSS (KiB, max): inventory $(max_of inventory.rss), fleet $(max_of fleet.rss), again $(max_of again.rss), solo $(max_of solo.rss); highest $rss_max (goal <= $rss_goal: $(met "$rss_max" "$rss_goal"))
EOT
echo "where the fleet's time went (min/median/max seconds, printers): $(tail -n 1 "$work/steps")"
echo "    all: $(paste -sd'|' "$work/steps")"
# Each printer's own seconds, last repeat.
python3 - "$work/fleet.$repeats.json" <<'PY'
import json, sys
s = sorted(float(json.loads(l).get("seconds", 0)) for l in open(sys.argv[1]) if l.strip())
if s:
    print("fleet, each printer's seconds (last repeat): min %.3f, median %.3f, max %.3f" % (s[0], s[len(s) // 2], s[-1]))
PY
finished=1
