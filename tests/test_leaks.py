"""No leaks: levels built, played and dropped by the thousand leave the heap
as it was, and (under the sanitizers) no engine memory becomes unreachable.

Both play the random levels of random_play.py in a fresh interpreter, so that
nothing else of the test run is measured: the first through
benchmarks/leak_check.py, the second directly."""

import os
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

from helpers import SANITIZED

TESTS = Path(__file__).resolve().parent
BENCHMARKS = TESTS.parent / "benchmarks"


def test_heap_stays_flat_over_many_levels():
    # The heap figure is exact (malloc's own count, or ASan's), so a small run
    # is enough to see a leak of even one engine object per level.
    result = subprocess.run(
        [sys.executable, str(BENCHMARKS / "leak_check.py"),
         "--levels", "1600", "--rounds", "8", "--warmup", "3"],
        capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "OK: memory stays flat" in result.stdout


@pytest.mark.skipif(not SANITIZED, reason="needs the sanitizer build (make test-sanitize)")
@pytest.mark.parametrize("planted", [False, True], ids=["levels", "planted-leak"])
def test_no_memory_is_left_unreachable(tmp_path, planted):
    """LeakSanitizer, asked after every level object has been dropped: any
    block that nothing points to any more (a zone merged away, an agent
    removed, a view, a cycle of shares) would be reported with its stack.
    The planted leak shows that the check does find one."""
    code = textwrap.dedent(f"""
        import ctypes, gc, random, sys
        sys.path.insert(0, {str(TESTS)!r})
        from random_play import LevelPlayer

        player = LevelPlayer(random.Random(7))
        for _ in range({20 if planted else 300}):
            player.play_one()
        del player
        if {planted}:
            ctypes.CDLL(None).malloc(4242)
        gc.collect()
        print("leaks found:", ctypes.CDLL(None).__lsan_do_recoverable_leak_check())
    """)
    # The interpreter does not free everything at exit, so the check at exit
    # stays off; the check above runs while the interpreter is whole.
    options = "detect_leaks=1:leak_check_at_exit=0:halt_on_error=1"
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                            timeout=600, cwd=tmp_path,
                            env={**os.environ, "ASAN_OPTIONS": options})
    assert result.returncode == 0, result.stderr[-5000:]
    found = "leaks found: 1" if planted else "leaks found: 0"
    assert found in result.stdout, result.stderr[-5000:]
