"""The sessions on docs/hosts.md run as shown, exceptions and their messages included."""
import doctest
from pathlib import Path

PAGE = Path(__file__).parents[1] / "docs" / "hosts.md"


def test_every_session_on_the_hosts_page_runs_as_shown():
    result = doctest.testfile(str(PAGE), module_relative=False, optionflags=doctest.ELLIPSIS,
                              raise_on_error=False, verbose=False)
    assert result.attempted > 30
    assert result.failed == 0
