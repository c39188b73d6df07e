#!/usr/bin/env bash
# Flash upgrade with paths that cannot or can barely be opened: a folder, a path longer than
# 260 characters typed and dropped, a name with a character of the ANSI code page, and a file
# that another Windows program holds open without sharing. Each gives exactly its box, sends
# exactly what it should, and leaves the file as it was.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

work=$(mktemp -d "$RIG_DIR/rel-paths.XXXXXX")
HOLDER_PID=
finish() {
    if [ -n "$HOLDER_PID" ]; then
        touch "$work/release"
        kill "$HOLDER_PID" 2>/dev/null || true
        wait "$HOLDER_PID" 2>/dev/null || true
    fi
    e2e_cleanup
    rm -rf "$work"
}
trap finish EXIT

# File Error for the path now in the field: no confirmation, nothing sent.
expect_not_opened() {
    local what=$1 before
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    drv click "$APP_CAPTION" "$IDC_MAIN_UPGRADE"
    expect_box "$what" "File Error" "$FILE_ERROR_TEXT" 0x30 ok
    expect_no_box "$what"
    e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
}

# Every file of the work folder but the holder, with its digest.
work_digests() {
    local file
    (cd "$work" && find . -type f ! -name 'holder*' -print0 | sort -z |
        while IFS= read -r -d '' file; do echo "$(e2e_digest "$file") $file"; done)
}

# ---- The files

mkdir "$work/folder"
printf 'inside' >"$work/folder/inside.bin"
# Two components of 150 characters put the Windows name well past 260.
long_dir=$work/$(printf 'a%.0s' $(seq 150))/$(printf 'b%.0s' $(seq 150))
mkdir -p "$long_dir"
printf 'LONG\000\014' >"$long_dir/long.bin"
long_win=$(win_path "$long_dir/long.bin")
[ "${#long_win}" -gt 260 ] || e2e_fail "long path is only ${#long_win} characters"
# The name is written in UTF-8 on the Unix side; the driver hands the program its ANSI text.
printf '\033E\000caf\351 upgrade\014' >"$work/café.bin"
head -c 3000 /dev/urandom >"$work/held.bin"

command -v x86_64-w64-mingw32-g++-posix >/dev/null || e2e_fail "no MinGW compiler for the holder"
cat >"$work/holder.cpp" <<'EOF'
// Holds a file open without sharing until a release file appears.
#include <windows.h>
#include <cstdio>
int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("open failed %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    CloseHandle(file);
    return 0;
}
EOF
x86_64-w64-mingw32-g++-posix -O1 -static -o "$work/holder.exe" "$work/holder.cpp" ||
    e2e_fail "cannot build the holder"

sums_before=$(work_digests)

app_start
select_printer "$RIG_QUEUE_VIRTUAL"

# ---- Paths that cannot be opened, typed into the path field

rows=(
    "folder|$(win_path "$work/folder")"
    "folder with trailing backslash|$(win_path "$work/folder")\\"
    "path longer than 260 characters|$long_win"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name path <<<"$row"
    drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "$path"
    expect_not_opened "$name"
    e2e_note "$name (${#path} characters): File Error, nothing sent"
done

# ---- The long path dropped

# A field text of its own first, so a drop that did not arrive cannot pass for a cut path.
drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "before the drop"
drv drop-file "$APP_CAPTION" "$long_dir/long.bin"
field_changed() { [ "$(drv get-text "$APP_CAPTION" "$IDC_MAIN_PATH")" != "before the drop" ]; }
wait_until 5 field_changed || e2e_fail "the dropped path did not reach the path field"
# The drop hands over the whole path; the single-byte open still cannot take it.
drv_expect "dropped long path in the field" "$long_win" get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
expect_not_opened "dropped long path"
e2e_note "dropped long path (${#long_win} characters): whole in the field, File Error"

# ---- A name with a character of the ANSI code page

acp=$(e2e_reg_query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' ACP) ||
    e2e_fail "no ANSI code page in the registry"
e2e_assert_eq "Wine's ANSI code page" 1252 "$acp"
cafe_win=$(win_path "$work/café.bin")
drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "$cafe_win"
# In code page 1252 é is the single byte E9.
held_text=$(drv get-text "$APP_CAPTION" "$IDC_MAIN_PATH")
e2e_assert_eq "name as the program holds it" \
    "$(printf '%s' "${cafe_win%é.bin}" | e2e_hex) e9 2e 62 69 6e" \
    "$(printf '%s' "$held_text" | e2e_hex)"
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
drv click "$APP_CAPTION" "$IDC_MAIN_UPGRADE"
expect_box "café.bin: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34 yes
size=$(stat -c %s "$work/café.bin")
expect_box "café.bin: outcome" "Printing Complete" "$(sent_text "$size")" 0x40 ok
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" "$work/café.bin"
e2e_note "café.bin: field holds E9 for é (code page $acp), file found, $size bytes sent"

# ---- A file another Windows program holds open without sharing

held_win=$(win_path "$work/held.bin")
wine "$work/holder.exe" "$held_win" "$(win_path "$work/release")" </dev/null \
    >"$work/holder.out" 2>/dev/null &
HOLDER_PID=$!
wait_until 15 grep -qs '^held' "$work/holder.out" ||
    e2e_fail "the holder did not open the file: $(cat "$work/holder.out")"
drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" "$held_win"
expect_not_opened "file held open by another program"
# Released, the same path opens: the box above came from the hold.
touch "$work/release"
wait "$HOLDER_PID" || e2e_fail "the holder failed"
HOLDER_PID=
drv click "$APP_CAPTION" "$IDC_MAIN_UPGRADE"
expect_box "released file: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
drv answer-msgbox "$APP_CAPTION" no
expect_no_box "released file answered No"
e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
e2e_note "held file: File Error while held; confirmation once released"

app_exit
rm -f "$work/release"
sums_after=$(work_digests)
e2e_assert_eq "files and their digests afterwards" "$sums_before" "$sums_after"
