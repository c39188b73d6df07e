#!/usr/bin/env bash
# The win64 zip: exactly the files users are promised, the texts with CRLF line endings, both
# exes stripped and free of link time stamps, the version record in place; unpacked into a
# folder of its own, its Tessaline.exe runs.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$here/lib/release.sh"

app_work_dir release_zip
rel_unzip "$work/unpacked"
cli=
[ ! -f "$work/unpacked/tessaline-cli.exe" ] || cli=yes
if [ -z "$cli" ] && rel_checkout_has_cli; then
    e2e_fail "this checkout has src/cli, but the zip holds no tessaline-cli.exe"
fi
[ -n "$cli" ] || rel_skip "tessaline-cli.exe in the zip" "this checkout has no tessaline-cli"

e2e_assert_eq "files in the zip, in order" "$(rel_expected_files "$cli")" \
    "$(unzip -Z1 "$REL_ZIP")"

# Every line of the texts ends in CRLF, and nothing else in them is a bare CR or LF.
for text in README.txt LICENSE.txt; do
    file=$work/unpacked/$text
    lines=$(grep -c '' "$file")
    crlf=$(grep -c $'\r$' "$file" || true)
    e2e_assert_eq "$text: lines ending in CRLF" "$lines" "$crlf"
    e2e_assert_eq "$text: carriage returns" "$lines" "$(tr -cd '\r' <"$file" | wc -c)"
done
grep -qF "Tessaline $REL_VERSION by Korvane"$'\r' "$work/unpacked/README.txt" ||
    e2e_fail "README.txt does not name Tessaline $REL_VERSION"
e2e_assert_eq "LICENSE.txt is the repository's LICENSE" "$(cat "$E2E_ROOT/LICENSE")" \
    "$(tr -d '\r' <"$work/unpacked/LICENSE.txt")"

# pe_field FILE OFFSET_FROM_PE_HEADER SIZE: a little-endian field of the COFF header.
pe_field() {
    local pe
    pe=$(od -An -tu4 -j 60 -N4 "$1" | tr -d ' ')
    od -An -tu"$3" -j $((pe + $2)) -N"$3" "$1" | tr -d ' '
}
for exe in Tessaline.exe ${cli:+tessaline-cli.exe}; do
    file=$work/unpacked/$exe
    e2e_assert_eq "$exe: link time stamp" 0 "$(pe_field "$file" 8 4)"
    e2e_assert_eq "$exe: symbol table entries (stripped)" 0 "$(pe_field "$file" 16 4)"
done
rel_assert_version_record "$work/unpacked/Tessaline.exe"
size=$(stat -c %s "$work/unpacked/Tessaline.exe")
[ "$size" -lt $((600 * 1024)) ] || e2e_fail "Tessaline.exe is $size bytes, over 600 KB"
e2e_note "Tessaline.exe: $size bytes"

TESSALINE_EXE=$work/unpacked/Tessaline.exe
app_start
drv_expect "printers in the unpacked program's list" "$RIG_PRINTER_LIST" \
    list-entries "$APP_CAPTION" "$IDC_MAIN_PRINTER"
app_exit
