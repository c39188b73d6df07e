#!/usr/bin/env bash
# Flash upgrade of files at the size edges and of files changed from the Unix side while the
# confirmation is up (our no-sharing open does not keep such changes out under Wine). What is
# sent and reported is the file as it is when Yes is answered, whole; a file of 4 GiB or more
# is refused with the "File Error" box, before the confirmation or after it. Every file is left
# as it was.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

work=$(mktemp -d "$RIG_DIR/rel-changes.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

confirm_text='You have chosen to send the selected file to the Korvane hardware installed on your laser printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?'
too_large_text='The file is too large to send to the printer. Files must be smaller than 4 GB.'

box_report() {
    case "$3" in
        warning) printf 'caption: %s\ntext: %s\nicon: exclamation\nbuttons: ok\ndefault: ok\ntype: 0x30' "$1" "$2" ;;
        information) printf 'caption: %s\ntext: %s\nicon: asterisk\nbuttons: ok\ndefault: ok\ntype: 0x40' "$1" "$2" ;;
        confirm) printf 'caption: %s\ntext: %s\nicon: exclamation\nbuttons: yesno\ndefault: yes\ntype: 0x34' "$1" "$2" ;;
    esac
}

expect_box() {
    app_expect "$1" "$(box_report "$2" "$3" "$4")" wait-msgbox "$APP_CAPTION"
}

expect_no_box() {
    if driver wait-msgbox "$APP_CAPTION" --timeout 1 >/dev/null; then
        e2e_fail "$1: an unexpected box is up: $(driver wait-msgbox "$APP_CAPTION")"
    fi
}

# BLAKE2 rather than SHA-256: the same guarantee, four times faster over 5 GiB.
digest() { b2sum "$1" | cut -d' ' -f1; }

# A sparse file of 5 GiB whose first and last bytes are not zero.
make_huge() {
    truncate -s 5G "$1"
    printf 'HEAD' | dd of="$1" conv=notrunc status=none
    printf 'TAIL' | dd of="$1" bs=1 seek=$((5 * 1024 * 1024 * 1024 - 4)) conv=notrunc status=none
}

# Changes made while the confirmation is up.
grow() { head -c 1500 /dev/urandom >>"$1"; }
shrink() { truncate -s 400 "$1"; }
empty_it() { truncate -s 0 "$1"; }
grow_past_4gib() { truncate -s 5G "$1"; }
no_change() { :; }

# expect_outcome NAME FILE BEFORE: answers the outcome box expected for FILE as it is now: the whole
# file sent and "Printing Complete", or the too-large refusal with nothing sent.
expect_outcome() {
    local name=$1 file=$2 before=$3 size
    size=$(stat -c %s "$file")
    if [ "$size" -ge $((4 * 1024 * 1024 * 1024)) ]; then
        expect_box "$name: outcome" "File Error" "$too_large_text" warning
        app_drv answer-msgbox "$APP_CAPTION" ok
        expect_no_box "$name"
        e2e_expect_no_jobs "$APP_QUEUE_A" "$before" 1
        e2e_note "$name: $size bytes, File Error (too large), nothing sent"
        return
    fi
    expect_box "$name: outcome" "Printing Complete" \
        "Successfully sent entire file to printer.  File size: $size, Bytes written: $size" \
        information
    app_drv answer-msgbox "$APP_CAPTION" ok
    expect_no_box "$name"
    if [ "$size" -eq 0 ]; then
        # CUPS' lp refuses empty input: the spooler takes the empty job, the printer gets nothing.
        e2e_expect_no_jobs "$APP_QUEUE_A" "$before" 3
        e2e_note "$name: Printing Complete with 0 and 0; no job reached the capture printer"
        return
    fi
    e2e_wait_jobs "$APP_QUEUE_A" "$before" 1
    e2e_assert_job_file "$(e2e_job_file "$APP_QUEUE_A" $((before + 1)))" "$file"
    e2e_note "$name: Printing Complete with $size and $size; $size bytes arrived unchanged"
}

app_start
app_drv select "$APP_CAPTION" "$APP_PRINTER" --text "$APP_QUEUE_A"

# name | initial size in bytes (huge: 5 GiB sparse) | change while confirming
rows=(
    "empty file|0|no_change"
    "grows while confirming|1000|grow"
    "shrinks while confirming|1000|shrink"
    "emptied while confirming|1000|empty_it"
    "grows past 4 GiB while confirming|1000|grow_past_4gib"
    "5 GiB sparse file|huge|no_change"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name initial change <<<"$row"
    file=$work/upgrade.bin
    rm -f "$file"
    if [ "$initial" == huge ]; then
        make_huge "$file"
        sum=$(digest "$file")
    else
        head -c "$initial" /dev/urandom >"$file"
    fi
    app_drv set-text "$APP_CAPTION" "$APP_PATH" "Z:${file//\//\\}"
    before=$(e2e_job_count "$APP_QUEUE_A")
    started=$SECONDS
    app_drv click "$APP_CAPTION" "$APP_UPGRADE"

    if [ "$initial" == huge ]; then
        # Refused before the user is asked anything.
        expect_outcome "$name" "$file" "$before"
        e2e_assert_eq "$name: file afterwards" "$sum" "$(digest "$file")"
        continue
    fi

    expect_box "$name: confirmation" "Confirm Upgrade" "$confirm_text" confirm
    "$change" "$file"
    sum=$(digest "$file")
    app_drv answer-msgbox "$APP_CAPTION" yes
    expect_outcome "$name" "$file" "$before"
    e2e_assert_eq "$name: file afterwards" "$sum" "$(digest "$file")"
    e2e_note "$name: $((SECONDS - started)) s"
done

app_exit
