import os
import subprocess
import sys
import textwrap

import pytest
from hypothesis import HealthCheck, settings

import velm_levels

# Hypothesis profiles for the property-based tests. The default keeps the whole
# suite well under a minute; VELM_HYPOTHESIS_PROFILE=long explores far more.
# No deadline: timings vary too much between machines and under the sanitizers.
settings.register_profile(
    "velm-default", max_examples=100, stateful_step_count=50, deadline=None, print_blob=True,
    suppress_health_check=[HealthCheck.too_slow])
settings.register_profile(
    "long", max_examples=2000, stateful_step_count=100, deadline=None, print_blob=True,
    suppress_health_check=[HealthCheck.too_slow])
settings.load_profile(os.environ.get("VELM_HYPOTHESIS_PROFILE", "velm-default"))


@pytest.fixture
def worked_example():
    """The top zone of a fresh copy of the bundled four-frame worked example:
    Top holds +2 and a Plus Magician over Inner, which holds +3, +4 and a
    Multiply Magician."""
    return velm_levels.make("worked_example").zone


@pytest.fixture
def run_isolated(tmp_path):
    """Runs Python code in a fresh interpreter, so that a crash fails the test
    instead of killing the run; returns its standard output."""
    def run(code, timeout=120):
        result = subprocess.run([sys.executable, "-c", textwrap.dedent(code)],
                                capture_output=True, text=True, timeout=timeout, cwd=tmp_path)
        assert result.returncode == 0, f"exit {result.returncode}\n{result.stderr[-3000:]}"
        return result.stdout
    return run
