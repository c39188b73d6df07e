#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal, answers its question once, and prints what it showed.

usage: pty.py [--console] [--plain] [--raw FILE] [--timeout SECONDS] PROMPT ANSWER COMMAND...

Once the terminal shows PROMPT (escape sequences aside), types ANSWER and Enter, then copies
everything the command writes until it ends. Standard input, output and error of the command
are all the terminal, of 24 rows and 80 columns. The transcript goes to standard output with
CR LF turned into LF; the exit status is the command's, or 124 when it had not ended within
SECONDS (default 60) and was killed.

--console  the command is a Windows console program under Wine: Enter is typed only once the
           console reads the terminal raw, since before that the line discipline would turn it
           into a line feed, which the console does not take as Enter.
--plain    the transcript without escape sequences, carriage returns and blanks (Wine's console
           moves the cursor instead of writing spaces).
--raw      also writes every byte the terminal showed to FILE.
"""
import os
import sys

# This file is named pty.py: its own folder off the import path, or it would import itself.
_HERE = os.path.dirname(os.path.realpath(__file__))
sys.path[:] = [p for p in sys.path if os.path.realpath(p or os.curdir) != _HERE]

import argparse  # noqa: E402
import fcntl  # noqa: E402
import pty  # noqa: E402
import re  # noqa: E402
import select  # noqa: E402
import signal  # noqa: E402
import struct  # noqa: E402
import termios  # noqa: E402
import time  # noqa: E402

ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]")
TIMED_OUT = 124


def parse():
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--console", action="store_true")
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--raw")
    parser.add_argument("--timeout", type=float, default=60.0)
    parser.add_argument("prompt")
    parser.add_argument("answer")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if not args.command:
        parser.error("no command")
    return args


def read_some(fd, timeout):
    """Bytes the terminal showed within timeout; b"" for none yet, None once it is closed."""
    ready, _, _ = select.select([fd], [], [], timeout)
    if not ready:
        return b""
    try:
        data = os.read(fd, 65536)
    except OSError:  # EIO: every process has let go of the terminal
        return None
    return data or None


def wait_until_raw(fd, seconds):
    until = time.monotonic() + seconds
    while termios.tcgetattr(fd)[3] & termios.ICANON and time.monotonic() < until:
        time.sleep(0.05)


def run(args):
    pid, fd = pty.fork()
    if pid == 0:
        # A terminal of no size makes Wine's console hang; give it the usual one.
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
        os.execvp(args.command[0], args.command)
    prompt, answer = args.prompt.encode(), args.answer.encode()
    deadline = time.monotonic() + args.timeout
    shown, typed, status = b"", False, None
    while time.monotonic() < deadline:
        # Wine's console host may keep the terminal open after the program has ended.
        done, code = os.waitpid(pid, os.WNOHANG)
        if done:
            status = code
            break
        data = read_some(fd, 0.2)
        if data is None:
            break
        shown += data
        if not typed and prompt in ESCAPES.sub(b"", shown):
            if args.console:
                wait_until_raw(fd, 10)
            os.write(fd, answer + b"\r")
            typed = True
    # What the command wrote just before it ended.
    while True:
        data = read_some(fd, 0.2)
        if not data:
            break
        shown += data
    if status is None:
        while time.monotonic() < deadline:
            done, code = os.waitpid(pid, os.WNOHANG)
            if done:
                status = code
                break
            time.sleep(0.05)
    if status is None:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    return shown, TIMED_OUT if status is None else os.waitstatus_to_exitcode(status)


def main():
    args = parse()
    shown, code = run(args)
    if args.raw:
        with open(args.raw, "wb") as raw:
            raw.write(shown)
    if args.plain:
        text = ESCAPES.sub(b"", shown).replace(b"\r", b"").replace(b" ", b"")
    else:
        text = shown.replace(b"\r\n", b"\n")
    sys.stdout.buffer.write(text)
    return code


if __name__ == "__main__":
    sys.exit(main())
