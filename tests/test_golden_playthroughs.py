"""Every bundled level plays exactly as its recorded playthrough, byte for byte.

After an intended change of behaviour, `make goldens` records them afresh and
shows what changed.
"""
import pytest

from golden_playthroughs import (
    golden,
    play_stream,
    read_golden,
    recorded_names,
    stream_difference,
)
from velm_levels import bundled_levels
from velm_levels.agent_kinds import AGENT_KINDS

LEVELS = bundled_levels()


@pytest.mark.parametrize("name", sorted(LEVELS))
def test_bundled_level_replays_its_recorded_stream(name):
    recorded = read_golden(name)
    assert recorded is not None, f"{name} has no recorded playthrough; run `make goldens`"
    now = play_stream(LEVELS[name])
    if now != recorded:
        difference = stream_difference(recorded, now)
        assert difference is not None
        pytest.fail(f"{name} plays differently from frame {difference.index + 1} on; "
                    "run `make goldens` to see the change and, if intended, record it")


def test_every_recorded_stream_belongs_to_a_bundled_level():
    assert recorded_names() <= set(LEVELS)


def test_the_samples_cover_every_agent_kind_and_both_endings():
    # The frame-limit sample must really run into the limit, and the others end resolved.
    assert set(AGENT_KINDS) <= set(LEVELS)
    last_reports = {name: golden(name).splitlines()[-1] for name in LEVELS}
    assert b'"status":"ERROR"' in last_reports.pop("frame_limit")
    assert all(b'"message":"Equation Resolved."' in last for last in last_reports.values())
