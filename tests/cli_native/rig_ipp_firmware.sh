#!/usr/bin/env bash
# The rig's printers that report firmware: each kind answers Get-Printer-Attributes with what it
# should; an upgrade file restarts the applying printers at the file's version, leaves the
# refusing one as it was and takes the vanishing one away for good; a stop during a restart, and
# the stop of them all, leave no printer and no supervisor running.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
FORMATS=$PCL,application/octet-stream,application/postscript
OLD=1.0.0
NEW=2.1.0
DELAY=2

# NAME|KIND ARGS|firmware names|versions|patches, as ipptool shows them
printers=(
    "Fw_Applying|applying $OLD $DELAY|Module|$OLD|"
    "Fw_Current|current $NEW $DELAY|Module|$NEW|"
    "Fw_Refusing|refusing $OLD|Module|$OLD|"
    "Fw_Vanishing|vanishing $OLD|Module|$OLD|"
    "Fw_Two|two_components 3.0.0 $OLD $DELAY|Engine,Module|3.0.0,$OLD|,"
    "Fw_None|without||||"
    "Fw_Stopped|applying $OLD 30|Module|$OLD|"
)

attributes() { ipp_printer_attributes "$(cli_ipp_uri "$1")" || e2e_fail "$1 does not answer"; }
attribute() { ipp_attribute "$(attributes "$1")" "$2"; }
up_time_over() { [ "$(attribute "$1" printer-up-time)" -gt "$2" ]; }
reports() {
    local lines
    lines=$(ipp_printer_attributes "$(cli_ipp_uri "$1")" 2>/dev/null) &&
        [ "$(ipp_attribute "$lines" printer-firmware-string-version)" = "$2" ]
}
answers() { ipp_printer_attributes "$(cli_ipp_uri "$1")" >/dev/null 2>&1; }
supervisor_notes() { sed -n 's/^[0-9.]* supervisor: //p' "$(ipp_printer_log "$1")"; }

# ---- each kind reports its firmware ----

for row in "${printers[@]}"; do
    IFS='|' read -r name kind names versions patches <<<"$row"
    read -r -a words <<<"$kind"
    cli_ipp_firmware "${words[0]}" "$name" "${words[@]:1}"
    lines=$(attributes "$name")
    for pair in "printer-firmware-name=$names" "printer-firmware-string-version=$versions" \
        "printer-firmware-version=$versions" "printer-firmware-patches=$patches" \
        "printer-make-and-model=Korvane Test Printer" "printer-state=idle" \
        "printer-state-reasons=none" "document-format-supported=$FORMATS"; do
        e2e_assert_eq "$name: ${pair%%=*}" "${pair#*=}" "$(ipp_attribute "$lines" "${pair%%=*}")"
    done
    [ -n "$names" ] || e2e_assert_eq "$name: firmware attributes" "" "$(grep firmware <<<"$lines")"
done

# ---- an upgrade file to each: sent by IPP, or through a CUPS queue ----

ipp_firmware_file "$work/upgrade.bin" "$NEW"
ipp_firmware_file "$work/engine.bin" 3.1.0 Engine
cli_ipp_queue Fw_Two_Queue Fw_Two
declare -A up_before port_before
for name in Fw_Applying Fw_Current Fw_Refusing Fw_Two; do
    # From 3 s on, so that a restart shows as a lower up time.
    wait_until 10 up_time_over "$name" 2 || e2e_fail "$name: up time stays under 3 s"
    up_before[$name]=$(attribute "$name" printer-up-time)
    port_before[$name]=$(ipp_printer_port "$name")
done
# As PCL, and as application/octet-stream, whose type ippeveprinter guesses from "%!".
for send in Fw_Applying:$PCL Fw_Current:application/octet-stream Fw_Refusing:$PCL \
    Fw_Vanishing:$PCL Fw_Stopped:$PCL; do
    name=${send%%:*}
    ipptool -T 5 -t -f "$work/upgrade.bin" -d "filetype=${send#*:}" "$(cli_ipp_uri "$name")" \
        /usr/share/cups/ipptool/print-job.test >"$work/print-$name.log" 2>&1 ||
        e2e_fail "$name: Print-Job failed: $(cat "$work/print-$name.log")"
done
# A raw job, as the program sends one to a queue.
lp -d Fw_Two_Queue -o raw "$work/engine.bin" >/dev/null || e2e_fail "Fw_Two: lp failed"

# NAME|firmware names|versions after|supervisor's notes
after=(
    "Fw_Applying|Module|$NEW|start 1 on port P: Module $OLD
job 1 names Module $NEW
restarts in $DELAY s
start 2 on port P: Module $NEW"
    "Fw_Current|Module|$NEW|start 1 on port P: Module $NEW
job 1 names Module $NEW
restarts in $DELAY s
start 2 on port P: Module $NEW"
    "Fw_Two|Engine,Module|3.1.0,$OLD|start 1 on port P: Engine 3.0.0,Module $OLD
job 1 names Engine 3.1.0
restarts in $DELAY s
start 2 on port P: Engine 3.1.0,Module $OLD"
)
for row in "${after[@]}"; do
    IFS='|' read -r -d '' name names versions notes <<<"$row" || true
    notes=${notes%$'\n'}
    wait_until $((DELAY + 10)) reports "$name" "$versions" ||
        e2e_fail "$name: still $(attribute "$name" printer-firmware-string-version)"
    lines=$(attributes "$name")
    e2e_assert_eq "$name: names after" "$names" "$(ipp_attribute "$lines" printer-firmware-name)"
    e2e_assert_eq "$name: versions after" "$versions" \
        "$(ipp_attribute "$lines" printer-firmware-version)"
    up=$(ipp_attribute "$lines" printer-up-time)
    [ "$up" -lt "${up_before[$name]}" ] ||
        e2e_fail "$name: up time $up after the restart, ${up_before[$name]} before"
    e2e_assert_eq "$name: port after" "${port_before[$name]}" "$(ipp_printer_port "$name")"
    e2e_assert_eq "$name: supervisor" "$notes" \
        "$(supervisor_notes "$name" | sed 's/port [0-9]*/port P/')"
    # From the stop to the new start, in tenths of a second.
    gap=$(awk '/ supervisor: restarts in / { t = $1 } / supervisor: start 2 / { print int(($1 - t) * 10) }' \
        "$(ipp_printer_log "$name")")
    [ "$gap" -ge $((DELAY * 10)) ] || e2e_fail "$name: restarted $gap tenths of a second after its stop"
done
# What the first start kept, renamed before the second start's job 1.
for send in Fw_Applying:upgrade Fw_Current:upgrade Fw_Two:engine; do
    name=${send%%:*}
    document=$(cli_only_document "$name" "$name")
    [[ "${document##*/}" == boot1-1-* ]] || e2e_fail "$name: kept $document"
    cli_assert_same_file "$name" "$document" "$work/${send#*:}.bin"
done

# The refusing printer took the file and runs on as it was.
cli_assert_same_file Fw_Refusing "$(cli_only_document Fw_Refusing Fw_Refusing)" \
    "$work/upgrade.bin"
e2e_assert_eq "Fw_Refusing: version after" "$OLD" \
    "$(attribute Fw_Refusing printer-firmware-string-version)"
up=$(attribute Fw_Refusing printer-up-time)
[ "$up" -ge "${up_before[Fw_Refusing]}" ] ||
    e2e_fail "Fw_Refusing: up time $up after, ${up_before[Fw_Refusing]} before: it restarted"

# The vanishing one took the file, stopped, and stays away past the others' restart.
wait_until 10 eval '! answers Fw_Vanishing' || e2e_fail "Fw_Vanishing: still answers"
sleep $((DELAY + 1))
! answers Fw_Vanishing || e2e_fail "Fw_Vanishing: came back"
cli_assert_same_file Fw_Vanishing "$(cli_only_document Fw_Vanishing Fw_Vanishing)" \
    "$work/upgrade.bin"
e2e_assert_eq "Fw_Vanishing: supervisor" "job 1 names Module $NEW
gone for good after job 1" "$(supervisor_notes Fw_Vanishing | tail -n 2)"

# ---- stops leave nothing running ----

# A printer's ippeveprinter and supervisor both name its folder.
running() { pgrep -f -- "$(ipp_dir "$1")(/| |\$)" || true; }

# Fw_Stopped is stopped while it waits to restart.
wait_until 10 eval '! answers Fw_Stopped' || e2e_fail "Fw_Stopped: did not stop for its restart"
started=$SECONDS
ipp_printer_stop Fw_Stopped
e2e_assert_eq "Fw_Stopped: took under 3 s to stop" 1 $((SECONDS - started < 3))
e2e_assert_eq "Fw_Stopped: processes left" "" "$(running Fw_Stopped)"
e2e_assert_eq "Fw_Stopped: last note" "stopped" "$(supervisor_notes Fw_Stopped | tail -n 1)"

for row in "${printers[@]}"; do
    name=${row%%|*}
    ipp_printer_stop "$name"
    e2e_assert_eq "$name: processes left" "" "$(running "$name")"
    e2e_assert_eq "$name: PID files left" "" \
        "$(ls -d "$RIG_DIR/pids/ipp-$name" "$RIG_DIR/pids/ipp-$name.supervisor" 2>/dev/null || true)"
done

# ---- a fleet starts, answers, and is stopped as the rig stops what is left ----

fleet=$(ipp_firmware_fleet Fw_Fleet 12 --component "Module $OLD") || e2e_fail "fleet: $fleet"
e2e_assert_eq "fleet: names" "$(printf 'Fw_Fleet_%03d\n' $(seq 1 12))" "$fleet"
e2e_assert_eq "fleet: last one's version" "$OLD" \
    "$(attribute Fw_Fleet_012 printer-firmware-string-version)"
ipp_printers_stop_recorded
e2e_assert_eq "fleet: processes left" "" "$(pgrep -f -- "$(ipp_dir Fw_Fleet_)" || true)"
e2e_assert_eq "fleet: PID files left" "" "$(compgen -G "$RIG_DIR/pids/ipp-*" || true)"

echo "all checks passed"
