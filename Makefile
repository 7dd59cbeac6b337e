# Everything runs inside .venv, created on first use with Python 3.13.
VENV := .venv
PY := $(VENV)/bin/python
INSTALLED := $(VENV)/.installed
SOURCES := pyproject.toml CMakeLists.txt $(shell find src python -type f -not -name '*.pyc')

.PHONY: run test clean

run: $(INSTALLED)
	$(PY) examples/demo.py

test: $(INSTALLED)
	$(PY) -m pytest

$(PY):
	"$$(scripts/find-python)" -m venv $(VENV)

# Reinstalls (rebuilding the extension) only when a source, package or build
# file has changed.
$(INSTALLED): $(PY) $(SOURCES)
	$(PY) -m pip install --quiet --disable-pip-version-check ".[test]"
	touch $@

clean:
	rm -rf $(VENV) build
