#!/usr/bin/env bash
# --encrypt to printers reached by IPP address: over ipps:// and over ipp:// with the TLS
# upgrade the file arrives whole on an encrypted connection; without it, the connection is
# plain (so the printer's word "encrypted" is not a given).
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
cli_random_file "$work/upgrade.bin" 500000

# The printer log's lines from line FROM on.
log_since() { tail -n +"$2" "$(ipp_printer_log "$1")"; }
log_length() { wc -l <"$(ipp_printer_log "$1")"; }

# CASE|SCHEME|ARGS|ENCRYPTED (yes or no)
cases=(
    "ipps|ipps|--encrypt|yes"
    "ipp with upgrade|ipp|--encrypt|yes"
    "ipp plain|ipp||no"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r what scheme args encrypted <<<"$entry"
    name=Ipp_Tls_${scheme}_${encrypted}
    cli_ipp_printer "$name" -f "$PCL"
    uri=$(cli_ipp_uri "$name")
    uri=$scheme://${uri#ipp://}
    from=$(($(log_length "$name") + 1))
    # shellcheck disable=SC2086 # one word or none
    cli_run upgrade "$work/upgrade.bin" -p "$uri" --yes --format "$PCL" --json $args
    e2e_assert_eq "$what: exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
    cli_json_expect "$what" "$CLI_OUT" "uri=\"$uri\"" 'stage="Completed"' 'written=500000'
    cli_assert_same_file "$what" "$(cli_only_document "$what" "$name")" "$work/upgrade.bin"
    log=$(log_since "$name" "$from")
    grep -qE '(Print|Create)-Job successful-ok' <<<"$log" ||
        e2e_fail "$what: the printer logged no job: $log"
    if [ "$encrypted" = yes ]; then
        e2e_assert_contains "$what: the printer's log" "Connection now encrypted." "$log"
        # Every connection of the run was encrypted (connections may overlap in the log).
        e2e_assert_eq "$what: encrypted connections of all $(grep -c 'Accepted connection' <<<"$log")" \
            "$(grep -c 'Accepted connection' <<<"$log")" "$(grep -c 'Connection now encrypted.' <<<"$log")"
    elif grep -q "Connection now encrypted." <<<"$log"; then
        e2e_fail "$what: encrypted without --encrypt: $log"
    fi
done

echo "all checks passed"
