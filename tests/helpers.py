"""Helpers shared by the test modules (fixtures live in conftest.py)."""
import ctypes
import json
from typing import Any

import velm_engine as velm

# True when the tests run against the sanitizer build (make test-sanitize).
# AddressSanitizer reserves terabytes of address space and keeps freed memory
# in quarantine, so address-space limits and resident-size figures mean
# nothing there.
SANITIZED = hasattr(ctypes.CDLL(None), "__lsan_do_recoverable_leak_check")


def frame(sequencer):
    """Runs one frame and returns its report parsed."""
    return json.loads(sequencer.next_frame())


def play(sequencer, limit=1100):
    """Plays until the level ends; returns every report of the running frames
    and the one that ended the level."""
    reports: list[dict[str, Any]] = []
    while len(reports) < limit:
        report = frame(sequencer)
        reports.append(report)
        if report["meta"]["status"] != "RUNNING":
            return reports
    raise AssertionError("level did not end")


def events(reports):
    """The visual id of each report's event, None where a report has none."""
    return [(report["meta"]["last_event"] or {}).get("visual_id") for report in reports]


def zone(zone_id, charges=(), inner=()):
    """A zone with (magnitude, polarity, visual_id) charges and inner zones."""
    environment = velm.Environment(zone_id)
    for magnitude, polarity, visual_id in charges:
        environment.add_charge(magnitude, polarity, visual_id)
    for sub in inner:
        environment.add_sub_environment(sub)
    return environment


def add_agent(environment, kind, visual_id, target=0.0, comparison="<"):
    """Adds one agent of `kind` (an AgentKind); of the other arguments, each
    kind takes those its zone method names."""
    extra = {"target": target, "comparison_type": comparison}
    kind.add_to(environment, visual_id, *(extra[name] for name in kind.extra_parameters))
