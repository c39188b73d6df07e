#!/usr/bin/env python3
"""Counts the jobs in flight at once, from the spoolers' own logs.

usage: jobs_in_flight.py [--cupsd-log ERROR_LOG --cupsd-jobs ID,ID...] [--printer-log LOG...]

A job of the cupsd is in flight from its "[Job N] Queued on" line to its "[Job N] Job
completed.", "aborted" or "canceled" line in error_log (LogTimeFormat usecs). A job of an
ippeveprinter is in flight from its "Print-Job successful-ok" or "Create-Job successful-ok" line
to its "[Job N] Processing time was" line, or its cancel or abort, in a log whose lines start
with the Unix time they were written (tests/lib/ipp_printers.sh). Prints one "start end name"
line per job, then "max N" (the most jobs in flight at one moment); exits 1, naming it, when a
job has no start or no end.
"""
import argparse
import datetime
import re
import sys

CUPSD_LINE = re.compile(r"^\w \[([^\]]+)\] \[Job (\d+)\] (.*)$")
CUPSD_ENDS = ("Job completed.", "Job aborted", "Job canceled", "Job cancelled", "Job stopped")
PRINTER_STARTS = re.compile(r"(Print-Job|Create-Job) successful-ok")
PRINTER_ENDS = re.compile(r"\[Job (\d+)\] (Processing time was|Canceled|Aborted|Job canceled)")


def cupsd_jobs(path, wanted):
    starts, ends = {}, {}
    with open(path, errors="replace") as log:
        for line in log:
            match = CUPSD_LINE.match(line.rstrip("\n"))
            if not match or int(match.group(2)) not in wanted:
                continue
            stamp = datetime.datetime.strptime(match.group(1), "%d/%b/%Y:%H:%M:%S.%f %z")
            job, text = int(match.group(2)), match.group(3)
            if text.startswith("Queued on"):
                starts.setdefault(job, stamp.timestamp())
            elif text.startswith(CUPSD_ENDS):
                ends[job] = stamp.timestamp()
    return [(starts.get(j), ends.get(j), "cupsd job %d" % j) for j in sorted(wanted)]


def printer_jobs(path):
    """Each job of one printer: the n-th job start is paired with job n's end."""
    starts, ends = [], {}
    with open(path, errors="replace") as log:
        for line in log:
            stamp, _, text = line.partition(" ")
            if PRINTER_STARTS.search(text):
                starts.append(float(stamp))
            match = PRINTER_ENDS.search(text)
            if match:
                ends.setdefault(int(match.group(1)), float(stamp))
    count = max([len(starts)] + list(ends))
    return [(starts[n - 1] if n <= len(starts) else None, ends.get(n), "%s job %d" % (path, n))
            for n in range(1, count + 1)]


def most_at_once(jobs):
    # Ends sort before starts at the same instant: a job that ends as another starts is not
    # two at once.
    events = sorted([(s, 1) for s, _, _ in jobs] + [(e, -1) for _, e, _ in jobs],
                    key=lambda ev: (ev[0], ev[1]))
    now = most = 0
    for _, step in events:
        now += step
        most = max(most, now)
    return most


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cupsd-log")
    parser.add_argument("--cupsd-jobs", default="")
    parser.add_argument("--printer-log", nargs="*", default=[])
    args = parser.parse_args()
    jobs = []
    if args.cupsd_log:
        wanted = {int(j) for j in args.cupsd_jobs.split(",") if j}
        jobs += cupsd_jobs(args.cupsd_log, wanted)
    for path in args.printer_log:
        jobs += printer_jobs(path)
    broken = [name for start, end, name in jobs if start is None or end is None]
    if broken:
        print("no start or no end in the logs for: " + ", ".join(broken), file=sys.stderr)
        return 1
    for start, end, name in sorted(jobs):
        print("%.6f %.6f %s" % (start, end, name))
    print("max %d" % most_at_once(jobs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
