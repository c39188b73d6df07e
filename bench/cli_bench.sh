#!/usr/bin/env bash
# Measures the native command line over CUPS against the spooler's own baseline, through one of
# the rig's queues (natively a plain raw CUPS queue). Run by hand, not a test:
#   TESSALINE_BENCH_CLI=/path/to/tessaline-cli scripts/rig run bench/cli_bench.sh [REPEATS] [SIZE_MIB] [FORMS]
# The program should be an optimised build without sanitizers, e.g.
#   cmake -S . -B build/cli-release -DCMAKE_BUILD_TYPE=Release -DTESSALINE_SANITIZE=OFF
#   cmake --build build/cli-release -j2 --target tessaline-cli
# (the default TESSALINE_BENCH_CLI). Prints every repeat and the medians.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
if [ -z "${RIG_QUEUES:-}" ]; then
    exec "$root/scripts/rig" run "$here/cli_bench.sh" "$@"
fi
source "$root/tests/e2e/lib/e2e.sh"
source "$here/lib/bench.sh"

cli=${TESSALINE_BENCH_CLI:-$root/build/cli-release/tessaline-cli}
[ -x "$cli" ] || e2e_fail "no program at $cli; build it as the header of $0 says"
repeats=${1:-5}
size_mib=${2:-64}
forms=${3:-100}
queue=$RIG_QUEUE_RAW_ONLY
work=$(mktemp -d "$RIG_DIR/cli-bench.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config # nothing stored: forms go out as Letter, Portrait
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/upgrade.bin"
size=$(stat -c %s "$work/upgrade.bin")

# record_job BEFORE T0 FILE TIMES: waits for the one new job, checks it is FILE whole, frees its
# disk space and appends the time from T0 to its last byte to TIMES.
record_job() {
    local job=$(($1 + 1))
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$1" 1 600
    e2e_assert_job_file "$(e2e_job_file "$queue" "$job")" "$3"
    : >"$(e2e_job_file "$queue" "$job")"
    elapsed "$2" "$(close_time "$job")" >>"$4"
    echo >>"$4"
}

upgrade_once() {
    local before t0
    before=$(e2e_job_count "$queue")
    t0=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$cli" upgrade "$work/upgrade.bin" --printer "$queue" \
        --yes >/dev/null
    record_job "$before" "$t0" "$work/upgrade.bin" "$work/upgrade.s"
    cat "$work/rss" >>"$work/rss.kib"
}

lp_once() {
    local before t0
    before=$(e2e_job_count "$queue")
    t0=$(now)
    lp -d "$queue" -o raw "$work/upgrade.bin" >/dev/null
    record_job "$before" "$t0" "$work/upgrade.bin" "$work/lp.s"
}

# (1) and (2): the program and lp in turn, each first in every other repeat.
: >"$work/upgrade.s"
: >"$work/lp.s"
: >"$work/rss.kib"
for i in $(seq 1 "$repeats"); do
    if [ $((i % 2)) -eq 1 ]; then
        upgrade_once
        lp_once
    else
        lp_once
        upgrade_once
    fi
    echo "run $i: upgrade $(tail -n 1 "$work/upgrade.s") s, lp $(tail -n 1 "$work/lp.s") s," \
        "peak RSS $(tail -n 1 "$work/rss.kib") KiB" >&2
done

# (3) forms 1 to N: from the start to the Nth job's last byte, and until the submitting side is
# done (the program exits; the last lp exits). lp sends the very bytes the program sent.
: >"$work/forms.s"
: >"$work/forms_submit.s"
: >"$work/lpforms.s"
: >"$work/lpforms_submit.s"
for i in $(seq 1 "$repeats"); do
    before=$(e2e_job_count "$queue")
    t0=$(now)
    "$cli" forms "1-$forms" --printer "$queue" >/dev/null
    elapsed "$t0" "$(now)" >>"$work/forms_submit.s"
    echo >>"$work/forms_submit.s"
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$before" "$forms" 600
    elapsed "$t0" "$(close_time $((before + forms)))" >>"$work/forms.s"
    echo >>"$work/forms.s"
    if [ "$i" -eq 1 ]; then
        keep_forms "$before" "$forms" "$work/forms"
    fi

    before=$(e2e_job_count "$queue")
    t0=$(now)
    for n in $(seq 1 "$forms"); do
        lp -d "$queue" -o raw "$work/forms/$n.pcl" >/dev/null
    done
    elapsed "$t0" "$(now)" >>"$work/lpforms_submit.s"
    echo >>"$work/lpforms_submit.s"
    E2E_SURPLUS_GRACE=0 e2e_wait_jobs "$queue" "$before" "$forms" 600
    elapsed "$t0" "$(close_time $((before + forms)))" >>"$work/lpforms.s"
    echo >>"$work/lpforms.s"
    e2e_assert_job_file "$(e2e_job_file "$queue" $((before + forms)))" "$work/forms/$forms.pcl"
    echo "run $i: forms $(tail -n 1 "$work/forms.s") s (submitted in" \
        "$(tail -n 1 "$work/forms_submit.s") s), lp $(tail -n 1 "$work/lpforms.s") s" \
        "(submitted in $(tail -n 1 "$work/lpforms_submit.s") s)" >&2
done

m_up=$(median <"$work/upgrade.s")
m_lp=$(median <"$work/lp.s")
m_rss=$(median <"$work/rss.kib")
m_forms=$(median <"$work/forms.s")
m_lpforms=$(median <"$work/lpforms.s")
m_forms_submit=$(median <"$work/forms_submit.s")
m_lpforms_submit=$(median <"$work/lpforms_submit.s")
cat <<EOT
machine: $(nproc) cores, $(awk '/MemTotal/ {print $2}' /proc/meminfo) KiB, load average $(cut -d' ' -f1-3 /proc/loadavg)
(1) ${size_mib} MiB upgrade, start to last byte: $m_up s; lp -o raw: $m_lp s; $(ratio "$m_up" "$m_lp") x lp (goal <= 1.05)
(2) peak RSS: $m_rss KiB; file $((size / 1024)) KiB; file + $((m_rss - size / 1024)) KiB (goal <= file + 8192 KiB)
(3) forms 1-$forms, the command: $m_forms_submit s; $forms lp commands: $m_lpforms_submit s; $(ratio "$m_forms_submit" "$m_lpforms_submit") x lp (goal <= 0.3)
    to the last job's last byte (cupsd's pace): $m_forms s; $forms x lp: $m_lpforms s; $(ratio "$m_forms" "$m_lpforms") x lp
repeats: $repeats; all: upgrade $(paste -sd' ' "$work/upgrade.s"); lp $(paste -sd' ' "$work/lp.s"); rss $(paste -sd' ' "$work/rss.kib"); forms $(paste -sd' ' "$work/forms.s"); lp forms $(paste -sd' ' "$work/lpforms.s"); forms submit $(paste -sd' ' "$work/forms_submit.s"); lp forms submit $(paste -sd' ' "$work/lpforms_submit.s")
EOT
