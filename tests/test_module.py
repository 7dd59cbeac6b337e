"""The module surface: what importing velm_engine gives a host."""
import glob
import os
import shutil
import subprocess

import pytest

import velm_engine as velm


def test_docstring():
    assert velm.__doc__ == "Brackwater Engine Python Bindings"


def test_module_has_exactly_the_public_names():
    public = {name for name in dir(velm) if not name.startswith("__")}
    assert public == {
        "ChargePolarity", "POSITIVE", "NEGATIVE", "NEUTRAL",
        "Charge", "Environment", "NarrativeSequencer",
    }


@pytest.mark.parametrize("cls", [velm.Charge, velm.Environment, velm.NarrativeSequencer])
def test_instances_refuse_new_attributes(cls):
    instance = {
        velm.Charge: lambda: velm.Charge(1, velm.POSITIVE, "a"),
        velm.Environment: lambda: velm.Environment("z"),
        velm.NarrativeSequencer: lambda: velm.NarrativeSequencer(velm.Environment("z")),
    }[cls]()
    with pytest.raises(AttributeError):
        instance.colour = "red"  # type: ignore[attr-defined]


def _other_interpreters():
    """Python interpreters on this machine that are not 3.13."""
    candidates = [shutil.which(f"python3.{minor}") for minor in (12, 11, 14)]
    candidates += glob.glob(os.path.expanduser("~/.pyenv/versions/3.1[0-24-9]*/bin/python3"))
    candidates += glob.glob("/usr/bin/python3.1[0-24-9]")
    for candidate in filter(None, candidates):
        probe = subprocess.run([candidate, "-c", "import sys; print(sys.version)"],
                               capture_output=True, text=True)
        if probe.returncode == 0 and not probe.stdout.startswith("3.13"):
            yield candidate


def test_version_gate_refuses_other_interpreters(tmp_path):
    other = next(_other_interpreters(), None)
    if other is None:
        pytest.skip("no interpreter other than 3.13 on this machine")
    # Another interpreter looks for a different file suffix, so load a plain
    # copy, lazily bound so that the gate runs before any symbol is resolved.
    shutil.copy(velm.__file__, tmp_path / "velm_engine.so")
    script = (
        "import os, sys; sys.setdlopenflags(os.RTLD_LAZY); sys.path.insert(0, sys.argv[1])\n"
        "try:\n    import velm_engine\nexcept ImportError as error:\n    print(error)\n"
        "print(sys.version)\n"
    )
    result = subprocess.run([other, "-c", script, str(tmp_path)], capture_output=True, text=True)
    message, version = result.stdout.splitlines()[0], result.stdout.splitlines()[-1]
    assert message == (
        "Python version mismatch: module was compiled for Python 3.13, but the interpreter "
        f"version is incompatible: {version}."
    )
