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

# Reinstalls (rebuilding the extension) only when a source, package or build
# file has changed.
$(INSTALLED): $(PY) $(SOURCES)
	$(PY) -m pip install --quiet --disable-pip-version-check ".[test]"
	touch $@

clean:
	rm -rf $(VENV) build
