"""Writing the command line's output, with failures told apart.

A full disk or a closed pipe on standard output must end the program with a
one-line message and a status, not a traceback, so every line of output goes
through here and a failure becomes an OutputError (or a BrokenPipeError,
which the command line answers the way the shell expects).
"""

import os
import sys

from velm_levels.terminal_text import printable


class OutputError(Exception):
    """Standard output could not be written; `reason` says why."""

    def __init__(self, error: OSError):
        self.reason = error.strerror or str(error)
        super().__init__(f"cannot write standard output: {self.reason}")


def say(line: str) -> None:
    """Writes `line` to standard output, every unprintable character escaped."""
    try:
        sys.stdout.write(printable(line) + "\n")
    except BrokenPipeError:
        raise
    except OSError as error:
        raise OutputError(error) from None


def finish_output() -> None:
    """Flushes standard output, so that a failure shows before the exit status."""
    try:
        sys.stdout.flush()
    except BrokenPipeError:
        raise
    except OSError as error:
        raise OutputError(error) from None


def complain(program: str, message: str) -> None:
    """Writes one line about a failure to standard error."""
    try:
        print(printable(f"{program}: {message}"), file=sys.stderr, flush=True)
    except OSError:
        pass  # Nowhere is left to tell it; the exit status still does.


def abandon_output() -> None:
    """Points standard output at the null device, so that what is still
    buffered for a closed or full output cannot fail again at exit."""
    try:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        os.close(devnull)
    except (OSError, ValueError):
        pass  # No file descriptor to redirect: nothing will be flushed there.
