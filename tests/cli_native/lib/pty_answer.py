#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal, answers its prompt once, and prints what it showed.

usage: pty_answer.py PROMPT ANSWER COMMAND [ARGS...]

Waits (up to 20 s) until the terminal shows PROMPT, types ANSWER and Enter, then copies
everything the command writes until it ends. Standard input, output and error of the command
are all the terminal. The transcript goes to standard output with CR LF turned into LF; the
exit status is the command's (124 when the prompt never came).
"""
import os
import pty
import select
import sys
import time


def read_some(fd, timeout):
    ready, _, _ = select.select([fd], [], [], timeout)
    if not ready:
        return b""
    try:
        return os.read(fd, 65536)
    except OSError:  # EIO: the command closed the terminal
        return None


def main():
    prompt, answer, command = sys.argv[1].encode(), sys.argv[2].encode(), sys.argv[3:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    shown = b""
    deadline = time.monotonic() + 20
    while prompt not in shown:
        if time.monotonic() > deadline:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
            sys.stdout.write(shown.decode(errors="replace"))
            return 124
        chunk = read_some(fd, 0.2)
        if chunk is None:
            break
        shown += chunk
    if prompt in shown:
        os.write(fd, answer + b"\r")
    while True:
        chunk = read_some(fd, 30)
        if not chunk:
            break
        shown += chunk
    _, status = os.waitpid(pid, 0)
    sys.stdout.write(shown.replace(b"\r\n", b"\n").decode(errors="replace"))
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
