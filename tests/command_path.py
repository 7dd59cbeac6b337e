"""A PATH on which some commands cannot be found, for testing the set-up without them."""
import os
from pathlib import Path


def path_without(folder: Path, hidden) -> str:
    """A PATH of one folder, made in `folder`, that links every command of the
    current PATH except those for which `hidden(name)` is true.

    Leaving a directory out of PATH would hide everything else in it too
    (CMake sits in /usr/bin beside the compiler), so each command is linked
    one by one instead; the first of a name on the PATH wins, as in a shell.
    """
    folder.mkdir(parents=True, exist_ok=True)
    for directory in os.environ["PATH"].split(os.pathsep):
        try:
            entries = list(os.scandir(directory))
        except OSError:
            continue
        for entry in entries:
            link = folder / entry.name
            if hidden(entry.name) or link.exists() or not os.access(entry.path, os.X_OK):
                continue
            link.symlink_to(entry.path)
    return str(folder)
