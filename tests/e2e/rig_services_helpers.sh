# The test helpers fail when they should, with reports that say what differed.
source "$(dirname "$0")/lib/e2e.sh"

work=$(mktemp -d "$RIG_DIR/rig_services_helpers.XXXXXX")
printf '\033E\000\014abc' >"$work/expected"
printf '\033E\000\015abc' >"$work/changed"
printf '\033E\000' >"$work/short"

# expect_failure NAME EXPECTED_MESSAGE COMMAND...: the helper must end its (sub)shell with
# status 1 and exactly this report.
expect_failure() {
    local name=$1 expected=$2 output status
    shift 2
    set +e
    output=$( (set -e; "$@") 2>&1)
    status=$?
    set -e
    e2e_assert_eq "$name: exit status" 1 "$status"
    e2e_assert_eq "$name: report" "$expected" "$output"
}

expect_failure "job differs in one byte" \
    "FAIL [rig_services_helpers]: changed differs from expected at offset 3 (sizes 7 and 7):
  got      @3: 0d 61 62 63
  expected @3: 0c 61 62 63" \
    e2e_assert_job_file "$work/changed" "$work/expected"
expect_failure "job cut short" \
    "FAIL [rig_services_helpers]: short differs from expected at offset 3 (sizes 3 and 7):
  got      @3: (end of file)
  expected @3: 0c 61 62 63" \
    e2e_assert_job_file "$work/short" "$work/expected"
expect_failure "job hex" \
    "FAIL [rig_services_helpers]: changed bytes differ:
  got      1b 45 00 0d 61 62 63
  expected 1b 45 00 0c 61 62 63" \
    e2e_assert_job_hex "$work/changed" "1B 45 00 0C 61 62 63"
e2e_assert_job_hex "$work/expected" "1b 45 00 0c
    61 62 63"
e2e_assert_job_file "$work/expected" "$work/expected"

queue=${RIG_QUEUES%% *}
before=$(e2e_job_count "$queue")
expect_failure "no job arrives" \
    "FAIL [rig_services_helpers]: queue $queue: expected 1 new job(s) within 1s, got 0" \
    e2e_wait_jobs "$queue" "$before" 1 1
expect_failure "unknown queue" \
    "FAIL [rig_services_helpers]: unknown queue 'No_Such_Queue' (no \$RIG_JOBS_No_Such_Queue); queues: $RIG_QUEUES" \
    e2e_job_count No_Such_Queue

key='HKCU\Software\TessalineRigSelfTest'
e2e_reg_delete_key "$key"
e2e_reg_add "$key" Number REG_DWORD 5
e2e_reg_add "$key" Text REG_SZ "two  words"
e2e_assert_reg "$key" Number 0x5
e2e_assert_eq "type of Number" REG_DWORD "$(e2e_reg_type "$key" Number)"
e2e_assert_reg "$key" Text "two  words"
e2e_assert_no_reg "$key" Missing
expect_failure "missing value" \
    "FAIL [rig_services_helpers]: registry value $key\\Missing is missing" \
    e2e_assert_reg "$key" Missing 1
e2e_reg_delete_key "$key"
e2e_assert_no_reg "$key" Number
rm -rf "$work"
