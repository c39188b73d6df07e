#!/usr/bin/env bash
# Flash upgrade of files at the size edges and of files changed from the Unix side while the
# confirmation is up (our no-sharing open does not keep such changes out under Wine). What is
# sent and reported is the file as it is when Yes is answered, whole; a file of 4 GiB or more
# is refused with the "File Error" box, before the confirmation or after it. Every file is left
# as it was.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_work_dir rel-changes


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
        expect_box "$name: outcome" "File Error" "$TOO_LARGE_TEXT" 0x30 ok
        expect_no_box "$name"
        e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
        e2e_note "$name: $size bytes, File Error (too large), nothing sent"
        return
    fi
    expect_box "$name: outcome" "Printing Complete" "$(sent_text "$size")" 0x40 ok
    expect_no_box "$name"
    if [ "$size" -eq 0 ]; then
        # CUPS' lp refuses empty input: the spooler takes the empty job, the printer gets nothing.
        e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 3
        e2e_note "$name: Printing Complete with 0 and 0; no job reached the capture printer"
        return
    fi
    e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
    e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" "$file"
    e2e_note "$name: Printing Complete with $size and $size; $size bytes arrived unchanged"
}

app_start
select_printer "$RIG_QUEUE_VIRTUAL"

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
        sum=$(e2e_digest "$file")
    else
        head -c "$initial" /dev/urandom >"$file"
    fi
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    started=$SECONDS
    start_upgrade "$(win_path "$file")"

    if [ "$initial" == huge ]; then
        # Refused before the user is asked anything.
        expect_outcome "$name" "$file" "$before"
        e2e_assert_eq "$name: file afterwards" "$sum" "$(e2e_digest "$file")"
        continue
    fi

    expect_box "$name: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34
    "$change" "$file"
    sum=$(e2e_digest "$file")
    drv answer-msgbox "$APP_CAPTION" yes
    expect_outcome "$name" "$file" "$before"
    e2e_assert_eq "$name: file afterwards" "$sum" "$(e2e_digest "$file")"
    e2e_note "$name: $((SECONDS - started)) s"
done

app_exit
