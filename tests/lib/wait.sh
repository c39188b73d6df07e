# The one wait of the tests, the demo and the benchmarks, in seconds with fractions.

# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; false once SECONDS
# have passed.
wait_until() {
    local deadline
    deadline=$(wait_seconds_from_now "$1")
    shift
    until "$@"; do
        wait_before "$deadline" || return 1
        sleep 0.1
    done
}

# Times as microseconds since the epoch, so fractions of a second compare as integers.
wait_now_us() { local t=${EPOCHREALTIME/[.,]/}; echo "$((10#$t))"; }
wait_seconds_from_now() {
    local whole=${1%%.*} fraction=${1#*.}
    [ "$fraction" != "$1" ] || fraction=0
    fraction=$(printf '%-6.6s' "$fraction" | tr ' ' 0)
    echo "$(($(wait_now_us) + 10#${whole:-0} * 1000000 + 10#$fraction))"
}
wait_before() { [ "$(wait_now_us)" -lt "$1" ]; }
