# The driver reads a message box's caption, text and full type, and answers it; the dialog
# that opened it sees the answer.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/driver_testee.sh"

W="Driver Boxes $$"
testee_start "$W"
text='Proceed with the test?\nNothing can be undone.  Really?'

# style asked | icon | buttons | default | answer | label
cases=(
    "0x34|exclamation|yesno|yes|yes|answer: yes"
    "0x34|exclamation|yesno|yes|no|answer: no"
    "0x30|exclamation|ok|ok|ok|answer: ok"
    "0x40|asterisk|ok|ok|ok|answer: ok"
    "0x10|hand|ok|ok|ok|answer: ok"
    "0x0|none|ok|ok|ok|answer: ok"
    "0x21|question|okcancel|ok|cancel|answer: cancel"
    "0x134|exclamation|yesno|no|yes|answer: yes"
    "0x223|question|yesnocancel|cancel|no|answer: no"
    "0x2|none|abortretryignore|abort|retry|answer: retry"
    "0x5|none|retrycancel|retry|cancel|answer: cancel"
    "0x4034|exclamation|yesno|yes|no|answer: no"
)
for row in "${cases[@]}"; do
    IFS='|' read -r style icon buttons default answer label <<<"$row"
    drv set-text "$W" 1003 "$style"
    drv click "$W" 1002
    drv_expect "label while box $style is open" "asking" get-text "$W" 1011
    drv_expect "box $style" "caption: Testee Question
text: $text
icon: $icon
buttons: $buttons
default: $default
type: $style" wait-msgbox "$W"
    drv answer-msgbox "$W" "$answer"
    drv_expect "answer to box $style" "$label" get-text "$W" 1011
done

# A button the box does not have is refused and the box stays open.
drv set-text "$W" 1003 0x30
drv click "$W" 1002
err=$(drv --exit 1 answer-msgbox "$W" yes)
e2e_assert_contains "missing button" 'has no "yes" button; it shows ok' "$err"
drv answer-msgbox "$W" ok
drv_expect "box answered after the refusal" "answer: ok" get-text "$W" 1011

# No box: the wait ends with a message naming the owner.
err=$(drv --exit 1 wait-msgbox "$W" --timeout 0.3)
e2e_assert_contains "no box" "waiting for a message box owned by \"$W\"" "$err"

testee_stop "$W"
