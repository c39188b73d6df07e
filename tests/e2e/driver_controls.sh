# The driver reads and changes the controls of a dialog in another process, and each change
# has reached the dialog by the time the driver returns.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/driver_testee.sh"

W="Driver Controls $$"
testee_start "$W"

# Text fields: exact round trip, including characters a shell or a parser could mangle.
for text in 'plain' 'C:\path with\spaces\file.kmf' 'a & b "quoted" 100%' '' '  lead and trail  '; do
    drv set-text "$W" 1000 "$text"
    drv_expect "path field after set-text '$text'" "$text" get-text "$W" 1000
done
drv_expect "initial answer label" "" get-text "$W" 1011

# The combo box: entries in the dialog's sorted order, selection by exact text or by index.
drv_expect "entries" $'Alpha\nBravo\nCharlie Delta\necho & foxtrot' list-entries "$W" 1005
drv_expect "initial selection" $'0\tAlpha' get-selection "$W" 1005
drv select "$W" 1005 --text "echo & foxtrot"
drv_expect "selection by text" $'3\techo & foxtrot' get-selection "$W" 1005
drv_expect "the dialog heard the change" "selchange 3" get-text "$W" 1012
drv select "$W" 1005 --index 1
drv_expect "selection by index" $'1\tBravo' get-selection "$W" 1005
err=$(drv --exit 1 select "$W" 1005 --text "alpha")
e2e_assert_contains "a differently cased entry is not a match" 'no entry "alpha"' "$err"
drv --exit 1 select "$W" 1005 --index 4 >/dev/null
drv_expect "a refused selection changes nothing" $'1\tBravo' get-selection "$W" 1005

# The plain check box changes only through the dialog's own handler.
drv_expect "flag at start" "unchecked" get-check "$W" 1008
for want in checked unchecked checked; do
    drv click "$W" 1008
    drv_expect "flag after a click" "$want" get-check "$W" 1008
done

# Focus goes through the dialog, so the field's EN_SETFOCUS handler runs.
drv focus "$W" 1003
drv_expect "focus on the type field" "1003" get-focus "$W"
drv_expect "focus handler ran" "focus 1003" get-text "$W" 1012
drv focus "$W" 1005
drv_expect "focus on the combo box" "1005" get-focus "$W"
# The focused field became the default id: Enter now sends its id, which closes nothing.
drv key "$W" enter
drv wait-window "$W" --timeout 0.5
drv_expect "Enter went to the field's id" "command 1003" get-text "$W" 1012

# System menu: its items are read inside the dialog's process; the added command arrives.
menu=$(drv menu-items "$W")
e2e_assert_eq "last system menu item" $'0x0010\t&About Driver Testee...\tenabled' \
    "$(tail -n 1 <<<"$menu")"
e2e_assert_contains "close item" $'0xF060\t&Close' "$menu"
drv syscommand "$W" 0x10
drv_expect "system command reached the dialog" "about" get-text "$W" 1012

# Failures name what is missing and exit 1; bad usage exits 2.
err=$(drv --exit 1 get-text "$W" 4242)
e2e_assert_contains "missing control" 'no control 4242 in window "'"$W"'"; controls: 1000:Edit' "$err"
err=$(drv --exit 1 wait-window "No Such Window $$" --timeout 0.3)
e2e_assert_contains "timeout names the caption" "waiting for window \"No Such Window $$\"" "$err"
e2e_assert_contains "timeout lists the windows" "\"$W\" [#32770]" "$err"
drv --exit 2 get-text "$W" >/dev/null
drv --exit 2 no-such-command >/dev/null
drv --exit 1 key "$W" notakey >/dev/null

# Esc ends the dialog the way a user's key does.
drv key "$W" esc
drv wait-close "$W"
wait_until 10 e2e_not_running "$APP_PID" || e2e_fail "dialog process still running"
APP_PID=
