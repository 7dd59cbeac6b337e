# Everything runs inside .venv, created on first use with Python 3.13.
VENV := .venv
PY := $(VENV)/bin/python
INSTALLED := $(VENV)/.installed
SOURCES := pyproject.toml CMakeLists.txt $(shell find src -type f)

# The sanitizer build (ASan + UBSan) lives apart from the normal one: its own
# venv and its own CMake build directory, so neither ever clobbers the other.
SAN_VENV := .venv-sanitize
SAN_PY := $(SAN_VENV)/bin/python
SAN_INSTALLED := $(SAN_VENV)/.installed
SAN_BUILD_OPTIONS := -Ccmake.define.VELM_SANITIZE=ON -Ccmake.build-type=Debug \
	-Cinstall.strip=false "-Cbuild-dir=build/sanitize/{wheel_tag}"

.PHONY: run test test-sanitize leak-check clean

run: $(INSTALLED)
	$(PY) examples/demo.py

test: $(INSTALLED)
	$(PY) -m pytest

# The whole test suite against the sanitizer build; fails on any report.
test-sanitize: $(SAN_INSTALLED)
	scripts/run-sanitized $(SAN_PY) -m pytest

# Builds and plays thousands of levels and checks that memory stays flat.
leak-check: $(INSTALLED)
	$(PY) benchmarks/leak_check.py

$(PY):
	"$$(scripts/find-python)" -m venv $(VENV)

$(SAN_PY):
	"$$(scripts/find-python)" -m venv $(SAN_VENV)

# Rebuilds the extension only when a source or build file has changed.
$(INSTALLED): $(PY) $(SOURCES)
	$(PY) -m pip install --quiet --disable-pip-version-check ".[test]"
	touch $@

$(SAN_INSTALLED): $(SAN_PY) $(SOURCES)
	$(SAN_PY) -m pip install --quiet --disable-pip-version-check $(SAN_BUILD_OPTIONS) ".[test]"
	touch $@

clean:
	rm -rf $(VENV) $(SAN_VENV) build
