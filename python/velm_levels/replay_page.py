"""The replay page: one self-contained HTML file that shows a run frame by frame.

The page needs no network and no other file. Its data is embedded with
jinja2's `tojson` as a JSON script block, which escapes every character that
could end the block; the page's script reads it and puts every text the run
holds into the page as text, never as markup. A Content-Security-Policy lets
only the page's own script and style run and forbids every fetch, so even a
mistake in the escaping could neither run code nor reach the network.
"""

import base64
import errno
import hashlib
import os
import tempfile
from collections.abc import Iterable
from pathlib import Path
from typing import Any

import jinja2

from velm_levels.replay_data import replay_data

_TEMPLATES = "templates"


def write_replay_page(path: str | os.PathLike[str], reports: Iterable[str], title: str, *,
                      start: str | None = None, outcome: str | None = None) -> None:
    """Writes the replay page of a run to `path`.

    `reports` are the run's frame report texts in order, as next_frame()
    returned them; `start` is the top zone's state text before the first
    frame, when known, shown as the page's first step; `outcome` is what the
    last frame says of the run, by default its final status. The file is
    replaced whole or not at all. Raises ReplayError for reports that the page
    cannot show, OSError when the file cannot be written.
    """
    page = render_replay_page(replay_data(reports, title, start=start, outcome=outcome))
    write_whole(Path(path), page)


def render_replay_page(data: dict[str, Any]) -> str:
    """The page's HTML text for a run in the form of velm_levels.replay_data."""
    environment = _environment()
    style = _asset(environment, "replay.css")
    script = _asset(environment, "replay.js")
    return environment.get_template("replay.html.j2").render(
        data=data, style=style, script=script,
        style_hash=_csp_hash(style), script_hash=_csp_hash(script))


def write_whole(path: Path, text: str) -> None:
    """Writes `text` to `path` through a temporary file beside it, so that a
    failure leaves any earlier file as it was and no half-written one."""
    # Identifiers may hold lone surrogates (from undecodable file names in a
    # title, say); they are written escaped rather than failing the page.
    data = text.encode("utf-8", errors="backslashreplace")
    descriptor, temporary = tempfile.mkstemp(dir=path.parent, prefix=f".{path.name}.",
                                             suffix=".tmp")
    try:
        with os.fdopen(descriptor, "wb") as file:
            file.write(data)
        os.chmod(temporary, 0o666 & ~_umask())
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def check_writable(path: Path) -> None:
    """Raises OSError unless a page could be written to `path` now: its
    folder takes new files and `path` is not a folder."""
    if path.is_dir():
        raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), str(path))
    descriptor, temporary = tempfile.mkstemp(dir=path.parent, prefix=f".{path.name}.",
                                             suffix=".tmp")
    os.close(descriptor)
    os.unlink(temporary)


def _environment() -> jinja2.Environment:
    environment = jinja2.Environment(
        loader=jinja2.PackageLoader("velm_levels", _TEMPLATES),
        autoescape=True, undefined=jinja2.StrictUndefined, keep_trailing_newline=True)
    # Compact, and refusing NaN: the browser's JSON parser would not take it.
    environment.policies["json.dumps_kwargs"] = {
        "separators": (",", ":"), "allow_nan": False, "sort_keys": False}
    return environment


def _asset(environment: jinja2.Environment, name: str) -> str:
    loader = environment.loader
    assert loader is not None
    text, _, _ = loader.get_source(environment, name)
    return text


def _csp_hash(text: str) -> str:
    digest = hashlib.sha256(text.encode("utf-8")).digest()
    return "sha256-" + base64.b64encode(digest).decode("ascii")


def _umask() -> int:
    # mkstemp creates the file readable by its owner only; a page is meant to
    # be shared like any file the user writes, so it gets the usual mode.
    mask = os.umask(0)
    os.umask(mask)
    return mask
