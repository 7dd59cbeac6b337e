"""The type stubs shipped as velm_engine-stubs agree with the built module.

stubtest checks that every name exists on both sides, but it cannot read the
signatures of pybind11 functions, so each signature that pybind11 writes into
a docstring is also compared with the stub's, parameter by parameter.
"""
import ast
import re
import subprocess
import sys
import sysconfig
from pathlib import Path

import pytest

import velm_engine

STUB = Path(sysconfig.get_paths()["purelib"]) / "velm_engine-stubs" / "__init__.pyi"
ALLOWLIST = Path(__file__).parent / "stubtest_allowlist.txt"
COMPANION = Path(__file__).parents[1] / "python" / "velm_levels"
CLASSES = ("ChargePolarity", "Charge", "Environment", "NarrativeSequencer")


def run_module(*arguments, cwd):
    return subprocess.run([sys.executable, "-m", *map(str, arguments)],
                          capture_output=True, text=True, cwd=cwd, timeout=600)


def test_stubtest_finds_no_difference(tmp_path):
    result = run_module("mypy.stubtest", "velm_engine", "--allowlist", ALLOWLIST, cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr


def test_companion_package_type_checks_strictly_against_the_stubs(tmp_path):
    result = run_module("mypy", "--strict", "--cache-dir", tmp_path / "cache", COMPANION,
                        cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr


# A signature as both sides are compared: the parameters after `self` as
# (name, annotation, positional only), and the return annotation. Property
# accessors are compared without names: pybind11 calls them arg0, arg1.
Signature = tuple[tuple[tuple[str, str, bool], ...], str]

_QUALIFIERS = re.compile(r"\b(?:velm_engine|typing|collections\.abc)\.")


def _split_parameters(text):
    depth, start, parts = 0, 0, []
    for position, character in enumerate(text):
        depth += character in "[(" or -(character in "])")
        if character == "," and depth == 0:
            parts.append(text[start:position].strip())
            start = position + 1
    return parts + [text[start:].strip()] if text.strip() else parts


def _runtime_signature(doc, named):
    match = re.match(r"\w*\((.*)\) -> (.*)", doc.splitlines()[0])
    assert match is not None, doc
    parameters: list[tuple[str, str, bool]] = []
    positional_only = False
    for part in reversed(_split_parameters(match.group(1))[1:]):
        if part == "/":
            positional_only = True
            continue
        name, annotation = part.split(": ", 1)
        parameters.insert(0, (name if named else "", _QUALIFIERS.sub("", annotation),
                              positional_only))
    return tuple(parameters), _QUALIFIERS.sub("", match.group(2))


def runtime_signatures():
    """Every member of the module's classes whose docstring holds one signature."""
    signatures = {}
    for class_name in CLASSES:
        for name, member in vars(getattr(velm_engine, class_name)).items():
            if isinstance(member, property):
                for accessor in ("fget", "fset"):
                    function = getattr(member, accessor)
                    if function is not None and function.__doc__:
                        signatures[f"{class_name}.{name}.{accessor}"] = _runtime_signature(
                            function.__doc__, named=False)
            elif callable(member) and (member.__doc__ or "").startswith(f"{name}(self"):
                signatures[f"{class_name}.{name}"] = _runtime_signature(member.__doc__, named=True)
    return signatures


def _stub_signature(function, named):
    arguments = function.args
    flagged = [(argument, True) for argument in arguments.posonlyargs] + [
        (argument, False) for argument in arguments.args]
    parameters = tuple((argument.arg if named else "", ast.unparse(argument.annotation), only)
                       for argument, only in flagged[1:])
    return parameters, ast.unparse(function.returns)


def stub_signatures():
    """Every method and property accessor that the stub file declares in a class."""
    signatures = {}
    for statement in ast.parse(STUB.read_text()).body:
        if not isinstance(statement, ast.ClassDef):
            continue
        for function in statement.body:
            if not isinstance(function, ast.FunctionDef):
                continue
            decorators = [ast.unparse(decorator) for decorator in function.decorator_list]
            accessor = ("fget" if "property" in decorators
                        else "fset" if f"{function.name}.setter" in decorators else None)
            key = f"{statement.name}.{function.name}" + (f".{accessor}" if accessor else "")
            signatures[key] = _stub_signature(function, named=accessor is None)
    return signatures


# Setters that the stub types more narrowly than pybind11 converts, on purpose:
# the frame counter takes any object with __int__ and truncates it, but a host
# that assigns anything but an int has a bug that a type checker should show.
NARROWED = {"NarrativeSequencer.current_frame.fset": ("SupportsInt | SupportsIndex", "int")}


def _agrees(stub_annotation, runtime_annotation):
    # pybind11 writes a returned py::list as bare `list`; the stub may say what it holds.
    return stub_annotation == runtime_annotation or (
        runtime_annotation in ("list", "dict")
        and stub_annotation.startswith(f"{runtime_annotation}["))


RUNTIME = runtime_signatures()
STUBBED = stub_signatures()
# Special methods such as __repr__ may be left to `object` in the stub.
COMPARED = sorted(member for member in RUNTIME
                  if member in STUBBED or not member.split(".")[1].startswith("__"))


@pytest.mark.parametrize("member", COMPARED)
def test_stub_signature_matches_the_built_module(member):
    (stub_parameters, stub_return), (runtime_parameters, runtime_return) = (
        STUBBED[member], RUNTIME[member])
    assert [(name, only) for name, _, only in stub_parameters] == [
        (name, only) for name, _, only in runtime_parameters]
    for (_, stub_annotation, _), (_, runtime_annotation, _) in zip(stub_parameters,
                                                                    runtime_parameters):
        if member in NARROWED:
            assert (runtime_annotation, stub_annotation) == NARROWED[member]
        else:
            assert _agrees(stub_annotation, runtime_annotation)
    assert _agrees(stub_return, runtime_return)


def test_stub_declares_nothing_the_module_lacks():
    # Overloaded comparisons carry no single signature to compare; stubtest covers them.
    assert set(STUBBED) - set(RUNTIME) <= {
        "ChargePolarity.__eq__", "ChargePolarity.__ne__", "ChargePolarity.name.fget"}
