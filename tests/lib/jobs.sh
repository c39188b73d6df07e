# Jobs a capture printer has stored in its folder: job-NNNNNN.bin, numbered from 1 in arrival
# order; a job still arriving ends in ".part" and does not count. The one way the tests, the
# demo and the benchmarks count and wait for jobs. Every function returns non-zero, saying why
# on standard error, instead of ending the caller: a test's own helpers decide what a failure
# ends. Needs tests/lib/wait.sh.

# jobs_list FOLDER: the finished jobs' files, oldest first.
jobs_list() { find "$1" -maxdepth 1 -name 'job-*.bin' | sort; }

jobs_count() { find "$1" -maxdepth 1 -name 'job-*.bin' | wc -l; }

# jobs_file FOLDER N: the file of job N, whether it has arrived or not.
jobs_file() { printf '%s/job-%06d.bin\n' "$1" "$2"; }

jobs_newest() { jobs_list "$1" | tail -n 1; }

jobs_at_least() { [ "$(jobs_count "$1")" -ge "$2" ]; }

# jobs_wait FOLDER COUNT SECONDS: waits until the folder holds at least COUNT finished jobs.
jobs_wait() {
    wait_until "$3" jobs_at_least "$1" "$2" && return 0
    echo "expected $2 job(s) in $1 within $3 s, got $(jobs_count "$1")" >&2
    return 1
}
