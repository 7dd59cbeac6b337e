# Everything runs inside .venv, created on first use with Python 3.13.
VENV := .venv
PY := $(VENV)/bin/python
INSTALLED := $(VENV)/.installed
SOURCES := pyproject.toml CMakeLists.txt $(shell find src -type f)

.PHONY: run test bench clean

run: $(INSTALLED)
	$(PY) examples/demo.py

test: $(INSTALLED)
	$(PY) -m pytest

bench: $(INSTALLED)
	$(PY) benchmarks/run.py

$(PY):
	"$$(scripts/find-python)" -m venv $(VENV)

# Rebuilds the extension only when a source or build file has changed.
$(INSTALLED): $(PY) $(SOURCES)
	$(PY) -m pip install --quiet --disable-pip-version-check ".[test,bench]"
	touch $@

clean:
	rm -rf $(VENV) build
