# Files reach the dialog as a user gives them: dropped onto the window or chosen in the
# file-open dialog.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/driver_testee.sh"

W="Driver Files $$"
dir=$(mktemp -d /tmp/driver-files.XXXXXX)
mkdir "$dir/with space"
echo one >"$dir/with space/first file.txt"
echo two >"$dir/second.txt"
win_dir="Z:${dir//\//\\}"
testee_start "$W"

# Only the first of several dropped paths goes into the field; the count says all arrived.
drv drop-file "$W" "$dir/with space/first file.txt" "$dir/second.txt" 'C:\windows\win.ini'
drv_expect "dropped path" "$win_dir\\with space\\first file.txt" get-text "$W" 1000
drv_expect "dropped count" "dropped 3" get-text "$W" 1013
drv drop-file "$W" 'C:\windows\win.ini'
drv_expect "second drop" 'C:\windows\win.ini' get-text "$W" 1000
drv_expect "second count" "dropped 1" get-text "$W" 1013

# The file-open dialog: a typed path and OK fill the field.
drv click "$W" 1001
drv file-open "$W" "$dir/second.txt"
drv_expect "browsed path" "$win_dir\\second.txt" get-text "$W" 1000
drv_expect "browse confirmed" "browsed" get-text "$W" 1012

# A missing file: the dialog complains, the driver reports the complaint, the user gives up.
drv click "$W" 1001
err=$(drv --exit 1 file-open "$W" "$dir/missing.txt" --timeout 5)
e2e_assert_contains "complaint" "File does not exist" "$err"
drv answer-msgbox "Open" ok
drv key "Open" esc
drv wait-close "Open"
drv_expect "browse cancelled" "browse cancelled" get-text "$W" 1012
drv_expect "field unchanged" "$win_dir\\second.txt" get-text "$W" 1000

testee_stop "$W"
rm -rf "$dir"
