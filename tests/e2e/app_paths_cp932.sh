#!/usr/bin/env bash
# Paths on a double-byte code page (932): a file whose name is Japanese, dropped (as ANSI and
# as UTF-16, the shell's own form) or typed into the path field, is sent whole by Upgrade.
# Names hold characters whose second byte is a backslash (0x5C) or "|" (0x7C) in code page 932.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_work_dir app-paths-cp932
e2e_code_page_932
drv_expect "ANSI code page of the Wine processes" 932 code-page

# how | file name. Each file holds different random bytes.
cases=(
    "drop|アップグレード.bin"
    "wide-drop|表ソ能_ファイル.kmf"
    "typed|日本語のフォルダ/更新ファイル.bin"
    "ascii-drop|plain.bin"
)

app_start
select_printer "$RIG_QUEUE_VIRTUAL"
for row in "${cases[@]}"; do
    IFS='|' read -r how name <<<"$row"
    file=$work/$name
    mkdir -p "$(dirname "$file")"
    head -c $((1000 + RANDOM)) /dev/urandom >"$file"
    size=$(stat -c %s "$file")
    case "$how" in
        drop | ascii-drop) drv drop-file "$APP_CAPTION" "$file" ;;
        wide-drop) drv drop-file "$APP_CAPTION" "$file" --wide ;;
        typed) drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "$(win_path "$file")" ;;
    esac
    shown=$(drv get-text "$APP_CAPTION" "$IDC_MAIN_PATH")
    [ "$shown" == "$(e2e_cp932 "$(win_path "$file")")" ] ||
        e2e_fail "$how: path field shows $(printf '%s' "$shown" | e2e_hex)"
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    drv click "$APP_CAPTION" "$IDC_MAIN_UPGRADE"
    expect_box "$how: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34 yes
    expect_box "$how: result" "Printing Complete" "$(sent_text "$size")" 0x40 ok
    e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
    e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" "$file"
done
app_exit
