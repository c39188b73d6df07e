# Printers reached by IPP address that report the firmware they run, and that may restart to
# apply an upgrade: ippeveprinters of tests/lib/ipp_printers.sh (same folder, log and PID
# conventions, stopped by ipp_printer_stop and by the rig), each run by a supervisor of its own
# (ipp_firmware_supervisor.sh). ippeveprinter cannot change an attribute while it runs, so an
# upgrade is played by stopping it and starting it again on the same port with new attributes.
#
# A test upgrade file names its version on its first line (the rig's convention, not the
# printers'): "%!TESSALINE-TEST-VERSION VERSION [COMPONENT]", COMPONENT being Module when left
# out. The printer's job command (ipp_firmware_job.sh) notes that line and wakes the supervisor.
# The "%!" is for ippeveprinter: it guesses the type of a document sent as
# application/octet-stream from its first bytes and refuses one it cannot guess; with it, the
# file passes as PostScript, which these printers list, so it arrives whether sent as
# application/octet-stream, under a type they list, or through a CUPS queue (whose ipp backend
# sends a raw job as application/octet-stream). The job command takes the line without it too.
#
# Besides the folder of ipp_printers.sh, each printer NAME has in $RIG_IPP_DIR/NAME:
#   firmware         the components it runs, "COMPONENT VERSION [PATCHES]" a line (patches: a
#                    word; none when left out)
#   attributes.conf  what it reports beyond ippeveprinter's own (ipptool's ATTR lines)
#   received         the upgrade files its job command saw, "JOB VERSION COMPONENT" a line
#   settings         the supervisor's settings (sourced)
# Documents kept by an earlier start are renamed bootN-FILE when it stops, N its start's number
# (1 first): ippeveprinter counts jobs from 1 again after each start. The supervisor notes what
# it does in the printer's log, on lines "TIME supervisor: ...".

declare -F ipp_printer_launch >/dev/null ||
    source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/ipp_printers.sh"

IPP_FIRMWARE_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
IPP_FIRMWARE_TAG=%!TESSALINE-TEST-VERSION
IPP_FIRMWARE_FORMATS=application/vnd.hp-PCL,application/octet-stream,application/postscript
IPP_FIRMWARE_MODEL="Korvane Test Printer"
# A word the attributes file can hold between quotes.
IPP_FIRMWARE_WORD='^[A-Za-z0-9._+-]+$'

# ipp_firmware_printer NAME [options]: starts one; returns once it answers.
#   --component "COMPONENT VERSION [PATCHES]"  one more component (none given: no firmware
#                     attributes at all)
#   --after keep|apply|gone  what an upgrade file does (default keep): nothing; a restart at
#                     the file's version; a stop for good
#   --delay SECONDS   apply: from the stop to the new start (default 2)
#   --hold SECONDS    apply and gone: how long it stays up once the job has ended (default 0)
#   --model TEXT      printer-make-and-model (default "Korvane Test Printer")
#   -f FORMATS        document-format-supported, comma-separated (default PCL, octet-stream
#                     and PostScript)
ipp_firmware_printer() {
    local name=$1 after=keep delay=2 hold=0 model=$IPP_FIRMWARE_MODEL
    local formats=$IPP_FIRMWARE_FORMATS components=() component
    shift
    while [ $# -gt 0 ]; do
        case "$1" in
            --component) components+=("$2") && shift 2 ;;
            --after) after=$2 && shift 2 ;;
            --delay) delay=$2 && shift 2 ;;
            --hold) hold=$2 && shift 2 ;;
            --model) model=$2 && shift 2 ;;
            -f) formats=$2 && shift 2 ;;
            *) echo "ipp_firmware_printer: unknown option $1" >&2 && return 1 ;;
        esac
    done
    ipp_printer_can_start "$name" || return 1
    case "$after" in keep | apply | gone) ;; *)
        echo "ipp: --after takes keep, apply or gone, not '$after'" >&2
        return 1
        ;;
    esac
    [[ "$delay" =~ ^[0-9]+(\.[0-9]+)?$ && "$hold" =~ ^[0-9]+(\.[0-9]+)?$ ]] || {
        echo "ipp: --delay and --hold take seconds, not '$delay' and '$hold'" >&2
        return 1
    }
    for component in "${components[@]}"; do
        ipp_firmware_valid_component "$component" || return 1
    done
    [[ "$model" != *[\"\\]* && "$formats" =~ ^[A-Za-z0-9.+/,-]+$ ]] || {
        echo "ipp: a model without quotes or backslashes and formats as type/subtype,..." >&2
        return 1
    }
    local dir log supervisor
    dir=$(ipp_dir "$name")
    log=$(ipp_printer_log "$name")
    rm -rf "$dir"
    mkdir -p "$dir/jobs" "$dir/tls" "$RIG_DIR/pids" "$RIG_DIR/logs"
    : >"$log"
    : >"$dir/received"
    printf '%s\n' "${components[@]}" | grep . >"$dir/firmware" || true
    {
        printf 'after=%q\ndelay=%q\nhold=%q\n' "$after" "$delay" "$hold"
        printf 'formats=%q\nmodel=%q\n' "$formats" "$model"
    } >"$dir/settings"
    # The folder on its command line, so that the rig's checks can tell whose it is.
    bash "$IPP_FIRMWARE_LIB/$IPP_SUPERVISOR_SCRIPT" "$name" "$dir" </dev/null >>"$log" 2>&1 &
    supervisor=$!
    echo "$supervisor" >"$RIG_DIR/pids/ipp-$name.supervisor"
    if wait_until 30 ipp_firmware_settled "$supervisor" "$dir" && [ -s "$dir/uri" ]; then
        return 0
    fi
    ipp_printer_stop "$name"
    echo "ipp: printer $name did not start; see $log:" >&2
    tail -n 5 "$log" >&2
    return 1
}

# The supervisor has the printer up (its uri is written), or has ended.
ipp_firmware_settled() { [ -s "$2/uri" ] || ! kill -0 "$1" 2>/dev/null; }

# "COMPONENT VERSION [PATCHES]", each word safe to write into the attributes file.
ipp_firmware_valid_component() {
    local words word
    read -r -a words <<<"$1"
    if [ "${#words[@]}" -ge 2 ] && [ "${#words[@]}" -le 3 ]; then
        for word in "${words[@]}"; do
            [[ "$word" =~ $IPP_FIRMWARE_WORD ]] || break
        done
        [[ "$word" =~ $IPP_FIRMWARE_WORD ]] && return 0
    fi
    echo "ipp: component '$1' is not 'COMPONENT VERSION [PATCHES]' of letters, digits, ._+-" >&2
    return 1
}

# ipp_firmware_attributes DIR: the attributes file for the printer's settings and firmware.
# printer-firmware-version is an octetString; written in <hex> form it crashes ippeveprinter, so
# it holds the version's own text.
ipp_firmware_attributes() (
    names=() versions=() patches=()
    # shellcheck source=/dev/null
    source "$1/settings"
    while read -r component version patch; do
        names+=("\"$component\"")
        versions+=("\"$version\"")
        patches+=("\"$patch\"")
    done <"$1/firmware"
    echo "ATTR mimeMediaType document-format-supported \"${formats//,/\",\"}\""
    echo "ATTR text printer-make-and-model \"$model\""
    [ "${#names[@]}" -gt 0 ] || exit 0
    IFS=,
    echo "ATTR name printer-firmware-name ${names[*]}"
    echo "ATTR text printer-firmware-string-version ${versions[*]}"
    echo "ATTR octetString printer-firmware-version ${versions[*]}"
    echo "ATTR text printer-firmware-patches ${patches[*]}"
)

# ipp_firmware_file PATH VERSION [COMPONENT] [SIZE]: a test upgrade file naming that version,
# padded with random bytes to SIZE bytes (default 4096).
ipp_firmware_file() {
    local path=$1 line="$IPP_FIRMWARE_TAG $2${3:+ $3}" size=${4:-4096}
    printf '%s\n' "$line" >"$path"
    head -c $((size > ${#line} + 1 ? size - ${#line} - 1 : 0)) /dev/urandom >>"$path"
}

# The kinds of printer the tests use; VERSION is the module's.
# ipp_firmware_applying NAME VERSION [DELAY]: restarts at the version of a file it took.
ipp_firmware_applying() {
    ipp_firmware_printer "$1" --component "Module $2" --after apply --delay "${3:-2}"
}
# Already current: an applying printer started at the version the test will send.
ipp_firmware_current() { ipp_firmware_applying "$@"; }
# Takes the file and keeps running its old version.
ipp_firmware_refusing() { ipp_firmware_printer "$1" --component "Module $2" --after keep; }
# Stops once it took a file, and never comes back.
ipp_firmware_vanishing() { ipp_firmware_printer "$1" --component "Module $2" --after gone; }
# ipp_firmware_two_components NAME ENGINE MODULE [DELAY]: applies the component a file names.
ipp_firmware_two_components() {
    ipp_firmware_printer "$1" --component "Engine $2" --component "Module $3" --after apply \
        --delay "${4:-2}"
}
# Reports no firmware at all.
ipp_firmware_without() { ipp_firmware_printer "$1" --after keep; }

# ipp_firmware_fleet PREFIX COUNT [ipp_firmware_printer options]: starts COUNT printers,
# PREFIX_001 on, IPP_FLEET_PARALLEL (default 8) at a time, and prints their names; returns once
# every one has answered Get-Printer-Attributes, or non-zero naming those that did not. All at
# once, they would be slower: each start polls its log while the others compete for the CPUs.
ipp_firmware_fleet() {
    local prefix=$1 count=$2 parallel=${IPP_FLEET_PARALLEL:-8} n name pid failed=()
    local -A starting=()
    shift 2
    for n in $(seq 1 "$count"); do
        if [ "${#starting[@]}" -ge "$parallel" ]; then
            wait -n -p pid "${!starting[@]}" || failed+=("${starting[$pid]}")
            unset "starting[$pid]"
        fi
        name=$(printf '%s_%03d' "$prefix" "$n")
        echo "$name"
        ipp_firmware_fleet_member "$name" "$@" &
        starting[$!]=$name
    done
    for pid in "${!starting[@]}"; do
        wait "$pid" || failed+=("${starting[$pid]}")
    done
    [ "${#failed[@]}" -eq 0 ] && return 0
    echo "ipp: ${#failed[@]} of $count printers do not answer: ${failed[*]}" >&2
    return 1
}

ipp_firmware_fleet_member() {
    ipp_firmware_printer "$@" >/dev/null 2>&1 &&
        ipp_printer_attributes "$(ipp_printer_uri "$1")" >/dev/null 2>&1
}

# ipp_printer_queue QUEUE NAME: a raw CUPS queue whose device is the printer NAME, by its
# ipp:// address. The rig's own queues (tests/lib/queue_names.sh) are socket queues in front of
# capture printers.
ipp_printer_queue() {
    local uri
    uri=$(ipp_printer_uri "$2") || return 1
    lpadmin -p "$1" -E -v "$uri" -o printer-error-policy=abort-job
}

# ipp_printer_attributes URI: what the printer answers to ipptool's own
# get-printer-attributes.test, as "NAME (TYPE) = VALUE" lines. The test itself fails on these
# printers (document-format-supported comes twice: the attributes file's, first, and
# ippeveprinter's own), so only the status is judged.
ipp_printer_attributes() {
    local out
    out=$(ipptool -T 5 -tv "$1" /usr/share/cups/ipptool/get-printer-attributes.test 2>&1) || true
    grep -q '^ *status-code = successful-ok ' <<<"$out" || {
        echo "ipp: Get-Printer-Attributes on $1 failed: $(grep -m1 'status-code\|Unable' <<<"$out")" >&2
        return 1
    }
    sed -n 's/^        \([a-z0-9-]* ([^)]*) = \)/\1/p' <<<"$out"
}

# ipp_attribute LINES NAME: the value of the first attribute NAME among ipp_printer_attributes'
# lines; nothing when there is none.
ipp_attribute() { awk -v n="$2" '$1 == n { sub(/^[^=]*= /, ""); print; exit }' <<<"$1"; }
