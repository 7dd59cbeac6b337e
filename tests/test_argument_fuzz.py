"""Every public callable, called wrongly: wrong counts, wrong types, unknown
or repeated keywords, integers out of range, non-sequences for `charges`, and
objects whose __init__ never ran. Each call raises TypeError (or, for cycles
and stale views, ValueError and IndexError) and changes nothing. An error that
an argument's own conversion method raises reaches the caller as itself, and
changes nothing either."""

import json
import os
import textwrap
from collections.abc import Callable

import pytest
from hypothesis import given
from hypothesis import strategies as st

import velm_engine as velm

from velm_levels.agent_kinds import AGENT_KINDS

FLOAT, TEXT, POLARITY, ZONE, INT32, FLAG, CHARGE_LIST, INT_VALUE = (
    "float", "text", "polarity", "zone", "int32", "flag", "charge list", "enum value")


class IntOnly:
    """Has __int__ but neither __float__ nor __index__: no float, no polarity."""

    def __int__(self):
        return 5


class IndexReturns:
    """Converts, through __index__, to a number that may not fit."""

    def __init__(self, number):
        self.number = number

    def __index__(self):
        return self.number


def valid_values(kind):
    """Accepted arguments of each kind (made fresh: zones are shared, not copied)."""
    return {
        FLOAT: [1.0, 2, -0.5],
        TEXT: ["a", b"b", ""],
        POLARITY: [velm.NEGATIVE, velm.ChargePolarity(7)],
        ZONE: [velm.Environment("leaf")],
        INT32: [0, 7, 2**31 - 1, -(2**31)],
        FLAG: [True, False, None],
        CHARGE_LIST: [[], (velm.Charge(1, velm.POSITIVE, "new"),)],
        INT_VALUE: [0, 7, -1, 2**31 - 1],
    }[kind]


def wrong_values(kind):
    """Arguments that no conversion of that kind accepts."""
    charge = velm.Charge(1, velm.POSITIVE, "x")
    return {
        FLOAT: ["1.0", b"1", None, [], object(), 1j, 10**400, -(10**400), IntOnly(),
                velm.Environment("w"), charge, IndexReturns(10**400)],
        TEXT: [1, 1.5, None, [], object(), velm.POSITIVE, "\ud800", memoryview(b"x"), ["a"]],
        POLARITY: [0, 1, 7, 1.0, "POSITIVE", None, True, object(), charge],
        ZONE: [None, "env", 1, charge, object(), [],
               velm.NarrativeSequencer(velm.Environment("s"))],
        INT32: [1.0, 1.5, "1", None, 2**31, -(2**31) - 1, 2**63, 2**64, -(2**100), [], object(),
                IndexReturns(2**31), IndexReturns(-(2**70))],
        FLAG: ["yes", "", [], [1], (), {}, object(), velm.POSITIVE, charge],
        # (The list conversion also takes sets, generators and dict views of charges.)
        CHARGE_LIST: [1, None, object(), charge, "ab", b"ab", {}, iter([charge]), [1], [None],
                      [charge, "x"], range(2), {"a": charge}, bytearray(b"a"), {1}],
        INT_VALUE: [2**31, -(2**31) - 1, 2**64, 1.0, "1", None, [], object(), IndexReturns(2**40)],
    }[kind]


STANDARD_MESSAGE = r"^[\w_]*\(\): incompatible (function|constructor) arguments"


class Level:
    """A small level, already one frame in, with a free charge and a live view."""

    def __init__(self):
        self.root = velm.Environment("root")
        self.root.add_charge(3, velm.POSITIVE, "r0")
        self.root.add_charge(4, velm.NEGATIVE, "r1")
        self.root.add_plus_magician("p")
        self.inner = velm.Environment("inner")
        self.inner.add_charge(2, velm.NEUTRAL, "i0")
        self.inner.add_chronomancer("t")
        self.root.add_sub_environment(self.inner)
        self.sequencer = velm.NarrativeSequencer(self.root)
        self.sequencer.next_frame()
        self.charge = velm.Charge(2, velm.NEGATIVE, "c")
        self.view = self.root.charges[1]

    def snapshot(self):
        return (self.root.to_json(), self.inner.to_json(), self.sequencer.current_frame,
                self.sequencer.is_finished, self.charge.to_json(), self.view.to_json())


class Target:
    """One public callable: how to reach it on a level, and its parameters."""

    def __init__(self, name, reach, params, setter_of=None):
        self.name, self.reach, self.params, self.setter_of = name, reach, params, setter_of
        self.keywords = setter_of is None  # a setter's value has no name

    def __repr__(self):
        return self.name


def method(owner, name, params):
    return Target(f"{owner}.{name}", lambda level: getattr(getattr(level, owner), name), params)


def setter(owner, name, kind):
    """A property setter, reached as the property's fset so that it can be
    given any number of arguments; `setter_of` also allows plain assignment.
    Its value is positional only."""
    def reach(level):
        obj = getattr(level, owner)
        return lambda *args, **kwargs: type(obj).__dict__[name].fset(obj, *args, **kwargs)
    return Target(f"{owner}.{name} =", reach, [(name, kind)], setter_of=(owner, name))


# The agent methods that take nothing but the visual id; the gates' come below.
AGENT_METHODS = [kind.add_method for kind in AGENT_KINDS.values() if not kind.extra_parameters]
TARGETS = [
    Target("Charge", lambda level: velm.Charge,
           [("magnitude", FLOAT), ("polarity", POLARITY), ("visual_id", TEXT)]),
    Target("ChargePolarity", lambda level: velm.ChargePolarity, [("value", INT_VALUE)]),
    Target("Environment", lambda level: velm.Environment, [("id", TEXT)]),
    Target("NarrativeSequencer", lambda level: velm.NarrativeSequencer, [("env", ZONE)]),
    method("charge", "to_json", []),
    method("view", "to_json", []),
    setter("charge", "magnitude", FLOAT),
    setter("charge", "polarity", POLARITY),
    setter("charge", "visual_id", TEXT),
    setter("view", "magnitude", FLOAT),
    setter("view", "polarity", POLARITY),
    setter("view", "visual_id", TEXT),
    method("inner", "to_json", []),
    method("inner", "add_charge",
           [("magnitude", FLOAT), ("polarity", POLARITY), ("visual_id", TEXT)]),
    method("inner", "add_sub_environment", [("sub_env", ZONE)]),
    *[method("inner", name, [("visual_id", TEXT)]) for name in AGENT_METHODS],
    method("inner", "add_equals_gate", [("visual_id", TEXT), ("target", FLOAT)]),
    method("inner", "add_inequality_gate",
           [("visual_id", TEXT), ("target", FLOAT), ("comparison_type", TEXT)]),
    setter("inner", "id", TEXT),
    setter("inner", "is_time_frozen", FLAG),
    setter("inner", "charges", CHARGE_LIST),
    method("sequencer", "next_frame", []),
    setter("sequencer", "current_frame", INT32),
    setter("sequencer", "is_finished", FLAG),
]


def refused(level, call, error=TypeError):
    """A refused argument: pybind11's standard TypeError (or `error`), nothing changed."""
    before = level.snapshot()
    with pytest.raises(error, match=STANDARD_MESSAGE if error is TypeError else None):
        call()
    assert level.snapshot() == before


@pytest.mark.parametrize("target", TARGETS, ids=repr)
def test_valid_calls_are_accepted(target):
    """The values the refusals below start from are good ones: by position and by keyword."""
    level = Level()
    for index in range(2):
        values = [valid_values(kind)[index % len(valid_values(kind))] for _, kind in target.params]
        target.reach(level)(*values)
        if target.keywords:
            target.reach(level)(**{name: value for (name, _), value in zip(target.params, values)})
        else:
            owner, name = target.setter_of
            setattr(getattr(level, owner), name, values[0])


WRONG_ARGUMENTS = [
    pytest.param(target, position, value, id=f"{target!r}-{name}-{value!r}"[:90])
    for target in TARGETS
    for position, (name, kind) in enumerate(target.params)
    for value in wrong_values(kind)
]


@pytest.mark.parametrize("target, position, value", WRONG_ARGUMENTS)
def test_wrong_types_are_refused(target, position, value):
    level = Level()
    values = [valid_values(kind)[0] for _, kind in target.params]
    values[position] = value
    names = [name for name, _ in target.params]
    refused(level, lambda: target.reach(level)(*values))
    refused(level, lambda: target.reach(level)(**dict(zip(names, values))))
    if not target.keywords:
        owner, name = target.setter_of
        refused(level, lambda: setattr(getattr(level, owner), name, value))


@pytest.mark.parametrize("target", TARGETS, ids=repr)
def test_wrong_counts_and_keywords_are_refused(target):
    level = Level()
    values = [valid_values(kind)[0] for _, kind in target.params]
    names = [name for name, _ in target.params]
    call = target.reach(level)
    for count in range(len(values) + 3):
        if count != len(values):
            padded = (values + values + ["extra"] * 3)[:count]
            refused(level, lambda: call(*padded))
    refused(level, lambda: call(*values, bogus=1))
    refused(level, lambda: call(**dict(zip(names, values)), visual=1))
    if names:
        refused(level, lambda: call(*values, **{names[0]: values[0]}))  # given twice


@st.composite
def mixed_calls(draw):
    """A call of a random target: some parameters by position, some by keyword,
    some left out or given twice, wrong values, extra and unknown arguments.
    Returns the call and whether it is a valid one."""
    target = draw(st.sampled_from(TARGETS))
    params = target.params
    positional = draw(st.integers(0, len(params) + 1))
    valid = positional <= len(params)
    args, kwargs = [], {}
    for index, (name, kind) in enumerate(params):
        good = draw(st.booleans()) or draw(st.booleans())
        value = draw(st.sampled_from(valid_values(kind) if good else wrong_values(kind)))
        valid &= good
        if index < positional:
            args.append(value)
            if draw(st.integers(0, 9)) == 0:
                kwargs[name] = value
                valid = False
        elif draw(st.integers(0, 9)) == 0:
            valid = False  # left out
        else:
            kwargs[name] = value
    args += ["extra"] * max(0, positional - len(params))
    valid &= target.keywords or not kwargs
    if draw(st.integers(0, 9)) == 0:
        kwargs[draw(st.sampled_from(["bogus", "value_", "self", "kwargs"]))] = 1
        valid = False
    return target, args, kwargs, valid


@given(call=mixed_calls())
def test_mixed_calls_either_work_or_change_nothing(call):
    target, args, kwargs, valid = call
    level = Level()
    if valid:
        target.reach(level)(*args, **kwargs)
    else:
        refused(level, lambda: target.reach(level)(*args, **kwargs))


def test_cycles_are_refused_with_value_error():
    level = Level()
    below = velm.Environment("below")
    level.inner.add_sub_environment(below)
    for parent, child in [(level.root, level.root), (level.inner, level.root),
                          (below, level.inner), (below, level.root)]:
        refused(level, lambda: parent.add_sub_environment(child), ValueError)
        refused(level, lambda: parent.add_sub_environment(sub_env=child), ValueError)


def test_stale_views_are_refused_with_index_error():
    level = Level()
    level.root.charges = [velm.Charge(1, velm.POSITIVE, "only")]  # the view's index 1 is gone
    for call in (lambda: setattr(level.view, "magnitude", 1.0),
                 lambda: setattr(level.view, "polarity", velm.POSITIVE),
                 lambda: setattr(level.view, "visual_id", "v"),
                 lambda: level.view.to_json(),
                 lambda: setattr(level.inner, "charges", [level.charge, level.view])):
        before = (level.root.to_json(), level.inner.to_json(), level.charge.to_json())
        with pytest.raises(IndexError):
            call()
        assert (level.root.to_json(), level.inner.to_json(), level.charge.to_json()) == before


def test_objects_whose_init_never_ran_are_refused(run_isolated):
    """`T.__new__(T)` makes an object with no engine object behind it. Using
    it, as the object itself or as an argument, must not touch that missing
    object; it raises TypeError. Run apart: the failure this guards against
    is a crash."""
    output = run_isolated(textwrap.dedent("""
        import json
        import velm_engine as velm

        def bare(cls):
            return cls.__new__(cls)

        class Escaping(velm.Environment):
            def __init__(self):
                global escaped
                escaped = self
                raise KeyError("never reaches the base __init__")

        try:
            Escaping()
        except KeyError:
            pass

        root = velm.Environment("root")
        root.add_charge(1, velm.POSITIVE, "a")
        sequencer = velm.NarrativeSequencer(root)
        before = root.to_json()
        calls = {
            "Environment.to_json": lambda: bare(velm.Environment).to_json(),
            "Environment.id": lambda: bare(velm.Environment).id,
            "Environment.id =": lambda: setattr(bare(velm.Environment), "id", "x"),
            "Environment.charges": lambda: bare(velm.Environment).charges,
            "Environment.charges =": lambda: setattr(bare(velm.Environment), "charges", []),
            "Environment.is_time_frozen": lambda: bare(velm.Environment).is_time_frozen,
            "Environment.add_charge":
                lambda: bare(velm.Environment).add_charge(1, velm.POSITIVE, "a"),
            "Environment.add_plus_magician": lambda: bare(velm.Environment).add_plus_magician("p"),
            "Environment.add_sub_environment":
                lambda: bare(velm.Environment).add_sub_environment(root),
            "escaped subclass": lambda: escaped.add_charge(1, velm.POSITIVE, "a"),
            "add_sub_environment(bare)": lambda: root.add_sub_environment(bare(velm.Environment)),
            "NarrativeSequencer(bare)": lambda: velm.NarrativeSequencer(bare(velm.Environment)),
            "NarrativeSequencer.next_frame": lambda: bare(velm.NarrativeSequencer).next_frame(),
            "NarrativeSequencer.current_frame": lambda: bare(velm.NarrativeSequencer).current_frame,
            "NarrativeSequencer.is_finished =":
                lambda: setattr(bare(velm.NarrativeSequencer), "is_finished", True),
            "Charge.magnitude": lambda: bare(velm.Charge).magnitude,
            "Charge.visual_id =": lambda: setattr(bare(velm.Charge), "visual_id", "v"),
            "Charge.to_json": lambda: bare(velm.Charge).to_json(),
            "charges = [bare Charge]": lambda: setattr(root, "charges", [bare(velm.Charge)]),
            "ChargePolarity.value": lambda: bare(velm.ChargePolarity).value,
            "Charge(..., bare polarity, ...)":
                lambda: velm.Charge(1, bare(velm.ChargePolarity), "a"),
            "add_charge(..., bare polarity, ...)":
                lambda: root.add_charge(1, bare(velm.ChargePolarity), "a"),
        }
        outcome = {}
        for name, call in calls.items():
            try:
                call()
                outcome[name] = "no error"
            except Exception as error:
                outcome[name] = type(error).__name__
        late = bare(velm.Environment)
        late.__init__("late")  # running __init__ afterwards makes it a normal zone
        outcome["late __init__"] = late.to_json()
        outcome["unchanged"] = root.to_json() == before and sequencer.current_frame == 0
        print(json.dumps(outcome))
    """))
    outcome = json.loads(output)
    assert outcome.pop("unchanged") is True
    assert json.loads(outcome.pop("late __init__"))["id"] == "late"
    assert outcome == {name: "TypeError" for name in outcome}


def raise_own_error(self, *args):
    raise self.error


class Raising:
    """Raises `error`, the same instance every time, from the conversion
    method that a subclass sets to `raise_own_error`."""

    def __init__(self, error):
        self.error = error


class FloatRaises(Raising):
    __float__ = raise_own_error


class IndexRaises(Raising):
    __index__ = raise_own_error


class IntRaises(Raising):
    __int__ = raise_own_error


class BoolRaises(Raising):
    __bool__ = raise_own_error


class LenRaises(Raising):
    """A sequence of one charge whose length cannot be taken."""
    __len__ = raise_own_error

    def __getitem__(self, index):
        if index:
            raise IndexError(index)
        return velm.Charge(1, velm.POSITIVE, "from a sequence")


class GetitemRaises(Raising):
    __getitem__ = raise_own_error

    def __len__(self):
        return 1


class IterRaises(list):
    __iter__ = raise_own_error

    def __init__(self, error):
        super().__init__([velm.Charge(1, velm.POSITIVE, "in a list")])
        self.error = error


def generator_raising(error):
    yield velm.Charge(1, velm.POSITIVE, "generated")
    raise error


# Arguments whose own conversion method raises the error given, by kind. Text,
# polarity and zone arguments are converted without calling any of theirs.
RAISING: dict[str, dict[str, Callable[[BaseException], object]]] = {
    FLOAT: {"__float__": FloatRaises, "__index__": IndexRaises},
    INT32: {"__index__": IndexRaises, "__int__": IntRaises},
    INT_VALUE: {"__index__": IndexRaises, "__int__": IntRaises},
    FLAG: {"__bool__": BoolRaises},
    CHARGE_LIST: {"__len__": LenRaises, "__getitem__": GetitemRaises, "__iter__": IterRaises,
                  "generator": generator_raising},
}
CONVERSIONS = [
    pytest.param(target, position, method, id=f"{target!r}-{name}-{method}")
    for target in TARGETS
    for position, (name, kind) in enumerate(target.params)
    for method in RAISING.get(kind, ())
]


@pytest.mark.parametrize("error_type", [KeyboardInterrupt, MemoryError, ValueError, TypeError])
@pytest.mark.parametrize("target, position, method", CONVERSIONS)
def test_errors_raised_by_an_arguments_own_conversion_reach_the_caller(
        target, position, method, error_type):
    level = Level()
    error = error_type("raised by the argument itself")
    make_raising = RAISING[target.params[position][1]][method]

    def values():  # made afresh for every call: a generator runs once
        given = [valid_values(kind)[0] for _, kind in target.params]
        given[position] = make_raising(error)
        return given

    calls = [lambda: target.reach(level)(*values())]
    if target.keywords:
        names = [name for name, _ in target.params]
        calls.append(lambda: target.reach(level)(**dict(zip(names, values()))))
    else:
        owner, name = target.setter_of
        calls.append(lambda: setattr(getattr(level, owner), name, values()[0]))
    for call in calls:
        before = level.snapshot()
        with pytest.raises(error_type) as raised:
            call()
        assert raised.value is error
        assert level.snapshot() == before


@pytest.mark.skipif(bool(os.environ.get("VELM_SANITIZED")),
                    reason="ASan reserves far more address space than any limit leaves")
def test_running_out_of_memory_while_encoding_text_is_memory_error(run_isolated):
    """A `str` is encoded to UTF-8 as it is converted; with no memory left for
    that, every text parameter raises MemoryError and changes nothing."""
    output = run_isolated("""
        import resource
        import velm_engine as velm

        env = velm.Environment("z")
        charge = velm.Charge(1, velm.POSITIVE, "c")
        try:  # a first C++ exception, so that the runtime's own set-up is done
            env.add_sub_environment(env)
        except ValueError:
            pass
        text = "\\u00e9" * (96 << 20)  # one byte a character here, two in UTF-8
        agent_methods = [name for name in dir(env) if name.startswith("add_") and name not in
                         ("add_charge", "add_sub_environment", "add_equals_gate",
                          "add_inequality_gate")]
        calls = {
            "Environment": lambda: velm.Environment(text),
            "Environment.id =": lambda: setattr(env, "id", text),
            "Charge": lambda: velm.Charge(1, velm.POSITIVE, text),
            "Charge.visual_id =": lambda: setattr(charge, "visual_id", text),
            "add_charge": lambda: env.add_charge(1, velm.POSITIVE, text),
            "add_equals_gate": lambda: env.add_equals_gate(text, 1),
            "add_inequality_gate visual_id": lambda: env.add_inequality_gate(text, 1, ">"),
            "add_inequality_gate comparison_type": lambda: env.add_inequality_gate("g", 1, text),
            **{name: (lambda name=name: getattr(env, name)(text)) for name in agent_methods},
        }
        before = env.to_json(), charge.to_json()
        pages = int(open("/proc/self/statm").read().split()[0])
        in_use = pages * resource.getpagesize()
        soft, hard = resource.getrlimit(resource.RLIMIT_AS)
        resource.setrlimit(resource.RLIMIT_AS, (in_use + (64 << 20), hard))
        for name, call in calls.items():
            try:
                call()
                print(name, "no error")
            except MemoryError:
                print(name, "MemoryError")
            except Exception as error:
                print(name, type(error).__name__)
        resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
        print("unchanged", (env.to_json(), charge.to_json()) == before, len(calls))
    """)
    *outcomes, last = output.splitlines()
    assert last == f"unchanged True {len(outcomes)}"
    assert len(outcomes) == 19
    assert all(line.endswith(" MemoryError") for line in outcomes), outcomes
