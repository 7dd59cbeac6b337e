"""`obj.__class__ = Other` between classes that hold different engine objects
is refused with TypeError and changes nothing: the module's classes, the enum,
Python subclasses of them (multiple inheritance too) and a same-layout class
that holds no engine object. Run apart: what this guards against is a crash."""

import itertools
import json

import pytest

CLASSES = """
import ctypes
import velm_engine as velm

class SubCharge(velm.Charge): pass
class OtherSubCharge(velm.Charge): pass
class SlotCharge(velm.Charge): __slots__ = ()
class SubEnvironment(velm.Environment): pass
class SlotEnvironment(velm.Environment): __slots__ = ()
class SubSequencer(velm.NarrativeSequencer): pass
class SubPolarity(velm.ChargePolarity): pass

class Mixed(velm.Charge, velm.Environment):
    def __init__(self):
        velm.Charge.__init__(self, 1, velm.POSITIVE, "mixed")
        velm.Environment.__init__(self, "mixed")

class SlotMixed(velm.Charge, velm.Environment):
    __slots__ = ()
    __init__ = Mixed.__init__


def lookalike():
    # A class made in C with the very layout of a pybind11 class (the base
    # that every pybind11 class shares) but no engine object behind it, as
    # another pybind11 module's class would have.
    class Slot(ctypes.Structure):
        _fields_ = [("slot", ctypes.c_int), ("function", ctypes.c_void_p)]

    class Spec(ctypes.Structure):
        _fields_ = [("name", ctypes.c_char_p), ("basicsize", ctypes.c_int),
                    ("itemsize", ctypes.c_int), ("flags", ctypes.c_uint),
                    ("slots", ctypes.POINTER(Slot))]

    default_and_basetype = (1 << 18) | (1 << 10)
    spec = Spec(b"elsewhere.Lookalike", 0, 0, default_and_basetype, (Slot * 1)((0, None)))
    make = ctypes.pythonapi.PyType_FromSpecWithBases
    make.restype, make.argtypes = ctypes.py_object, [ctypes.POINTER(Spec), ctypes.py_object]
    return make(ctypes.byref(spec), (velm.Charge.__mro__[1],))

MAKERS = {
    "Charge": lambda: velm.Charge(1, velm.POSITIVE, "c"),
    "SubCharge": lambda: SubCharge(1, velm.POSITIVE, "c"),
    "OtherSubCharge": lambda: OtherSubCharge(1, velm.POSITIVE, "c"),
    "SlotCharge": lambda: SlotCharge(1, velm.POSITIVE, "c"),
    "Environment": lambda: velm.Environment("z"),
    "SubEnvironment": lambda: SubEnvironment("z"),
    "SlotEnvironment": lambda: SlotEnvironment("z"),
    "NarrativeSequencer": lambda: velm.NarrativeSequencer(velm.Environment("z")),
    "SubSequencer": lambda: SubSequencer(velm.Environment("z")),
    "ChargePolarity": lambda: velm.ChargePolarity(1),
    "SubPolarity": lambda: SubPolarity(1),
    "Mixed": Mixed,
    "SlotMixed": SlotMixed,
}
CLASSES = {name: (globals().get(name) or getattr(velm, name)) for name in MAKERS}
CLASSES["Lookalike"] = lookalike()

def state(obj):
    # What the object shows through its own class, read as its engine type.
    if isinstance(obj, velm.ChargePolarity):
        return obj.value
    if isinstance(obj, velm.NarrativeSequencer):
        return obj.current_frame, obj.is_finished
    return obj.to_json()
"""


def run_assignments(run_isolated, pairs, how):
    code = CLASSES + f"""
import json
outcome = {{}}
for source, target in {pairs!r}:
    obj = MAKERS[source]()
    before = state(obj)
    try:
        {how}
        outcome[source + " -> " + target] = "accepted"
    except TypeError as error:
        intact = type(obj) is CLASSES[source] and state(obj) == before
        outcome[source + " -> " + target] = str(error) if intact else "changed"
print(json.dumps(outcome))
"""
    return json.loads(run_isolated(code))


ENGINE_OBJECTS = {
    "Charge": "Charge", "SubCharge": "Charge", "OtherSubCharge": "Charge", "SlotCharge": "Charge",
    "Environment": "Environment", "SubEnvironment": "Environment",
    "SlotEnvironment": "Environment", "NarrativeSequencer": "Sequencer",
    "SubSequencer": "Sequencer", "ChargePolarity": "Polarity", "SubPolarity": "Polarity",
    "Mixed": "Charge+Environment", "SlotMixed": "Charge+Environment",
}
CLASH = [(source, target) for source, target in itertools.permutations(ENGINE_OBJECTS, 2)
         if ENGINE_OBJECTS[source] != ENGINE_OBJECTS[target]]
CLASH += [(source, "Lookalike") for source in ENGINE_OBJECTS]


def tp_name(name):
    return f"velm_engine.{name}" if name in ("Charge", "Environment", "NarrativeSequencer",
                                             "ChargePolarity") else name


@pytest.mark.parametrize("how", [
    "obj.__class__ = CLASSES[target]",
    "object.__setattr__(obj, '__class__', CLASSES[target])",
    "setattr(obj, '__class__', CLASSES[target])",
])
def test_classes_holding_different_engine_objects_are_refused(run_isolated, how):
    outcome = run_assignments(run_isolated, CLASH, how)
    target_name = {"Lookalike": "elsewhere.Lookalike"}
    assert outcome == {
        f"{source} -> {target}":
            f"__class__ assignment: '{tp_name(source)}' and "
            f"'{target_name.get(target, tp_name(target))}' objects hold different engine objects"
        for source, target in CLASH
    }


def test_classes_holding_the_same_engine_object_keep_pythons_rules(run_isolated):
    # Python's own layout check still decides between them: two subclasses
    # that both add a __dict__ may swap; a subclass and its base may not.
    pairs = [("SubCharge", "OtherSubCharge"), ("OtherSubCharge", "SubCharge"),
             ("Charge", "SubCharge"), ("SlotCharge", "Charge")]
    outcome = run_assignments(run_isolated, pairs, "obj.__class__ = CLASSES[target]")
    assert outcome["SubCharge -> OtherSubCharge"] == "accepted"
    assert outcome["OtherSubCharge -> SubCharge"] == "accepted"
    assert "differs" in outcome["Charge -> SubCharge"]
    assert "differs" in outcome["SlotCharge -> Charge"]


def test_other_classes_and_other_attributes_are_left_alone(run_isolated):
    output = run_isolated(CLASSES + """
class A: pass
class B: pass
a = A()
a.__class__ = B
charge = SubCharge(1, velm.POSITIVE, "c")
charge.colour = "red"
charge.magnitude = 2
print(type(a).__name__, charge.colour, charge.magnitude)
""")
    assert output.split() == ["B", "red", "2.0"]
