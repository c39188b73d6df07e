#!/usr/bin/env bash
# The collection's example playbook upgrading one site alone, then three sites side by side
# (forks 3, the same printers at each: one that restarts into the new version, one already
# current, one that restarts behind a cupsd queue), on fresh printers each time; wall time of
# ansible-playbook, median of REPEATS. Run by hand, not a test, one rig at a time:
#   flock /tmp/tessaline-rig.lock env RIG_WINE=no TESSALINE_BENCH_CLI=build/cli-release/tessaline-cli \
#       bench/ansible_sites_bench.sh [REPEATS=5]
# TESSALINE_DIST may name the release's dist/; without it the collection is built from here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/ansible_sites_bench.sh" "$@"
fi
export TESSALINE_CLI=${TESSALINE_BENCH_CLI:-$root/build/cli-release/tessaline-cli}
source "$root/tests/cli_native/lib/cli_ipp.sh"
source "$root/tests/ansible/lib/ansible_sites.sh"
source "$here/lib/bench.sh"
repeats=${1:-5}
sites=(site_a site_b site_c)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
ans_install_collection
ipp_firmware_file "$work/upgrade.bin" "$ANS_NEW"

# timed NAME SITE...: the sites' printers started afresh, then one upgrade over them.
timed() {
    local name=$1 printer site
    shift
    for printer in "${CLI_IPP_PRINTERS[@]}"; do
        ipp_printer_stop "$printer"
    done
    CLI_IPP_PRINTERS=()
    for site in "$@"; do
        ans_site_start "$site"
    done
    ans_inventory "$@"
    ans_fleet "$name"
    [ "$ANS_RC" -eq 0 ] || e2e_fail "$name: exit code $ANS_RC: $(tail -n 20 "$work/$name.log")"
    verified=$(grep -o '"outcome": *"Verified"' "$work/report.json" | grep -c .)
    [ "$verified" -eq $((2 * $#)) ] || e2e_fail "$name: $verified printers verified, not $((2 * $#))"
    add "$ANS_SECONDS" "$work/$name.times"
    echo "repeat $r: $name $ANS_SECONDS s" >&2
}
for r in $(seq 1 "$repeats"); do
    timed one site_a
    timed three "${sites[@]}"
done
one=$(median <"$work/one.times")
three=$(median <"$work/three.times")
echo "ansible-playbook, wall time, median of $repeats ($(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1))"
echo "  one site:     $one s ($(spread "$work/one.times")): $(all "$work/one.times")"
echo "  three sites:  $three s ($(spread "$work/three.times")): $(all "$work/three.times")"
echo "  three / one:  $(ratio "$three" "$one")"
echo "  load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
