"""Property-based play: random levels built through the public API and played
frame by frame, with random host actions between the frames.

Every frame is checked against the state just before it (frame_oracle.py):
exactly the documented keys, frame_index counting running frames only, one
event per running frame with the message equal to its description, an agent
gone only in the frame in which it acted, a zone gone only in the frame in
which it merged with its charge appended to its parent, the report equal to
the root's to_json() plus meta. Every level is played to its end, which must
be "Equation Resolved." or the frame-limit report.

The number of examples comes from the Hypothesis profile (tests/conftest.py):
VELM_HYPOTHESIS_PROFILE=long runs many more.
"""

import json
import math

import pytest
from hypothesis import given
from hypothesis import strategies as st
from hypothesis.stateful import RuleBasedStateMachine, initialize, invariant, rule

import velm_engine as velm

from frame_oracle import (
    GATES,
    MAX_FRAMES,
    Level,
    charge_object,
    check_agent,
    check_charge,
    check_zone,
    checked_frame,
    play_to_end,
)
from helpers import add_agent
from velm_levels.agent_kinds import AGENT_KINDS

ODD_MAGNITUDES = [
    0.0, -0.0, 1e-10, 1e-9, 1e15, 170.0, 171.0, 1e308, -1e308, 1.7976931348623157e308,
    5e-324, -7.0, -1.0, 0.5, 1.0, 2.0, 3.0, 8.0, 10.0, 100.0, math.nan, math.inf, -math.inf,
]
POLARITIES = [
    velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.ChargePolarity(7), velm.ChargePolarity(-1),
    velm.ChargePolarity(2**31 - 1), velm.ChargePolarity(-(2**31)),
]
COMPARISONS = [">", "<", "<=", ">=", "==", "", " >", "=<", "GREATER"]

magnitudes = st.one_of(
    st.sampled_from(ODD_MAGNITUDES),
    st.integers(-12, 12),
    st.integers(-(10**15), 10**15),
    st.floats(allow_nan=True, allow_infinity=True),
)
polarities = st.sampled_from(POLARITIES)
texts = st.one_of(
    st.sampled_from(["", "a", "b", "z", "\u00e9", "\u2726", '"', "\\", "\n", "<>", "zone 1"]),
    st.text(max_size=6),
    st.text(max_size=4).map(str.encode),  # bytes are taken too (valid UTF-8 here)
)
charges = st.tuples(magnitudes, polarities, texts)
KINDS = list(AGENT_KINDS.values())
agents = st.tuples(st.sampled_from(KINDS), texts, magnitudes, st.sampled_from(COMPARISONS))


@st.composite
def level_plans(draw, max_zones=8):
    """Zones in creation order, zone 0 the root; each later zone goes under one
    or two earlier zones (so no cycle), possibly twice under the same one."""
    count = draw(st.integers(1, max_zones))
    plan = []
    for index in range(count):
        parents = [] if index == 0 else draw(
            st.lists(st.integers(0, index - 1), min_size=1, max_size=2))
        plan.append((
            draw(texts),
            draw(st.lists(charges, min_size=draw(st.sampled_from([0, 1, 1, 2])), max_size=4)),
            draw(st.lists(agents, max_size=3)),
            parents,
        ))
    return plan


def text_of(value):
    return bytes(value).decode("utf-8") if isinstance(value, (bytes, bytearray)) else value


def agent_object(kind, visual_id, target, comparison):
    """The JSON object that a newly added agent must print, parsed."""
    agent = {"name": kind.title, "priority": kind.priority, "state": "dormant",
             "visual_id": text_of(visual_id)}
    if kind.name in GATES:
        target = float(target)
        agent["is_open"] = False
        agent["target_value"] = target if math.isfinite(target) else None
    if kind.name == "inequality_gate":
        agent["rule"] = comparison if comparison in (">", "<=", ">=") else "<"
    return agent


def fill(zone, zone_charges, zone_agents):
    for magnitude, polarity, visual_id in zone_charges:
        zone.add_charge(magnitude, polarity, visual_id)
    for agent in zone_agents:
        add_agent(zone, *agent)


def build(level, plan):
    zones: list[velm.Environment] = []
    for zone_id, zone_charges, zone_agents, parents in plan:
        zone = level.new_zone(zone_id)
        fill(zone, zone_charges, zone_agents)
        for parent in parents:
            zones[parent].add_sub_environment(zone)
            level.children[id(zones[parent])].append(zone)
        zones.append(zone)
    return zones[0]


def state(zone):
    return json.loads(zone.to_json())


# ------------------------------------------------------------ single properties

@pytest.mark.parametrize("kind", KINDS, ids=lambda kind: kind.title)
def test_new_agents_print_as_the_checks_expect(kind):
    """The stateful test below compares added agents with agent_object()."""
    zone = velm.Environment("z")
    add_agent(zone, kind, "id", 5, ">=")
    (printed,) = state(zone)["agents"]
    check_agent(printed)
    assert printed == agent_object(kind, "id", 5, ">=")


@given(charge=charges)
def test_odd_values_are_stored_and_printed_as_given(charge):
    magnitude, polarity, visual_id = charge
    made = velm.Charge(magnitude, polarity, visual_id)
    printed = json.loads(made.to_json())
    check_charge(printed)
    assert printed == charge_object(magnitude, polarity, visual_id)
    stored = float(magnitude)
    assert made.magnitude == stored or (math.isnan(made.magnitude) and math.isnan(stored))
    assert math.copysign(1.0, made.magnitude) == math.copysign(1.0, stored)  # -0.0 stays
    assert made.polarity == polarity and made.polarity.value == polarity.value
    assert made.visual_id == text_of(visual_id)
    zone = velm.Environment("z")
    zone.add_charge(magnitude, polarity, visual_id)
    assert state(zone)["charges"] == [printed]


@given(plan=level_plans())
def test_random_levels_play_to_their_end(plan):
    level = Level()
    root = build(level, plan)
    check_zone(state(root))
    sequencer = velm.NarrativeSequencer(root)
    play_to_end(level, sequencer, root)
    checked_frame(level, sequencer, root)  # ended: reports again, changes nothing


# ------------------------------------------------------------ stateful play

MAX_ZONES = 14
MAX_PLACES = 60
MAX_CHARGES = 10
MAX_AGENTS = 8
MAX_VIEWS = 24
MAX_SEQUENCERS = 3

indexes = st.integers(0, 1000)
# Mostly values that let the level go on, now and then the limit and the extremes.
frame_values = st.one_of(
    st.integers(-5, 990),
    st.integers(-5, 990),
    st.sampled_from([998, 999, 1000, 1001, 2**31 - 1, -(2**31)]),
    st.integers(-(2**31), 2**31 - 1),
)
flag_values = st.sampled_from([True, False, None, 0, 1, 2.5])


class HostPlaysLevels(RuleBasedStateMachine):
    """A host that builds a level, plays it and meddles between the frames."""

    @initialize(plan=level_plans())
    def build_level(self, plan):
        self.level = Level()
        self.root = build(self.level, plan)
        self.sequencers = [(velm.NarrativeSequencer(self.root), self.root)]
        self.views = []  # (Charge view, its zone, its index)

    def zone(self, index):
        return self.level.zones[index % len(self.level.zones)]

    def sequencer(self, index):
        return self.sequencers[index % len(self.sequencers)]

    def snapshot(self):
        """Everything the host can see of the level, to show that a refused call changed nothing."""
        return ([zone.to_json() for zone in self.level.zones],
                [(seq.current_frame, seq.is_finished) for seq, _ in self.sequencers])

    # -------------------------------------------------------------- frames

    @rule(index=indexes)
    def step(self, index):
        sequencer, root = self.sequencer(index)
        checked_frame(self.level, sequencer, root)

    @rule(index=indexes, count=st.integers(2, 10), resume_at=st.none() | st.integers(0, 990))
    def step_several(self, index, count, resume_at):
        """A few frames; with `resume_at`, a level that has ended is first
        opened again, as a host may (it restores nothing of the level)."""
        sequencer, root = self.sequencer(index)
        if resume_at is not None and sequencer.is_finished:
            sequencer.is_finished = False
            if sequencer.current_frame >= MAX_FRAMES:
                sequencer.current_frame = resume_at
        for _ in range(count):
            checked_frame(self.level, sequencer, root)

    @rule(index=indexes)
    def add_sequencer(self, index):
        """Several sequencers may share zones; any zone may be a root."""
        if len(self.sequencers) < MAX_SEQUENCERS:
            zone = self.zone(index)
            self.sequencers.append((velm.NarrativeSequencer(zone), zone))

    @rule(index=indexes)
    def drop_sequencer(self, index):
        if len(self.sequencers) > 1:
            del self.sequencers[1 + index % (len(self.sequencers) - 1)]

    @rule(index=indexes, value=frame_values)
    def write_current_frame(self, index, value):
        sequencer, _ = self.sequencer(index)
        sequencer.current_frame = value
        assert sequencer.current_frame == value

    @rule(index=indexes, value=flag_values)
    def write_is_finished(self, index, value):
        sequencer, _ = self.sequencer(index)
        sequencer.is_finished = value
        assert sequencer.is_finished is bool(value)

    # -------------------------------------------------------------- building

    @rule(index=indexes, charge=charges)
    def add_charge(self, index, charge):
        zone = self.zone(index)
        before = state(zone)
        if len(before["charges"]) >= MAX_CHARGES:
            return
        zone.add_charge(*charge)
        after = state(zone)
        assert after["charges"] == before["charges"] + [charge_object(*charge)]
        assert after["agents"] == before["agents"]

    @rule(index=indexes, agent=agents)
    def add_agent(self, index, agent):
        zone = self.zone(index)
        before = state(zone)
        if len(before["agents"]) >= MAX_AGENTS:
            return
        add_agent(zone, *agent)
        after = state(zone)
        assert after["agents"] == before["agents"] + [agent_object(*agent)]
        assert after["charges"] == before["charges"]

    @rule(zone_id=texts, zone_charges=st.lists(charges, max_size=3),
          zone_agents=st.lists(agents, max_size=2), parents=st.lists(indexes, max_size=2))
    def add_zone(self, zone_id, zone_charges, zone_agents, parents):
        if len(self.level.zones) >= MAX_ZONES:
            return
        zone = self.level.new_zone(zone_id)
        fill(zone, zone_charges, zone_agents)
        for parent in parents:
            self.attach(self.zone(parent), zone)

    @rule(parent=indexes, child=indexes)
    def add_sub_environment(self, parent, child):
        """Sharing: any zone under any other, twice, or under two parents; a
        zone under itself or under one of its own inner zones is refused."""
        self.attach(self.zone(parent), self.zone(child))

    def attach(self, parent, child):
        if self.level.holds(child, parent):
            before = self.snapshot()
            with pytest.raises(ValueError):
                parent.add_sub_environment(child)
            assert self.snapshot() == before
            return
        if any(self.level.place_count(zone, (parent, child)) > MAX_PLACES
               for zone in self.level.zones):
            return
        before = state(parent)
        parent.add_sub_environment(child)
        self.level.children[id(parent)].append(child)
        after = state(parent)
        assert after["sub_environments"] == before["sub_environments"] + [state(child)]

    @rule(index=indexes)
    def refused_none(self, index):
        zone = self.zone(index)
        before = self.snapshot()
        with pytest.raises(TypeError):
            zone.add_sub_environment(None)
        with pytest.raises(TypeError):
            velm.NarrativeSequencer(None)  # type: ignore[arg-type]
        with pytest.raises(TypeError):
            velm.NarrativeSequencer(env=None)  # type: ignore[arg-type]
        assert self.snapshot() == before

    @rule(index=indexes, zone_id=texts)
    def rename(self, index, zone_id):
        zone = self.zone(index)
        zone.id = zone_id
        assert zone.id == text_of(zone_id)
        assert state(zone)["id"] == text_of(zone_id)

    @rule(index=indexes, value=flag_values)
    def write_is_time_frozen(self, index, value):
        zone = self.zone(index)
        zone.is_time_frozen = value
        assert zone.is_time_frozen is bool(value)
        printed = state(zone)
        assert printed["is_time_frozen"] is (bool(value) and bool(printed["sub_environments"]))

    # -------------------------------------------------------------- charges

    @rule(index=indexes)
    def take_views(self, index):
        """Views are kept across frames and host actions, until they go stale."""
        zone = self.zone(index)
        views = zone.charges
        printed = state(zone)["charges"]
        assert [json.loads(view.to_json()) for view in views] == printed
        self.views.extend((view, zone, position) for position, view in enumerate(views))
        del self.views[:-MAX_VIEWS]

    @rule(pick=indexes, field=st.sampled_from(["magnitude", "polarity", "visual_id"]),
          charge=charges)
    def write_through_view(self, pick, field, charge):
        if not self.views:
            return
        view, zone, position = self.views[pick % len(self.views)]
        value = dict(zip(["magnitude", "polarity", "visual_id"], charge))[field]
        before = state(zone)["charges"]
        if position >= len(before):
            with pytest.raises(IndexError):
                setattr(view, field, value)
            assert state(zone)["charges"] == before
            return
        setattr(view, field, value)
        expected = list(before)
        updated = dict(expected[position])
        updated.update({key: fresh for key, fresh in charge_object(*charge).items()
                        if key == field})
        expected[position] = updated
        assert state(zone)["charges"] == expected

    @rule(index=indexes, picks=st.lists(st.one_of(charges, indexes), max_size=5),
          as_tuple=st.booleans())
    def replace_charges(self, index, picks, as_tuple):
        """The list is replaced by copies of new charges and of views (any zone's,
        this zone's own, stale ones); a stale view refuses the whole list."""
        zone = self.zone(index)
        given = []
        for pick in picks:
            if isinstance(pick, tuple):
                given.append(velm.Charge(*pick))
            elif self.views:
                given.append(self.views[pick % len(self.views)][0])
        given = given[:MAX_CHARGES]
        before = self.snapshot()
        try:
            expected = [json.loads(charge.to_json()) for charge in given]
        except IndexError:
            with pytest.raises(IndexError):
                zone.charges = tuple(given) if as_tuple else given
            assert self.snapshot() == before
            return
        zone.charges = tuple(given) if as_tuple else given
        assert state(zone)["charges"] == expected

    @rule(index=indexes)
    def reverse_own_charges(self, index):
        zone = self.zone(index)
        before = state(zone)["charges"]
        zone.charges = zone.charges[::-1]
        assert state(zone)["charges"] == before[::-1]

    @rule(index=indexes, charge=charges)
    def change_read_list(self, index, charge):
        """The list that `charges` returns is the host's own: changing it changes nothing."""
        zone = self.zone(index)
        before = state(zone)
        listed = zone.charges
        listed.append(velm.Charge(*charge))
        listed.reverse()
        listed.pop()
        assert state(zone) == before
        assert len(zone.charges) == len(before["charges"])

    # -------------------------------------------------------------- always

    @invariant()
    def levels_match_the_model(self):
        for _, root in self.sequencers:
            printed = state(root)
            check_zone(printed)
            self.level.bind(printed, root)

    @invariant()
    def views_read_their_place(self):
        for view, zone, position in self.views:
            printed = state(zone)["charges"]
            if position < len(printed):
                assert json.loads(view.to_json()) == printed[position]
                assert view.visual_id == printed[position]["visual_id"]
            else:
                for read in (lambda: view.magnitude, lambda: view.polarity,
                             lambda: view.visual_id, view.to_json):
                    with pytest.raises(IndexError):
                        read()

    def teardown(self):
        # However the host left it, a level played on ends with "Equation
        # Resolved." or with the frame-limit report.
        if not hasattr(self, "level"):
            return  # building the level failed; that failure is the one to report
        for sequencer, root in self.sequencers:
            if sequencer.is_finished:
                sequencer.is_finished = False
            play_to_end(self.level, sequencer, root)


TestHostPlaysLevels = HostPlaysLevels.TestCase


def test_frame_limit_ends_a_level_that_the_host_keeps_alive():
    """A level that the host keeps feeding never completes; it still ends,
    with the frame-limit report after exactly MAX_FRAMES running frames."""
    level = Level()
    root = level.new_zone("top")
    inner = level.new_zone("inner")
    root.add_sub_environment(inner)
    level.children[id(root)].append(inner)
    inner.add_chronomancer("t")
    # The host refills the zone with a charge and a Purifier between frames, forever.
    sequencer = velm.NarrativeSequencer(root)
    for frame in range(MAX_FRAMES):
        inner.charges = [velm.Charge(-1, velm.NEGATIVE, "c")]
        inner.add_abs_magician("p")
        report = checked_frame(level, sequencer, root)
        assert report["meta"]["frame_index"] == frame + 1
        assert report["meta"]["last_event"]["type"] == "CAST_SPELL"
    report = checked_frame(level, sequencer, root)
    assert report["meta"]["status"] == "ERROR"
