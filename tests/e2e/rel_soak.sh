#!/usr/bin/env bash
# One running program under sustained use: a range of 1000 forms, then 50 upgrades of 1 MiB in a
# row. Every job arrives once, in order, byte for byte, and the program's resident memory and
# open file descriptors after the last upgrade stay within 5% of what they were after the first.
# Windows handle counts cannot be had under Wine 8 (GetProcessHandleCount and GetGuiResources
# report 0 for every process), so the descriptors of the Wine process stand in for them.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

queue=$RIG_QUEUE_VIRTUAL
forms=1000
upgrades=50
size=1048576
APP_BOX_TIMEOUT=120
app_work_dir rel_soak

# The Linux process of the program in the rig's prefix (the wine launcher becomes it).
program_pid() {
    local pid found=
    for pid in $(pgrep -f 'Tessaline\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" ||
            continue
        [ -z "$found" ] || e2e_fail "more than one Tessaline.exe in $WINEPREFIX: $found $pid"
        found=$pid
    done
    [ -n "$found" ] || e2e_fail "no Tessaline.exe process in $WINEPREFIX"
    echo "$found"
}
rss_kib() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }
fd_count() { find "/proc/$1/fd" -mindepth 1 -maxdepth 1 | wc -l; }

# within_5_percent WHAT FIRST AFTER
within_5_percent() {
    local what=$1 first=$2 after=$3 diff
    diff=$((after - first))
    [ "$diff" -lt 0 ] && diff=$((-diff))
    [ $((diff * 100)) -le $((first * 5)) ] ||
        e2e_fail "$what after $upgrades upgrades is $after, after the first $first (more than 5% apart)"
}

app_reset_settings # Letter (2), portrait (0)
app_start
select_printer "$queue"
pid=$(program_pid)

# ---- 1000 forms ----

started=$SECONDS
before=$(e2e_job_count "$queue")
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "1-$forms"
drv click "$APP_CAPTION" "$IDC_MAIN_PRINT" --timeout 600
submitted=$((SECONDS - started))
e2e_wait_jobs "$queue" "$before" "$forms" 600
for ((k = 1; k <= forms; k++)); do
    app_form_job 2 0 "$k" >"$work/form"
    job=$(e2e_job_file "$queue" $((before + k)))
    cmp -s "$job" "$work/form" ||
        e2e_fail "job $k of the range is not form $k: $(e2e_hex "$job")"
done
e2e_note "forms: $forms jobs submitted in ${submitted}s, all arrived and checked by $((SECONDS - started))s"

# ---- 50 upgrades ----

complete="Printing Complete~$(sent_text "$size")~0x40"
started=$SECONDS
for ((round = 1; round <= upgrades; round++)); do
    # New contents every round: a job carrying an earlier round's bytes shows.
    head -c "$size" /dev/urandom >"$work/upgrade.bin"
    before=$(e2e_job_count "$queue")
    upgrade_file "round $round" "$work/upgrade.bin" "$complete"
    e2e_wait_jobs "$queue" "$before" 1 60
    e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/upgrade.bin"
    if [ "$round" -eq 1 ]; then
        first_rss=$(rss_kib "$pid")
        first_fds=$(fd_count "$pid")
    fi
done
after_rss=$(rss_kib "$pid")
after_fds=$(fd_count "$pid")
e2e_note "upgrades: $upgrades rounds in $((SECONDS - started))s"
e2e_note "VmRSS after round 1: $first_rss KiB, after round $upgrades: $after_rss KiB"
e2e_note "open fds after round 1: $first_fds, after round $upgrades: $after_fds"
e2e_assert_eq "program process" "$pid" "$(program_pid)"
within_5_percent "VmRSS (KiB)" "$first_rss" "$after_rss"
within_5_percent "open file descriptors" "$first_fds" "$after_fds"

app_exit
