# Everything runs inside .venv, created on first use with Python 3.13.
VENV := .venv
PY := $(VENV)/bin/python
INSTALLED := $(VENV)/.installed
SOURCES := pyproject.toml CMakeLists.txt $(shell find src python -type f -not -name '*.pyc')

.PHONY: run test goldens clean

run: $(INSTALLED)
	$(PY) -m velm_levels

test: $(INSTALLED)
	$(PY) -m pytest

# Replays every bundled level into tests/playthroughs and shows what changed.
goldens: $(INSTALLED)
	$(PY) tests/golden_playthroughs.py

$(PY):
	"$$(scripts/find-python)" -m venv $(VENV)

BUILD_REQUIRES = $$($(PY) -c 'import tomllib; print(*tomllib.load(open("pyproject.toml", "rb"))["build-system"]["requires"])')
PIP := $(PY) -m pip install --quiet --disable-pip-version-check

# Reinstalls only when a source, package or build file has changed. The build
# requirements are installed into .venv and the build runs there, so CMake keeps
# its build directory and recompiles just what changed.
$(INSTALLED): $(PY) $(SOURCES)
	$(PIP) $(BUILD_REQUIRES)
	$(PIP) --no-build-isolation ".[test]"
	touch $@

clean:
	rm -rf $(VENV) build
