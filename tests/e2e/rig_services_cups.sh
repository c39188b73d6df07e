# The private cupsd serves the rig's queues, each a raw socket queue to its own capture printer.
source "$(dirname "$0")/lib/e2e.sh"

case "$CUPS_SERVER" in
    "$RIG_DIR"/*) ;;
    *) e2e_fail "CUPS_SERVER '$CUPS_SERVER' is not the rig's own socket under $RIG_DIR" ;;
esac
[ -S "$(readlink -f "$CUPS_SERVER")" ] || e2e_fail "$CUPS_SERVER is not a socket"

expected_devices=
for queue in $RIG_QUEUES; do
    port=$(e2e_queue_var RIG_PORT "$queue")
    expected_devices+="device for $queue: socket://127.0.0.1:$port/?waiteof=false"$'\n'
done
expected_devices=$(sort <<<"$expected_devices" | sed '/^$/d')

# Over the unix socket and over the loopback port alike.
for server in "$CUPS_SERVER" "127.0.0.1:$RIG_CUPS_PORT"; do
    devices=$(CUPS_SERVER=$server lpstat -v | sort) || e2e_fail "lpstat -v via $server failed"
    e2e_assert_eq "devices via $server" "$expected_devices" "$devices"
done

for queue in $RIG_QUEUES; do
    lpstat -p "$queue" | grep -q "^printer $queue is idle.  enabled since" ||
        e2e_fail "queue $queue is not idle and enabled: $(lpstat -p "$queue")"
    lpstat -a "$queue" | grep -q "^$queue accepting requests since" ||
        e2e_fail "queue $queue does not accept jobs: $(lpstat -a "$queue")"
    jobs=$(e2e_jobs_dir "$queue")
    case "$jobs" in
        "$RIG_DIR"/*) ;;
        *) e2e_fail "jobs folder of $queue is outside the rig: $jobs" ;;
    esac
    e2e_assert_eq "capture port file of $queue" "$(e2e_queue_var RIG_PORT "$queue")" \
        "$(cat "$RIG_CAPTURE_DIR/$queue/port")"
done
