#!/usr/bin/env bash
# --sha256: a file whose digest differs sends nothing and names both digests; the one intended
# goes out whole, and its JSON line carries the digest.
source "$(dirname "$0")/lib/cli_native.sh"

queue=$RIG_QUEUE_RAW_ONLY
before=$(e2e_job_count "$queue")
cli_random_file "$work/module.bin" 300000
digest=$(sha256sum "$work/module.bin" | cut -c1-64)
other=$(printf '%s' "${digest:1}0")

# ---- a mismatch first: if it sent anything, the next job would not be the only one ----

cli_run upgrade "$work/module.bin" --printer "$queue" --yes --sha256 "$other"
cli_expect "mismatch" 3 "" \
    "tessaline-cli: File Error: $work/module.bin: its SHA-256 is $digest, not $other as given by --sha256; nothing was sent"

e2e_expect_no_jobs "$queue" "$before" 1

cli_run upgrade "$work/module.bin" --printer "$queue" --yes --json --sha256 "${digest^^}"
job=$(sed -n 's/.*"job":\([0-9]*\).*/\1/p' <<<"$CLI_OUT")
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "match, json" 0 \
    '{"printer":"'"$queue"'","uri":null,"stage":"Completed","size":300000,"sha256":"'"$digest"'","written":300000,"datatype":"RAW","job":'"$job"',"state":null,"state_reasons":null,"message":null,"seconds":S}' ""
e2e_wait_jobs "$queue" "$before" 1
e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$work/module.bin"

# ---- a digest that is not 64 hexadecimal digits is a usage error ----

cli_run upgrade "$work/module.bin" --printer "$queue" --yes --sha256 "${digest:0:63}"
cli_expect "short digest" 1 "" \
    "tessaline-cli: --sha256 takes the file's SHA-256 as 64 hexadecimal digits
Try 'tessaline-cli --help'."
echo "all checks passed"
