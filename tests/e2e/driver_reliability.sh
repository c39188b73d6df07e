# Twenty runs in a row: start the dialog, drive it, answer its message box and read it back
# exactly, close it. Any flake fails the test; the time per run is reported.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/driver_testee.sh"

runs=${DRIVER_RELIABILITY_RUNS:-20}
times=()
for run in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    W="Driver Run $run $$"
    testee_start "$W"
    drv set-text "$W" 1000 "run $run"
    drv_expect "run $run: path" "run $run" get-text "$W" 1000
    drv select "$W" 1005 --text "Charlie Delta"
    drv_expect "run $run: selection" $'2\tCharlie Delta' get-selection "$W" 1005
    drv click "$W" 1008
    drv_expect "run $run: flag" "checked" get-check "$W" 1008
    drv click "$W" 1002
    drv_expect "run $run: box" 'caption: Testee Question
text: Proceed with the test?\nNothing can be undone.  Really?
icon: exclamation
buttons: yesno
default: yes
type: 0x34' wait-msgbox "$W"
    answer=$([ $((run % 2)) -eq 0 ] && echo yes || echo no)
    drv answer-msgbox "$W" "$answer"
    drv_expect "run $run: answer" "answer: $answer" get-text "$W" 1011
    testee_stop "$W"
    times+=($((($(date +%s%N) - start) / 1000000)))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
e2e_note "$runs runs passed; ms per run: ${times[*]}; min $(head -n 1 <<<"$sorted")" \
    "median $(sed -n "$(((runs + 1) / 2))p" <<<"$sorted") max $(tail -n 1 <<<"$sorted")"
