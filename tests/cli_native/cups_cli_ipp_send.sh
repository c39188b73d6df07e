#!/usr/bin/env bash
# Upgrades and forms to printers reached by IPP address, with no CUPS queue: the file arrives
# whole; a format refused before the upload and one refused after it are not called complete
# and leave no job behind.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
printf '\x1b%%-12345X@PJL\r\n\x00\x0c\xff' >"$work/upgrade.bin"
cli_random_file "$work/random.bin" $((3 * 1048576 + 7))
cat "$work/random.bin" >>"$work/upgrade.bin"
size=$(stat -c %s "$work/upgrade.bin")

cli_ipp_printer Ipp_Whole -f "$PCL,application/octet-stream"
cli_ipp_printer Ipp_Pdf_Only -f application/pdf
cli_ipp_printer Ipp_Any -f application/octet-stream
whole=$(cli_ipp_uri Ipp_Whole)

# ---- byte for byte, told as JSON, followed to the end ----

cli_run upgrade "$work/upgrade.bin" -p "$whole" --yes --format "$PCL" --json --wait 30
e2e_assert_eq "whole: exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
e2e_assert_eq "whole: one JSON line" 1 "$(grep -c . <<<"$CLI_OUT")"
e2e_assert_eq "whole: fields" "$CLI_UPGRADE_KEYS" "$(cli_json_keys "$CLI_OUT")"
cli_json_expect whole "$CLI_OUT" "uri=\"$whole\"" 'stage="Completed"' "size=$size" \
    "written=$size" 'state="Completed"'
job=$(cli_json_get "$CLI_OUT" job)
[[ "$job" =~ ^[0-9]+$ ]] || e2e_fail "whole: job is not a number: $job"
e2e_assert_eq "whole: the printer's job" "$job completed" "$(ipp_jobs "$whole" all)"
document=$(cli_only_document whole Ipp_Whole)
cli_assert_same_file whole "$document" "$work/upgrade.bin"
e2e_assert_contains "whole: the format the printer was told" \
    "document-format=\"$PCL\"" "$(cat "$(ipp_printer_log Ipp_Whole)")"

# ---- refused before the upload (a format the printer does not list) and after it ----

# ippeveprinter takes application/octet-stream, reads the data's first bytes, finds no type it
# knows and refuses the document. CASE|PRINTER|FORMAT ARGS: not complete, exit 5, no job left
# open, and the file not kept whole.
refusals=(
    "before|Ipp_Pdf_Only|--format $PCL"
    "after|Ipp_Any|"
)
for refusal in "${refusals[@]}"; do
    IFS='|' read -r what name format_args <<<"$refusal"
    uri=$(cli_ipp_uri "$name")
    # shellcheck disable=SC2086 # the format arguments are two words or none
    cli_run upgrade "$work/upgrade.bin" -p "$uri" --yes --json $format_args
    [ "$CLI_RC" -ne 0 ] || e2e_fail "refused $what: exit 0 for a refused format: $CLI_OUT"
    stage=$(cli_json_raw "$CLI_OUT" stage)
    [ "$stage" != Completed ] || e2e_fail "refused $what: called Completed: $CLI_OUT"
    e2e_assert_eq "refused $what: exit code of a refused stage (stage $stage)" 5 "$CLI_RC"
    cli_json_expect "refused $what" "$CLI_OUT" "uri=\"$uri\""
    cli_assert_no_open_jobs "refused $what" "$uri"
    for document in $(ipp_printer_documents "$name"); do
        if cmp -s "$document" "$work/upgrade.bin"; then
            e2e_fail "refused $what: the printer kept the whole file as a job: $document"
        fi
    done
done

# ---- forms go out as PCL: the form's own bytes ----

cli_ipp_printer Ipp_Forms -f "$PCL"
forms_uri=$(cli_ipp_uri Ipp_Forms)
cli_run forms 3 -p "$forms_uri" --json
e2e_assert_eq "forms: exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
cli_json_expect forms "$CLI_OUT" "uri=\"$forms_uri\"" 'form=3' 'stage="Completed"'
# Nothing stored: Letter, Portrait.
e2e_assert_job_hex "$(cli_only_document forms Ipp_Forms)" \
    "1b 45 1b 26 6c 32 61 30 4f 1b 26 66 33 79 33 58 0c"
e2e_assert_contains "forms: the format" "document-format=\"$PCL\"" \
    "$(cat "$(ipp_printer_log Ipp_Forms)")"

echo "all checks passed"
