#!/usr/bin/env bash
# upgrade --expect-version over every kind of printer that reports firmware, a queue in front of
# one of them and a socket queue: the printers' own logs and files tell who was sent the file,
# the JSON lines what each ended as. The same command again sends only to the printer that still
# reports the old version. Then inventory over the same printers: table, JSON and CSV.
source "$(dirname "$0")/lib/cli_ipp.sh"

OLD=1.0.0
NEW=2.1.0
TIMEOUT=20
SIZE=4096
SOCKET=$RIG_QUEUE_VIRTUAL
QUEUE=Fw_Queue

# Fw_Queued is reached only through $QUEUE. Those reached by address stay up a second once their
# job has ended, so that the job is seen to end before they go; Fw_Vanishing three, so that the
# first ask after the job still finds it.
names=(Fw_Applying Fw_Queued Fw_Refusing Fw_Vanishing Fw_Current Fw_Two Fw_None)
held=(--hold 1)
cli_ipp_firmware printer Fw_Applying --component "Module $OLD" --after apply "${held[@]}"
cli_ipp_firmware applying Fw_Queued "$OLD"
cli_ipp_firmware refusing Fw_Refusing "$OLD"
cli_ipp_firmware printer Fw_Vanishing --component "Module $OLD" --after gone --hold 3
cli_ipp_firmware current Fw_Current "$NEW"
cli_ipp_firmware printer Fw_Two --component "Engine 3.0.0" --component "Module $OLD" \
    --after apply "${held[@]}"
cli_ipp_firmware without Fw_None
cli_ipp_queue "$QUEUE" Fw_Queued
for name in "${names[@]}"; do
    [ "$name" = Fw_Queued ] || cli_ipp_uri "$name"
done >"$work/printers.txt"
printf '%s\n' "$QUEUE" "$SOCKET" >>"$work/printers.txt"
ipp_firmware_file "$work/upgrade.bin" "$NEW" "" "$SIZE"
socket_jobs=$(e2e_job_count "$SOCKET")

# Ports become <NAME>, so that lines compare whole.
ports() {
    local text name
    text=$(cat)
    for name in "${names[@]}"; do
        text=$(sed -E "s/localhost:$(ipp_printer_port "$name")\b/localhost:<$name>/g" <<<"$text")
    done
    echo "$text"
}
# An upgrade's lines, steady; the cupsd's job number becomes J.
steady() { json_steady "$1" | sed -E '/"uri":null/ s/"job":[0-9]+/"job":J/' | ports; }
at() { echo "ipp://localhost:<$1>/ipp/print"; }

# upgrade_line PRINTER STAGE JOB MESSAGE BEFORE AFTER: one printer's object; a JOB of null means
# it was not sent the file, a BEFORE of null that no Module was found. MESSAGE, BEFORE and AFTER
# as JSON.
upgrade_line() {
    local printer=\"$1\" uri=null written=0 datatype=null state=null reasons=null seconds=null
    local component='"Module"'
    [[ "$1" != ipp://* ]] || uri=$printer
    [ "$5" != null ] || component=null
    [ "$3" = null ] || written=$SIZE datatype='"RAW"' state='"Completed"' reasons=R seconds=S
    echo '{"printer":'"$printer"',"uri":'"$uri"',"stage":"'"$2"'","size":'"$SIZE"',"written":'"$written"',"datatype":'"$datatype"',"job":'"$3"',"state":'"$state"',"state_reasons":'"$reasons"',"message":'"$4"',"seconds":'"$seconds"',"component":'"$component"',"version_before":'"$5"',"version_after":'"$6"'}'
}

run_upgrade() {
    local started=$SECONDS
    cli_run upgrade "$work/upgrade.bin" --printers-file "$work/printers.txt" --yes --json \
        --expect-version "$NEW" --component Module --parallel 4 --verify-timeout "$TIMEOUT"
    e2e_note "$1: $((SECONDS - started)) s"
    e2e_assert_eq "$1: exit code (stderr: $CLI_ERR)" 11 "$CLI_RC"
    e2e_assert_eq "$1: standard error" "" "$CLI_ERR"
}

# What each printer's job command saw, and the supervisor's notes about jobs, one line each.
jobs_seen() {
    local name
    for name in "${names[@]}"; do
        echo "$name received: $(paste -sd';' "$(ipp_dir "$name")/received")"
        echo "$name notes: $(sed -n 's/^[0-9.]* supervisor: \(job\|restarts\|gone\)/\1/p' \
            "$(ipp_printer_log "$name")" | paste -sd';')"
    done
}
documents() {
    local name
    for name in "${names[@]}"; do
        ipp_printer_documents "$name"
    done
}

assert_kept() {
    local name=$1 count=$2 docs document
    docs=$(ipp_printer_documents "$name")
    e2e_assert_eq "$name: documents kept" "$count" "$(grep -c . <<<"$docs" || true)"
    for document in $docs; do
        cli_assert_same_file "$name" "$document" "$work/upgrade.bin"
    done
}

# ---- first run: the file to those that run the old version ----

run_upgrade "first run"
not_verified="\"the printer reports $OLD for Module, not $NEW, $TIMEOUT s after the upgrade (before it: $OLD)\""
no_answer="\"the printer did not answer again within $TIMEOUT s after the upgrade\""
no_firmware='"the printer reports no firmware components"'
socket_message='"no IPP address: the printer cannot be asked"'
e2e_assert_eq "first run: objects" "$(sort <<EOF
$(upgrade_line "$(at Fw_Applying)" Verified 1 null "\"$OLD\"" "\"$NEW\"")
$(upgrade_line "$QUEUE" Verified J null "\"$OLD\"" "\"$NEW\"")
$(upgrade_line "$(at Fw_Refusing)" NotVerified 1 "$not_verified" "\"$OLD\"" "\"$OLD\"")
$(upgrade_line "$(at Fw_Vanishing)" NotVerified 1 "$no_answer" "\"$OLD\"" "\"$OLD\"")
$(upgrade_line "$(at Fw_Current)" AlreadyCurrent null null "\"$NEW\"" null)
$(upgrade_line "$(at Fw_Two)" Verified 1 null "\"$OLD\"" "\"$NEW\"")
$(upgrade_line "$(at Fw_None)" NotVerifiable null "$no_firmware" null null)
$(upgrade_line "$SOCKET" NotVerifiable null "$socket_message" null null)
EOF
)" "$(steady "$CLI_OUT" | sort)"

seen="Fw_Applying received: 1 $NEW Module
Fw_Applying notes: job 1 names Module $NEW;restarts in 2 s
Fw_Queued received: 1 $NEW Module
Fw_Queued notes: job 1 names Module $NEW;restarts in 2 s
Fw_Refusing received: 1 $NEW Module
Fw_Refusing notes: job 1 names Module $NEW
Fw_Vanishing received: 1 $NEW Module
Fw_Vanishing notes: job 1 names Module $NEW;gone for good after job 1
Fw_Current received: 
Fw_Current notes: 
Fw_Two received: 1 $NEW Module
Fw_Two notes: job 1 names Module $NEW;restarts in 2 s
Fw_None received: 
Fw_None notes: "
e2e_assert_eq "first run: what the printers saw" "$seen" "$(jobs_seen)"
for sent in Fw_Applying:1 Fw_Queued:1 Fw_Refusing:1 Fw_Vanishing:1 Fw_Current:0 Fw_Two:1 \
    Fw_None:0; do
    assert_kept "${sent%:*}" "${sent#*:}"
done
e2e_assert_eq "first run: socket queue's jobs" "$socket_jobs" "$(e2e_job_count "$SOCKET")"

# ---- the same command again: only the refusing printer, still at the old version ----

others() { grep -v "^$(ipp_printer_jobs Fw_Refusing)/" || true; }
kept=$(documents | others)
run_upgrade "second run"
unreachable='"the printer at localhost:<Fw_Vanishing> could not be reached"'
e2e_assert_eq "second run: objects" "$(sort <<EOF
$(upgrade_line "$(at Fw_Applying)" AlreadyCurrent null null "\"$NEW\"" null)
$(upgrade_line "$QUEUE" AlreadyCurrent null null "\"$NEW\"" null)
$(upgrade_line "$(at Fw_Refusing)" NotVerified 2 "$not_verified" "\"$OLD\"" "\"$OLD\"")
$(upgrade_line "$(at Fw_Vanishing)" NotVerifiable null "$unreachable" null null)
$(upgrade_line "$(at Fw_Current)" AlreadyCurrent null null "\"$NEW\"" null)
$(upgrade_line "$(at Fw_Two)" AlreadyCurrent null null "\"$NEW\"" null)
$(upgrade_line "$(at Fw_None)" NotVerifiable null "$no_firmware" null null)
$(upgrade_line "$SOCKET" NotVerifiable null "$socket_message" null null)
EOF
)" "$(steady "$CLI_OUT" | sort)"
e2e_assert_eq "second run: what the printers saw" "$(sed \
    -e "s/^Fw_Refusing received: .*/&;2 $NEW Module/" \
    -e "s/^Fw_Refusing notes: .*/&;job 2 names Module $NEW/" <<<"$seen")" "$(jobs_seen)"
e2e_assert_eq "second run: documents kept" "$kept" "$(documents | others)"
assert_kept Fw_Refusing 2
e2e_assert_eq "second run: socket queue's jobs" "$socket_jobs" "$(e2e_job_count "$SOCKET")"

# ---- inventory over the same printers, now ----

gone="the printer at localhost:<Fw_Vanishing> could not be reached"
no_address="no IPP address: the printer cannot be asked"

# Columns split where the table pads them; the up time is U.
cli_run inventory --printers-file "$work/printers.txt"
e2e_assert_eq "inventory: exit code (stderr: $CLI_ERR)" 4 "$CLI_RC"
e2e_assert_eq "inventory: standard error" "" "$CLI_ERR"
row() { echo "$(at "$1")|$2|$3|$4|$(at "$1")"; }
e2e_assert_eq "inventory: table" "PRINTER|COMPONENT|VERSION|STATE|UP|ASKED AT / MESSAGE
$(row Fw_Applying Module "$NEW" "idle|U s")
$(row Fw_Refusing Module "$OLD" "idle|U s")
$(at Fw_Vanishing)|-|-|-|-|$gone
$(row Fw_Current Module "$NEW" "idle|U s")
$(row Fw_Two Engine 3.0.0 "idle|U s")
$(row Fw_Two Module "$NEW" "idle|U s")
$(row Fw_None - - "idle|U s")
$QUEUE|Module|$NEW|idle|U s|$(at Fw_Queued)
$SOCKET|-|-|-|-|$no_address" "$(ports <<<"$CLI_OUT" | sed -E 's/ {2,}/|/g; s/\|[0-9]+ s\|/|U s|/')"

# Objects and records come as each printer answers.
cli_run inventory --printers-file "$work/printers.txt" --json
e2e_assert_eq "inventory --json: exit code (stderr: $CLI_ERR)" 4 "$CLI_RC"
e2e_assert_eq "inventory --json: standard error" "" "$CLI_ERR"
module() { echo '{"name":"'"$1"'","version":"'"$2"'","patches":""}'; }
answered() {
    echo '{"printer":'"$1"',"asked_at":"'"$(at "$2")"'","make_and_model":"Korvane Test Printer","components":['"$3"'],"state":"idle","state_reasons":[],"up_time":U,"message":null}'
}
not_asked() {
    echo '{"printer":"'"$1"'","asked_at":'"$2"',"make_and_model":null,"components":null,"state":null,"state_reasons":null,"up_time":null,"message":"'"$3"'"}'
}
e2e_assert_eq "inventory --json: objects" "$(sort <<EOF
$(answered "\"$(at Fw_Applying)\"" Fw_Applying "$(module Module "$NEW")")
$(answered "\"$(at Fw_Refusing)\"" Fw_Refusing "$(module Module "$OLD")")
$(not_asked "$(at Fw_Vanishing)" "\"$(at Fw_Vanishing)\"" "$gone")
$(answered "\"$(at Fw_Current)\"" Fw_Current "$(module Module "$NEW")")
$(answered "\"$(at Fw_Two)\"" Fw_Two "$(module Engine 3.0.0),$(module Module "$NEW")")
$(answered "\"$(at Fw_None)\"" Fw_None "")
$(answered "\"$QUEUE\"" Fw_Queued "$(module Module "$NEW")")
$(not_asked "$SOCKET" null "$no_address")
EOF
)" "$(ports <<<"$CLI_OUT" | sed -E 's/"up_time":[0-9]+/"up_time":U/' | sort)"

# A restart shows as a lower up time than that of a printer started before it.
up_time() { grep -F "\"asked_at\":\"$(at "$1")\"" | sed -E 's/.*"up_time":([0-9]+).*/\1/'; }
answers=$(ports <<<"$CLI_OUT")
for name in Fw_Applying Fw_Queued Fw_Two; do
    [ "$(up_time "$name" <<<"$answers")" -lt "$(up_time Fw_Refusing <<<"$answers")" ] ||
        e2e_fail "inventory --json: $name did not restart: $answers"
done

cli_run inventory --printers-file "$work/printers.txt" --csv
e2e_assert_eq "inventory --csv: exit code (stderr: $CLI_ERR)" 4 "$CLI_RC"
e2e_assert_eq "inventory --csv: standard error" "" "$CLI_ERR"
e2e_assert_eq "inventory --csv: lines without CR LF" "" "$(grep -v $'\r$' <<<"$CLI_OUT" || true)"
csv=$(tr -d '\r' <<<"$CLI_OUT" | ports)
e2e_note "inventory --csv:"$'\n'"$csv"
record() { echo "$(at "$1"),$(at "$1"),Korvane Test Printer,$2,$3,,idle,"; }
e2e_assert_eq "inventory --csv: header" "printer,asked_at,make_and_model,component,version,patches,state,message" \
    "$(head -n 1 <<<"$csv")"
e2e_assert_eq "inventory --csv: records" "$(sort <<EOF
$(record Fw_Applying Module "$NEW")
$(record Fw_Refusing Module "$OLD")
$(at Fw_Vanishing),$(at Fw_Vanishing),,,,,,$gone
$(record Fw_Current Module "$NEW")
$(record Fw_Two Engine 3.0.0)
$(record Fw_Two Module "$NEW")
$(record Fw_None "" "")
$QUEUE,$(at Fw_Queued),Korvane Test Printer,Module,$NEW,,idle,
$SOCKET,,,,,,,$no_address
EOF
)" "$(tail -n +2 <<<"$csv" | sort)"

# ---- nothing left running ----

# A printer's ippeveprinter and supervisor both name its folder.
for name in "${names[@]}"; do
    ipp_printer_stop "$name"
    e2e_assert_eq "$name: processes left" "" "$(pgrep -f -- "$(ipp_dir "$name")(/| |\$)" || true)"
done

echo "all checks passed"
