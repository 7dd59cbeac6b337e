# Everything runs inside .venv, created on first use with Python 3.13.
VENV := .venv
PY := $(VENV)/bin/python
INSTALLED := $(VENV)/.installed
SOURCES := pyproject.toml CMakeLists.txt LICENSE docs/package.md \
	$(shell find src python -type f -not -name '*.pyc')

# Each venv has a CMake build directory of its own, and `pip install .` one
# more (pyproject.toml), so that no kind of build invalidates another's cache.
DEV_BUILD_OPTIONS := "-Cbuild-dir=build/dev/{wheel_tag}"

# The sanitizer build (ASan + UBSan) lives apart from the normal one: its own
# venv and its own CMake build directory, so neither ever clobbers the other.
SAN_VENV := .venv-sanitize
SAN_PY := $(SAN_VENV)/bin/python
SAN_INSTALLED := $(SAN_VENV)/.installed
# CMAKE_WERROR=ON (CI exports it) makes any compiler warning in the project's
# own code fail the build.
CMAKE_WERROR ?= OFF
# The test environments also get velm_reference_text, which the tests compare
# every JSON text with; it is never part of a package built for users.
TEST_BUILD_OPTIONS := -Ccmake.define.VELM_REFERENCE_TEXT_MODULE=ON \
	-Ccmake.define.VELM_WARNINGS_AS_ERRORS=$(CMAKE_WERROR)
SAN_BUILD_OPTIONS := $(TEST_BUILD_OPTIONS) -Ccmake.define.VELM_SANITIZE=ON -Ccmake.build-type=Debug \
	-Cinstall.strip=false "-Cbuild-dir=build/sanitize/{wheel_tag}"

# The browser tests drive Debian's Chromium (apt-get installs it when missing)
# through Playwright's Python package (installed into the venv).
CHROMIUM := /usr/bin/chromium
BROWSER_INSTALLED := $(VENV)/.browser-installed
AS_ROOT := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: run test test-clean-build test-browser goldens test-sanitize leak-check bench bench-check \
	bench-replay screenshot clean FORCE

run: $(INSTALLED)
	$(PY) -m velm_levels

test: $(INSTALLED)
	$(PY) -m pytest

# The slow tests that build the project from scratch in a copy of the clone.
test-clean-build: $(INSTALLED)
	$(PY) -m pytest -m clean_build

# Opens replay pages in headless Chromium. VELM_REQUIRE_BROWSER=1 makes a
# missing browser fail these tests instead of skipping them.
test-browser: $(BROWSER_INSTALLED) $(CHROMIUM)
	VELM_REQUIRE_BROWSER=1 $(PY) -m pytest tests/browser

# Replays every bundled level into tests/playthroughs and shows what changed.
goldens: $(INSTALLED)
	$(PY) tests/golden_playthroughs.py

# The whole test suite against the sanitizer build; fails on any report.
test-sanitize: $(SAN_INSTALLED)
	scripts/run-sanitized $(SAN_PY) -m pytest

# Builds and plays thousands of levels and checks that memory stays flat.
leak-check: $(INSTALLED)
	$(PY) benchmarks/leak_check.py

# Times the frame loop on levels of several shapes and prints a table.
bench: $(INSTALLED)
	$(PY) benchmarks/run.py

# Times `check` on 2,000 generated levels with one worker and with two.
bench-check: $(INSTALLED)
	$(PY) benchmarks/check_levels.py

# Sizes of replay pages and the time Chromium takes to open them.
bench-replay: $(BROWSER_INSTALLED) $(CHROMIUM)
	$(PY) benchmarks/replay_page.py

# Draws a replay page in Chromium into docs/replay.png, the README's picture.
screenshot: $(BROWSER_INSTALLED) $(CHROMIUM)
	$(PY) scripts/replay_screenshot.py docs/replay.png

# find-python explains itself when it finds no interpreter; `&&` stops here then.
$(PY):
	python=$$(scripts/find-python) && "$$python" -m venv $(VENV)

$(SAN_PY):
	python=$$(scripts/find-python) && "$$python" -m venv $(SAN_VENV)

# `$(call install,PYTHON,OPTIONS)`: installs the build requirements into that
# venv: those listed in pyproject.toml, then those the build backend adds on
# this machine (CMake and Ninja from the package index when no system copy
# will do). Then it installs the project with its test, bench and dask extras
# (the tests start a local Dask cluster), built there rather than in pip's
# throwaway environment, so that CMake keeps its build directory and
# recompiles just what changed. The project is installed verbosely: that is
# what lets the compiler's progress through.
PIP = $(1) -m pip install --quiet --disable-pip-version-check
install = $(PIP) $$($(1) -c 'import tomllib; print(*tomllib.load(open("pyproject.toml", "rb"))["build-system"]["requires"])') && \
	added=$$($(1) -c 'from scikit_build_core.build import get_requires_for_build_wheel as added; print(*added())') && \
	{ [ -z "$$added" ] || $(PIP) $$added; } && \
	$(1) -m pip install --verbose --disable-pip-version-check --no-build-isolation $(2) ".[test,bench,dask]"

# Each venv is reinstalled only when a source, package or build file has
# changed, or when it is to be built with other options than last time: every
# run rewrites a venv's .build-options, but only when they differ.
DEV_OPTIONS := $(DEV_BUILD_OPTIONS) $(TEST_BUILD_OPTIONS)
OPTIONS_FILE := $(VENV)/.build-options
SAN_OPTIONS_FILE := $(SAN_VENV)/.build-options
remember = @echo '$(1)' | cmp -s - $@ || echo '$(1)' > $@

$(OPTIONS_FILE): FORCE | $(PY)
	$(call remember,$(DEV_OPTIONS))

$(SAN_OPTIONS_FILE): FORCE | $(SAN_PY)
	$(call remember,$(SAN_BUILD_OPTIONS))

FORCE:

$(INSTALLED): $(PY) $(SOURCES) $(OPTIONS_FILE)
	$(call install,$(PY),$(DEV_OPTIONS))
	touch $@

$(BROWSER_INSTALLED): $(INSTALLED)
	$(PY) -m pip install --quiet --disable-pip-version-check \
		$$($(PY) -c 'import tomllib; print(*tomllib.load(open("pyproject.toml", "rb"))["project"]["optional-dependencies"]["browser"])')
	touch $@

$(CHROMIUM):
	$(AS_ROOT) apt-get update -qq
	$(AS_ROOT) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium

$(SAN_INSTALLED): $(SAN_PY) $(SOURCES) $(SAN_OPTIONS_FILE)
	$(call install,$(SAN_PY),$(SAN_BUILD_OPTIONS))
	touch $@

clean:
	rm -rf $(VENV) $(SAN_VENV) build
