#!/usr/bin/env bash
# A path that cannot be opened, for reading with no sharing, gives the "File Error" box and no
# confirmation, and sends nothing; once the other program lets go, the same file opens again.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

work=$(mktemp -d "$RIG_DIR/upgrade-file-errors.XXXXXX")
trap 'release_hold; e2e_cleanup; rm -rf "$work"' EXIT
head -c 4096 /dev/urandom >"$work/held.kmf"
cp "$work/held.kmf" "$work/held.orig"

app_start
select_printer "$RIG_QUEUE_VIRTUAL"

# name | path typed into the field (empty: the field cleared) | held open by another program
cases=(
    "missing file|$(win_path "$work/missing.kmf")|no"
    "missing folder|$(win_path "$work/nowhere/upgrade.kmf")|no"
    "untouched prompt text|$PATH_PROMPT|no"
    "empty path||no"
    "file held open by another program|$(win_path "$work/held.kmf")|yes"
)
for debug in unchecked checked; do
    set_debug_mode "$debug"
    for row in "${cases[@]}"; do
        IFS='|' read -r name path held <<<"$row"
        name="$name, Debug Mode $debug"
        [ "$held" = no ] || hold_open "$work/held.kmf"
        before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
        start_upgrade "$path"
        drv_expect "$name: path field" "$path" get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
        expect_box "$name" "File Error" "$FILE_ERROR_TEXT" 0x30 ok
        expect_no_box "$name"
        e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 0.5
        [ "$held" = no ] || release_hold
        e2e_note "$name: ok"
    done
done

# The holder changed nothing, and without it the file opens: the refusal came from the hold.
e2e_assert_job_file "$work/held.kmf" "$work/held.orig"
start_upgrade "$(win_path "$work/held.kmf")"
expect_box "held file released" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34 no
expect_no_box "held file released, answer no"

app_exit
