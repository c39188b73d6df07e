# Helpers for the native command line's tests of printers reached by IPP address and of fleets:
# the rig's ippeveprinters (tests/lib/ipp_printers.sh) beside its cupsd queues. A test sources
# this instead of cli_native.sh; the printers it started are stopped when it ends.

source "$(dirname "${BASH_SOURCE[0]}")/cli_native.sh"
source "$E2E_TOOLKIT/ipp_printers.sh"
source "$E2E_TOOLKIT/ipp_firmware.sh"

# The printers this test started, stopped before the queues and modes are undone.
CLI_IPP_PRINTERS=()
cli_ipp_cleanup() {
    local name
    for name in "${CLI_IPP_PRINTERS[@]}"; do
        ipp_printer_stop "$name"
    done
    cli_cleanup
}
trap cli_ipp_cleanup EXIT

# Nothing of the machine's own: TLS trust that libcups stores goes under the test's folder.
export HOME=$work/home
mkdir -p "$HOME"

# cli_ipp_printer NAME [ipp_printer_start options]: starts one, stopped when the test ends.
cli_ipp_printer() {
    local name=$1
    shift
    CLI_IPP_PRINTERS+=("$name")
    ipp_printer_start "$name" "$@" || e2e_fail "cannot start IPP printer $name"
}

# cli_ipp_firmware KIND NAME [ARGS...]: one printer that reports firmware, ipp_firmware_KIND
# (tests/lib/ipp_firmware.sh), stopped when the test ends.
cli_ipp_firmware() {
    local kind=$1 name=$2
    shift 2
    CLI_IPP_PRINTERS+=("$name")
    "ipp_firmware_$kind" "$name" "$@" || e2e_fail "cannot start IPP printer $name ($kind)"
}

# cli_ipp_queue QUEUE NAME: a raw CUPS queue of the test's own whose device is the IPP printer
# NAME, by its ipp:// address.
cli_ipp_queue() {
    CLI_MADE_QUEUES+=("$1")
    ipp_printer_queue "$1" "$2" || e2e_fail "cannot make queue $1 for IPP printer $2"
}

cli_ipp_uri() { ipp_printer_uri "$1" || e2e_fail "no IPP printer $1"; }

# cli_json_get JSON FIELD: one field of one JSON object, as JSON (strings quoted, null, lists).
cli_json_get() {
    python3 -c 'import json, sys
obj = json.loads(sys.argv[1])
if sys.argv[2] not in obj:
    sys.exit("no field " + sys.argv[2])
print(json.dumps(obj[sys.argv[2]], separators=(",", ":")))' "$1" "$2" ||
        e2e_fail "no field $2 in: $1"
}

# cli_json_raw JSON FIELD: a string field's text without quotes; null prints nothing.
cli_json_raw() {
    python3 -c 'import json, sys
value = json.loads(sys.argv[1]).get(sys.argv[2])
print("" if value is None else value)' "$1" "$2" || e2e_fail "not JSON: $1"
}

# cli_json_expect CASE JSON FIELD=VALUE...: each field's JSON text, exactly.
cli_json_expect() {
    local what=$1 json=$2 pair
    shift 2
    for pair in "$@"; do
        e2e_assert_eq "$what: $json: ${pair%%=*}" "${pair#*=}" "$(cli_json_get "$json" "${pair%%=*}")"
    done
}

# cli_json_keys JSON: the object's field names in order, space-separated.
cli_json_keys() {
    python3 -c 'import json, sys
print(" ".join(json.loads(sys.argv[1])))' "$1" || e2e_fail "not JSON: $1"
}

# The field names of one printer's --json line for an upgrade (with --sha256: sha256 too).
CLI_UPGRADE_KEYS="printer uri stage size written datatype job state state_reasons message seconds"

# cli_assert_no_open_jobs CASE URI: the printer holds no job that has not ended.
cli_assert_no_open_jobs() {
    local open
    open=$(ipp_jobs "$2" not-completed) || e2e_fail "$1: cannot ask $2 for its jobs"
    e2e_assert_eq "$1: jobs not ended on $2" "" "$open"
}

# cli_assert_no_queued_jobs CASE QUEUE: the cupsd holds no job of the queue that has not ended.
cli_assert_no_queued_jobs() {
    e2e_assert_eq "$1: jobs not ended on queue $2" "" "$(lpstat -W not-completed -o "$2" 2>&1)"
}

# cli_assert_same_file CASE FILE EXPECTED: byte for byte (first difference shown).
cli_assert_same_file() {
    [ -f "$2" ] || e2e_fail "$1: no file $2"
    e2e_assert_job_file "$2" "$3"
}

# cli_only_document CASE PRINTER: the one document the printer kept; fails on none or more.
cli_only_document() {
    local docs count
    docs=$(ipp_printer_documents "$2")
    count=$(grep -c . <<<"$docs" || true)
    [ "$count" -eq 1 ] || e2e_fail "$1: $2 kept $count documents: $docs"
    echo "$docs"
}
