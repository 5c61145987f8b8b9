#!/usr/bin/python3
"""Runs a command as a child subreaper and notes whether a process of a given
name ended by a signal.

    wine-signal-watch.py NAME REPORT-FILE COMMAND [ARGUMENT...]

Wine starts a Windows program with a double fork: the program's Linux process
is an orphan that the runner cannot wait for, and Wine itself reports a
program killed by a signal with the exit code 0. A subreaper inherits such
orphans, so it sees how each of them ended. When one whose name
(/proc/PID/comm, which the kernel cuts to 15 characters) is NAME ends by a
signal, the signal's number is written to REPORT-FILE. The status is the
command's own (128 + N when it was killed by signal N).

Standard library only; ctypes for prctl(2).
"""
import ctypes
import os
import sys
import time

PR_SET_CHILD_SUBREAPER = 36
COMM_LENGTH = 15
# The command (winprobe) can see the program's end before the program's Linux
# process has ended: that long, at most, for it to end after the command.
SETTLE_SECONDS = 2.0


def name_of(pid):
    try:
        with open(f"/proc/{pid}/comm", encoding="utf-8", errors="replace") as comm:
            return comm.read().rstrip("\n")
    except OSError:
        return ""


def has_child_named(name):
    me = os.getpid()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", encoding="utf-8", errors="replace") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if int(fields[1]) == me and name_of(entry) == name:
            return True
    return False


def main():
    if len(sys.argv) < 4:
        print("usage: wine-signal-watch.py NAME REPORT-FILE COMMAND [ARGUMENT...]", file=sys.stderr)
        return 2
    name = sys.argv[1][:COMM_LENGTH]
    report = sys.argv[2]
    command = sys.argv[3:]
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        print("wine-signal-watch: cannot become a subreaper", file=sys.stderr)
        return 125
    command_pid = os.posix_spawnp(command[0], command, os.environ)
    command_status = None
    killed_by = None

    def reap(flags):
        """Reaps one child that has ended; False when none has."""
        nonlocal command_status, killed_by
        try:
            # Peeked first, not reaped: its /proc entry still gives its name.
            info = os.waitid(os.P_ALL, 0, os.WEXITED | os.WNOWAIT | flags)
        except ChildProcessError:
            return False
        if info is None:
            return False
        pid = info.si_pid
        if pid != command_pid and info.si_code in (os.CLD_KILLED, os.CLD_DUMPED) and name_of(pid) == name:
            killed_by = info.si_status
        _, status = os.waitpid(pid, 0)
        if pid == command_pid:
            command_status = status
        return True

    while command_status is None:
        reap(0)
    deadline = time.monotonic() + SETTLE_SECONDS
    while True:
        while reap(os.WNOHANG):
            pass
        if killed_by is not None or not has_child_named(name) or time.monotonic() > deadline:
            break
        time.sleep(0.02)

    if killed_by is not None:
        with open(report, "w", encoding="utf-8") as out:
            out.write(f"{killed_by}\n")
    code = os.waitstatus_to_exitcode(command_status)
    return 128 - code if code < 0 else code


if __name__ == "__main__":
    sys.exit(main())
