#!/usr/bin/env bash
# The settings file natively: stored by `settings`, read afresh by `forms` for the page size and
# orientation codes of each job, also when written by hand; reading it never creates it.
source "$(dirname "$0")/lib/cli_native.sh"

settings_file=$XDG_CONFIG_HOME/korvane/tessaline/print-settings.ini

# form_hex SIZE_CODE ORIENTATION FORM: the job a form test sends, in hex.
form_hex() {
    printf '\x1bE\x1b&l%sa%sO\x1b&f%sy3X\x0c' "$1" "$2" "$3" | e2e_hex
}

# forms_expect CASE RANGE SIZE_CODE ORIENTATION FORM...: the jobs arrive in order, exactly.
forms_expect() {
    local name=$1 range=$2 code=$3 orientation=$4 before n=0 form
    shift 4
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    cli_run forms "$range" --printer "$RIG_QUEUE_VIRTUAL"
    e2e_assert_eq "$name: exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
    e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" $#
    for form in "$@"; do
        n=$((n + 1))
        e2e_assert_job_hex "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + n)))" \
            "$(form_hex "$code" "$orientation" "$form")"
    done
}

# ---- nothing stored: Letter, Portrait, and no file or folder made by reading ----

cli_run settings
cli_expect "fresh" 0 "Page Size: not set
Page Orientation: not set" ""
forms_expect "fresh" 7 2 0 7
[ ! -e "$XDG_CONFIG_HOME" ] || e2e_fail "reading created $(find "$XDG_CONFIG_HOME")"

# ---- stored by the program: A4 Landscape gives ESC&l26a1O ----

cli_run settings --page-size A4 --orientation Landscape
cli_expect "store" 0 "Page Size: 4, A4 (210 mm x 297 mm)
Page Orientation: 1, Landscape" ""
e2e_assert_eq "stored file" "[Print Settings]
Page Size=4
Page Orientation=1" "$(cat "$settings_file")"
forms_expect "A4 Landscape" 4-6 26 1 4 5 6

# Only what is given changes.
cli_run settings --orientation 3
e2e_assert_eq "one value: exit code" 0 "$CLI_RC"
forms_expect "A4 Reverse Landscape" 9 26 3 9

# ---- written by hand: BOM, CRLF, spaces, another section, no last line end ----

printf '\xef\xbb\xbf; by hand\r\n[Other]\r\nPage Size=5\r\n[print settings]\r\n  Page Size = 2 \r\nPage Orientation=2' \
    >"$settings_file"
cp "$settings_file" "$work/by-hand.ini"
forms_expect "Legal Reverse Portrait by hand" 12 3 2 12
cmp -s "$settings_file" "$work/by-hand.ini" || e2e_fail "forms changed the settings file"

# Values that cannot be read give the form test's defaults, each on its own.
# contents | size code | orientation
odd=(
    "[Print Settings]\nPage Size=0x4\nPage Orientation=1\n|2|1"
    "[Print Settings]\nPage Size=4294967300\nPage Orientation=-1\n|2|-1"
    "[Print Settings]\nPage Size=11\nPage Orientation=Landscape\n|101|0"
    "Page Size=4\n[Print Settings]\n|2|0"
)
for row in "${odd[@]}"; do
    IFS='|' read -r contents code orientation <<<"$row"
    printf "$contents" >"$settings_file"
    forms_expect "odd file '$contents'" 20 "$code" "$orientation" 20
done

# The program's write keeps what was there by hand.
printf '; mine\n[Other]\nA=1\n' >"$settings_file"
cli_run settings --page-size Com-10
e2e_assert_eq "store into a file by hand" "; mine
[Other]
A=1
[Print Settings]
Page Size=7" "$(cat "$settings_file")"

echo "all checks passed"
