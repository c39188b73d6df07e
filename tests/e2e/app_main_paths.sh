#!/usr/bin/env bash
# The path field: files dropped onto the window (first path only, never cut, the forms field
# left alone) and the Browse... button (chosen path shown, typed forms text kept, nothing changed
# when cancelled). A cut path could name another, existing file, which would then be sent.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_work_dir app-paths

# make_file LENGTH: creates a file whose Wine path is exactly LENGTH characters long, in
# folders of at most 100 characters; prints its Unix path.
make_file() {
    local want=$1 dir=$work/len$1 base name path
    base=$(win_path "$dir/")
    while [ $((want - ${#base})) -gt 110 ]; do
        name=$(printf 'd%.0s' {1..99})
        dir=$dir/$name
        base=$(win_path "$dir/")
    done
    [ "$want" -gt "${#base}" ] || e2e_fail "the rig's folder is too deep for a $want-character path"
    name=$(printf 'f%.0s' $(seq 1 $((want - ${#base}))))
    mkdir -p "$dir"
    path=$dir/$name
    echo "$want" >"$path"
    base=$(win_path "$path")
    [ "${#base}" -eq "$want" ] || e2e_fail "made a path of ${#base} characters, not $want"
    echo "$path"
}

printf 'one' >"$work/first file.bin"
printf 'two' >"$work/second.bin"
printf 'three' >"$work/third.bin"

app_start

# Three files at once: only the first counts; the forms field keeps what was typed.
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "8-9"
drv drop-file "$APP_CAPTION" "$work/first file.bin" "$work/second.bin" "$work/third.bin"
drv_expect "path after dropping three files" "$(win_path "$work/first file.bin")" \
    get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
drv_expect "forms field after the drop" "8-9" get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"

# name | length of the dropped path. Every path arrives whole, past 260 characters too.
drops=(
    "short path|80"
    "259 characters|259"
    "260 characters|260"
    "261 characters|261"
    "300 characters|300"
)
for row in "${drops[@]}"; do
    IFS='|' read -r name length <<<"$row"
    file=$(make_file "$length")
    full=$(win_path "$file")
    drv drop-file "$APP_CAPTION" "$file"
    drv_expect "path field after a drop of $name" "$full" \
        get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
done

# Browse... with nothing taken from the fields yet: the chosen path shows, and the text typed
# into the forms field stays.
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "4-5"
drv click "$APP_CAPTION" "$IDC_MAIN_BROWSE"
drv file-open "$APP_CAPTION" "$work/second.bin"
drv_expect "path after Browse" "$(win_path "$work/second.bin")" \
    get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
drv_expect "forms field after Browse, nothing taken yet" "4-5" \
    get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"

# Print takes the fields; text typed after it still stays through the next Browse.
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
app_print_forms "$RIG_QUEUE_VIRTUAL" 7
app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" 2 0 7 7
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "4-5"
drv click "$APP_CAPTION" "$IDC_MAIN_BROWSE"
drv file-open "$APP_CAPTION" "$work/third.bin"
drv_expect "path after the second Browse" "$(win_path "$work/third.bin")" \
    get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
drv_expect "forms field after Browse, 7 taken by Print" "4-5" get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"

# Cancelled (the file dialog closed as its close box does): nothing changes.
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "4-5"
drv click "$APP_CAPTION" "$IDC_MAIN_BROWSE"
drv wait-window Open
drv close Open
drv wait-close Open
drv_expect "path after a cancelled Browse" "$(win_path "$work/third.bin")" \
    get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
drv_expect "forms field after a cancelled Browse" "4-5" get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"

app_exit
