"""The command line: `python -m velm_levels` or `velm-play`, with the commands
`play` (the default, so that `python -m velm_levels LEVEL` plays a level),
`check`, `record`, `replay` and `verify`.

Whatever goes wrong ends with one line on standard error and a status, never
a traceback: a full disk or a broken record file gives 2, a closed pipe ends
the program as the pipe's signal would (status 141 in the shell), and Ctrl-C
gives 130 with no record left half written.
"""

import argparse
import importlib.metadata
import io
import os
import signal
import sys
from collections.abc import Callable, Sequence

from velm_levels import exit_status
from velm_levels.check_command import CheckSetupError, add_check_arguments, run_check
from velm_levels.console import OutputError, abandon_output, complain, finish_output
from velm_levels.player import add_play_arguments, add_record_arguments, run_play, run_record
from velm_levels.record_output import RecordError
from velm_levels.replay_command import add_replay_arguments, run_replay
from velm_levels.verify_command import add_verify_arguments, run_verify

_PLAY_STATUSES = """exit status:
  0    the level is solved: the top zone is down to one charge, nothing else left
  1    the level ran into the engine's frame limit
  2    the level cannot be played (a missing or malformed file), bad arguments,
       or output that cannot be written
  3    the level stalled: it completed with agents, inner zones or several
       charges left
  130  interrupted by Ctrl-C"""

_Command = tuple[str, Callable[[argparse.ArgumentParser], None],
                 Callable[[argparse.Namespace, str], int], str, str]
COMMANDS: tuple[_Command, ...] = (
    ("play", add_play_arguments, run_play,
     "play a level and tell every frame (the default command)", _PLAY_STATUSES),
    ("check", add_check_arguments, run_check,
     "play many levels in parallel and tell how each came out",
     "exit status:\n  0  every level is solved or meets its expect object\n"
     "  1  some level is not\n  2  bad arguments"),
    ("record", add_record_arguments, run_record,
     "play a level and write its frame reports to a record file", _PLAY_STATUSES),
    ("replay", add_replay_arguments, run_replay,
     "write the replay page of a recorded run: one HTML file to step through in a browser",
     "exit status:\n  0  the page is written\n"
     "  2  the record cannot be read or shown, the page cannot be written, or bad arguments"),
    ("verify", add_verify_arguments, run_verify,
     "play a level afresh and compare it with a record, frame by frame",
     "exit status:\n  0  the record is identical to the play\n"
     "  1  a frame differs (the first is shown)\n"
     "  2  the level or the record cannot be read, or bad arguments"),
)
_TOP_LEVEL_OPTIONS = ("-h", "--help", "--version")


def main(argv: Sequence[str] | None = None, program: str = "velm-play") -> int:
    """Runs the command line `argv` (by default the process's own) and returns
    its exit status; `program` is the name that messages begin with."""
    arguments = list(sys.argv[1:] if argv is None else argv)
    if not arguments or arguments[0] not in (*_command_names(), *_TOP_LEVEL_OPTIONS):
        arguments.insert(0, "play")
    if isinstance(sys.stdout, io.TextIOWrapper):
        # Whatever the terminal's encoding cannot show is escaped, not fatal.
        sys.stdout.reconfigure(errors="backslashreplace")
    try:
        return _run(arguments, program)
    except OutputError as error:
        abandon_output()
        complain(program, str(error))
        return exit_status.UNPLAYABLE
    except BrokenPipeError:
        abandon_output()
        return _end_as_a_closed_pipe_would()
    except KeyboardInterrupt:
        return exit_status.INTERRUPTED


def _run(arguments: list[str], program: str) -> int:
    try:
        options = _parser(program).parse_args(arguments)
        status: int = options.run(options, program)
    except (RecordError, CheckSetupError) as error:
        complain(program, str(error))
        status = exit_status.UNPLAYABLE
    finish_output()
    return status


def _parser(program: str) -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=program, formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Plays levels of velm_engine frame by frame, checks many at once,\n"
                    "records their frame reports and verifies records.",
        epilog=f"Without a command, the arguments are those of `play`:\n"
               f"`{program} LEVEL` plays LEVEL.")
    parser.add_argument("--version", action="version",
                        version=f"%(prog)s {importlib.metadata.version('velm_engine')}")
    commands = parser.add_subparsers(title="commands", metavar="COMMAND", required=True)
    for name, add_arguments, run, summary, statuses in COMMANDS:
        command = commands.add_parser(name, help=summary, description=summary[0].upper()
                                      + summary[1:] + ".", epilog=statuses,
                                      formatter_class=argparse.RawDescriptionHelpFormatter)
        add_arguments(command)
        command.set_defaults(run=run)
    return parser


def _command_names() -> tuple[str, ...]:
    return tuple(name for name, *_ in COMMANDS)


def _end_as_a_closed_pipe_would() -> int:
    """Ends the process by SIGPIPE with its default action, as programs that
    do not catch it end, so that the shell reports 141 and a pipeline such as
    `... | head -1` stays quiet."""
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    os.kill(os.getpid(), signal.SIGPIPE)
    return 128 + signal.SIGPIPE  # Reached only where the signal is blocked.
