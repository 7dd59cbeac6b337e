import json
import subprocess
import sys
import textwrap

import os

import pytest
from hypothesis import HealthCheck, settings

import velm_engine as velm

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


def frame(sequencer):
    """Runs one frame and returns its report parsed."""
    return json.loads(sequencer.next_frame())


def play(sequencer, limit=1100):
    """Plays until the level ends; returns every report of the running frames
    and the one that ended the level."""
    reports = []
    while len(reports) < limit:
        report = frame(sequencer)
        reports.append(report)
        if report["meta"]["status"] != "RUNNING":
            return reports
    raise AssertionError("level did not end")


def zone(zone_id, charges=(), inner=()):
    """A zone with (magnitude, polarity, visual_id) charges and inner zones."""
    environment = velm.Environment(zone_id)
    for magnitude, polarity, visual_id in charges:
        environment.add_charge(magnitude, polarity, visual_id)
    for sub in inner:
        environment.add_sub_environment(sub)
    return environment


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
