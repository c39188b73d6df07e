#!/usr/bin/env bash
# Runs one printer of tests/lib/ipp_firmware.sh and plays what an upgrade file does to it.
# Started by ipp_firmware_printer as `ipp_firmware_supervisor.sh NAME DIR`, with the rig's
# variables; the printer's settings are in DIR. Writes the printer's PID file, and its uri and
# port files once it answers. Ends on TERM, INT or HUP, stopping the printer it runs; ends too
# when the printer ends by itself, or goes for good (--after gone).
set -uo pipefail
name=$1
dir=$2
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/ipp_firmware.sh"
# shellcheck source=/dev/null
source "$dir/settings"
log=$(ipp_printer_log "$name")
pid_file=$RIG_DIR/pids/ipp-$name
printer=
port=
uri=
boot=0
handled=0
stopping=
# The printer ends with its supervisor, even one that was killed outright.
IPP_LAUNCH_PREFIX="setpriv --pdeathsig TERM"
export TESSALINE_RIG_SUPERVISOR=$$ TESSALINE_RIG_PRINTER_DIR=$dir

note() { echo "$EPOCHREALTIME supervisor: $*" >>"$log"; }

trap 'stopping=1' TERM INT HUP
# A job command saw an upgrade file: the trap only cuts the wait for the printer short.
trap ':' USR1

stop_printer() {
    [ -n "$printer" ] || return 0
    rm -f "$pid_file"
    wait_end_process "$printer" TERM
    printer=
}

# finish STATUS WHY
finish() {
    stop_printer
    note "$2"
    [ "$(cat "$pid_file.supervisor" 2>/dev/null)" != $$ ] || rm -f "$pid_file.supervisor"
    exit "$1"
}

# pause SECONDS: false when a stop came first. One sleep, waited for: the stop's trap ends the
# wait at once, where polling would cost a fleet of printers CPU for every tenth of a second.
pause() {
    local nap
    sleep "$1" &
    nap=$!
    while [ -z "$stopping" ] && kill -0 "$nap" 2>/dev/null; do
        wait "$nap"
    done
    kill "$nap" 2>/dev/null
    wait "$nap" 2>/dev/null
    [ -z "$stopping" ]
}

# What it runs, "COMPONENT VERSION" lines joined by commas. Builtins only: a fleet restarts
# hundreds of printers at once on the CPUs of the program under test.
firmware() {
    local lines IFS=,
    mapfile -t lines <"$dir/firmware"
    [ "${#lines[@]}" -gt 0 ] || lines=("no firmware")
    echo "${lines[*]}"
}

# start PORT: one start of the printer, at the firmware it runs now. Noted first, so that the
# note is there once the printer answers.
start() {
    ipp_firmware_attributes "$dir" >"$dir/attributes.conf"
    note "start $((boot + 1)) on port $1: $(firmware)"
    if ! ipp_printer_launch "$name" "$1" -a "$dir/attributes.conf" \
        -c "$IPP_FIRMWARE_LIB/ipp_firmware_job.sh"; then
        note "start $((boot + 1)) failed"
        return 1
    fi
    printer=$IPP_LAUNCHED_PID
    boot=$((boot + 1))
    echo "$printer" >"$pid_file"
    ipp_printer_addressed "$name" "$1"
    uri=$(ipp_printer_uri "$name")
}

# The job has ended, or there is no more reason to wait for it.
job_ended() {
    [ -n "$stopping" ] || ! ipp_jobs "$uri" not-completed | grep -q "^$1 "
}

# Documents of this start, renamed before the next start's job numbers meet them.
keep_documents() {
    local file
    for file in "$dir"/jobs/[0-9]*-*; do
        [ -f "$file" ] && mv "$file" "$dir/jobs/boot$boot-${file##*/}"
    done
}

# set_version COMPONENT VERSION: false, changing nothing, for a component it does not run.
set_version() {
    awk -v c="$1" -v v="$2" '$1 == c { $2 = v; found = 1 } { print }
        END { exit !found }' "$dir/firmware" >"$dir/firmware.new" &&
        mv "$dir/firmware.new" "$dir/firmware"
}

# take JOB VERSION COMPONENT: what an upgrade file does to the printer.
take() {
    local job=$1 version=$2 component=$3 attempt
    note "job $job names $component $version"
    if [ "$after" = keep ]; then
        note "keeps $(firmware)"
        return 0
    fi
    # The job ends, as completed, before the printer goes.
    wait_until 10 job_ended "$job" || note "job $job has not ended after 10 s"
    pause "$hold" || return 0
    stop_printer
    keep_documents
    [ "$after" != gone ] || finish 0 "gone for good after job $job"
    if ! [[ "$version" =~ $IPP_FIRMWARE_WORD ]]; then
        note "'$version' is not a version: keeps $(firmware)"
    elif ! set_version "$component" "$version"; then
        note "runs no $component: keeps $(firmware)"
    fi
    note "restarts in $delay s"
    pause "$delay" || return 0
    for attempt in 1 2 3 4 5; do
        start "$port" && return 0
        pause 0.5 || return 0
    done
    finish 1 "could not start again on port $port"
}

rm -f "$dir/handled"
for attempt in 1 2 3 4 5; do
    port=$(ipp_free_port) || finish 1 "no free port"
    start "$port" && break
    port=
done
[ -n "$port" ] || finish 1 "did not start"

while :; do
    [ -z "$stopping" ] || finish 0 "stopped"
    mapfile -t received <"$dir/received"
    if [ "${#received[@]}" -gt "$handled" ]; then
        read -r job version component <<<"${received[$handled]}"
        handled=$((handled + 1))
        echo "$handled" >"$dir/handled"
        take "$job" "$version" "$component"
        continue
    fi
    # Returns when the printer ends, or at once on a signal with a trap.
    wait "$printer"
    if [ -z "$stopping" ] && ! kill -0 "$printer" 2>/dev/null; then
        printer=
        finish 1 "the printer ended by itself"
    fi
done
