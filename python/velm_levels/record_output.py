"""Writing a record file (a level's frame reports, one per line) so that it is
never left looking complete when it is not.

A record bound for a regular file is written to a temporary file beside it
and renamed over it only once every line is written; a failure, a closed
pipe or Ctrl-C removes the temporary file and leaves whatever was there
before. A FIFO or a device (a pipe to another program, /dev/stdout) cannot be
renamed into: it is written directly, each line whole before Ctrl-C is
answered. A name ending in ".xz" is written xz-compressed.
"""

import contextlib
import errno
import lzma
import os
import signal
import stat
import tempfile
from collections.abc import Iterator
from pathlib import Path
from types import TracebackType
from typing import BinaryIO

from velm_levels.terminal_text import shown


class RecordError(Exception):
    """A record that cannot be written, with the file and the reason."""


class RecordOutput:
    """A record file being written; use it as a context manager, which keeps
    the record when the block ends normally and drops it otherwise."""

    def __init__(self, path: Path, level_file: Path | None = None):
        """Opens the record `path`; refuses the file `level_file` itself, so
        that a record can never overwrite the level it records."""
        self.path = path
        existing = _status(path)
        # A link to a regular file stays a link: the record replaces the file
        # it points to. Anything else (/dev/stdout is a link to a pipe) is
        # written through the name as given.
        is_regular = existing is not None and stat.S_ISREG(existing.st_mode)
        self._target = Path(os.path.realpath(path)) if is_regular else path
        if existing is not None:
            self._refuse_to_replace(existing, level_file)
        self._direct = existing is not None and not is_regular
        self._temporary: Path | None = None
        try:
            self._file = self._open(existing)
        except OSError as error:
            raise self._error(error) from None
        self._stream: BinaryIO | lzma.LZMAFile = self._file
        if path.name.endswith(".xz"):
            self._stream = lzma.LZMAFile(self._file, "wb")

    def write_line(self, line: bytes) -> None:
        """Adds one report, `line` ending with its line break."""
        try:
            if not self._direct:
                self._stream.write(line)
                return
            with _interrupts_deferred():
                self._stream.write(line)
                self._stream.flush()
        except BrokenPipeError:
            raise
        except OSError as error:
            raise self._error(error) from None

    def __enter__(self) -> "RecordOutput":
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 traceback: TracebackType | None) -> None:
        if kind is None:
            self._keep()
        else:
            self._drop()

    def _refuse_to_replace(self, existing: os.stat_result, level_file: Path | None) -> None:
        if level_file is not None and _same_file(self._target, level_file):
            raise RecordError(f"refusing to write the record over the level file "
                              f"{shown(str(level_file))}")
        if stat.S_ISDIR(existing.st_mode):
            raise self._error(IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR)))

    def _open(self, existing: os.stat_result | None) -> BinaryIO:
        if self._direct:
            return open(self._target, "wb")
        descriptor, temporary = tempfile.mkstemp(
            dir=self._target.parent, prefix=f".{self._target.name}.", suffix=".partial")
        self._temporary = Path(temporary)
        # mkstemp makes the file private; the record gets the mode a new file
        # would get, or that of the file it replaces.
        os.fchmod(descriptor, stat.S_IMODE(existing.st_mode) if existing else _new_file_mode())
        return open(descriptor, "wb")

    def _keep(self) -> None:
        try:
            self._stream.close()
            self._file.close()
            if self._temporary is not None:
                os.replace(self._temporary, self._target)
        except BrokenPipeError:
            self._drop()
            raise
        except OSError as error:
            self._drop()
            raise self._error(error) from None

    def _drop(self) -> None:
        # Closing may fail again on a full disk; the file goes either way.
        with contextlib.suppress(OSError):
            self._stream.close()
        with contextlib.suppress(OSError):
            self._file.close()
        if self._temporary is not None:
            with contextlib.suppress(FileNotFoundError):
                self._temporary.unlink()

    def _error(self, error: OSError) -> RecordError:
        return RecordError(f"cannot write {shown(str(self.path))}: {error.strerror or error}")


def _status(path: Path) -> os.stat_result | None:
    """The file's status, or None when there is no such file (or it cannot be
    looked at, in which case creating the record fails and says why)."""
    try:
        return path.stat()
    except OSError:
        return None


def _same_file(path: Path, other: Path) -> bool:
    try:
        return os.path.samefile(path, other)
    except OSError:
        return False


def _new_file_mode() -> int:
    umask = os.umask(0)
    os.umask(umask)
    return 0o666 & ~umask


@contextlib.contextmanager
def _interrupts_deferred() -> Iterator[None]:
    """Holds Ctrl-C back until the block is done, then raises it."""
    interrupted = []
    previous = signal.signal(signal.SIGINT, lambda number, frame: interrupted.append(number))
    try:
        yield
    finally:
        signal.signal(signal.SIGINT, previous)
        if interrupted:
            raise KeyboardInterrupt
