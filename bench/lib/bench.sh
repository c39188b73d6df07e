# Figures and job look-ups shared by the benchmarks. Sourced after tests/e2e/lib/e2e.sh, by a
# script that sets `queue` to the queue it measures.

now() { date +%s.%N; }

elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Lowest, highest and the spread (highest - lowest) / median in percent, of a file of figures.
spread() {
    local m
    m=$(grep . "$1" | median)
    grep . "$1" | sort -g | awk -v m="$m" 'NR == 1 { lo = $1 } { hi = $1 }
        END { printf "min %.3f, max %.3f, spread %.0f%%", lo, hi, (m > 0 ? (hi - lo) / m * 100 : 0) }'
}

all() { grep . "$1" | tr '\n' ' '; }

# add FIGURE FILE: appends one figure to a file of figures.
add() { printf '%s\n' "$1" >>"$2"; }

# The capture printer's close time of the queue's job N: its last byte.
close_time() { job_time close "$1"; }

# The capture printer's connect time of the queue's job N: the delivery's start.
connect_time() { job_time connect "$1"; }

job_time() {
    local line
    line=$(e2e_job_log_line "$queue" "$2")
    [[ "$line" =~ $1=([0-9.]+) ]] || e2e_fail "no $1 time in: $line"
    echo "${BASH_REMATCH[1]}"
}

# met FIGURE LIMIT: "met" when FIGURE <= LIMIT, else "not met".
met() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "met" : "not met" }'; }

# keep_forms BEFORE FORMS DIR: copies the FORMS jobs after job BEFORE to DIR/1.pcl and on, and
# checks that the last one carries its own number (Letter, Portrait): the jobs are the forms, in
# order, so a baseline can send the very same bytes.
keep_forms() {
    local n
    mkdir -p "$3"
    for n in $(seq 1 "$2"); do
        cp "$(e2e_job_file "$queue" $(($1 + n)))" "$3/$n.pcl"
    done
    e2e_assert_job_hex "$3/$2.pcl" \
        "1b 45 1b 26 6c 32 61 30 4f 1b 26 66 $(printf %s "$2" | od -An -tx1) 79 33 58 0c"
}
