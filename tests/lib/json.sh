# The command line's JSON lines with what changes from run to run masked, so tests can compare
# them whole: "seconds" becomes S, and a "state_reasons" list R (null stays null).
json_steady() {
    sed -E 's/"seconds":[0-9]+\.[0-9]{3}/"seconds":S/g; s/"state_reasons":\[[^]]*\]/"state_reasons":R/g' <<<"$1"
}
