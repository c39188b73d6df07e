# The rig's print queues, by what they do. Sourced by the rig, the end-to-end tests (Wine and
# native), the demo, the benchmarks and scripts/run; nothing else names a queue.
#
# Under Wine (scripts/lib/queues.sh gives each its behaviour):
#   RIG_QUEUE_VIRTUAL   accepts "XPS_PASS" and "RAW" and delivers the bytes unchanged
#   RIG_QUEUE_RAW_ONLY  refuses "XPS_PASS" at StartDocPrinter with error 1804, delivers "RAW"
#   RIG_QUEUE_LATE      Wine's own behaviour: "XPS_PASS" fails at EndDocPrinter, nothing arrives
# Natively, over CUPS, each is a plain raw queue in front of its own capture printer.

RIG_QUEUE_VIRTUAL=Tessaline_Virtual_Printer
RIG_QUEUE_RAW_ONLY=Tessaline_Raw_Only
RIG_QUEUE_LATE=Tessaline_Late_Refusal

# The queues of a test rig, and the one of scripts/run's rig (RIG_MODE=run), where Wine shows
# the virtual printer's queue under a name with spaces, as a user's printer would have.
RIG_TEST_QUEUES=("$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY" "$RIG_QUEUE_LATE")
RIG_RUN_QUEUE=$RIG_QUEUE_VIRTUAL
RIG_RUN_PRINTER_NAME="Tessaline Virtual Printer"

# As the program's printer drop-down lists the test queues: Wine names each printer after its
# queue, and the list sorts.
RIG_PRINTER_LIST="$RIG_QUEUE_LATE
$RIG_QUEUE_RAW_ONLY
$RIG_QUEUE_VIRTUAL"
