# Kalwestrowka: user-facing targets are `make test`, `make demo`, `make bench`,
# `make try` (`make try TRY_ARGS="--omit 52308"` passes switches to the
# terminal host), `make dist`, `make installer-screens` (the installer's pages
# walked on an Xvfb screen, a screenshot of each) and `make soak` (the random
# walk over SEEDS fresh seeds of STEPS steps, all cores; START= walks a given
# range again; SLAD=1 walks with the module's relay trace on and checks it).
# For maintainers: `make coverage` builds the module's objects with --coverage
# in build-coverage/ (its own Wine prefix there), runs the tests under Wine and
# reports the module's lines and branches with gcovr (summary on the terminal,
# HTML in build-coverage/coverage/index.html).
# Internal: deps, configure, build, hardened, prefix, native, coverage-deps, clean.

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

BUILD_DIR := $(CURDIR)/build
# The same tests on a build that traps on undefined behaviour and checks stack
# canaries; it shares build/'s Wine prefix.
HARDENED_DIR := $(CURDIR)/build-hardened
# The tools that also run on Linux, built natively with their tests.
NATIVE_DIR := $(CURDIR)/build-native
# The module's objects with --coverage (make coverage); its own Wine prefix.
COVERAGE_DIR := $(CURDIR)/build-coverage
export KW_BUILD_DIR := $(BUILD_DIR)

WINE_RUN := $(CURDIR)/cmake/wine-run
# The Wine environment of the prefix in folder $(1).
WINE_ENV_IN = WINEPREFIX=$(1)/wineprefix WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" XDG_RUNTIME_DIR=$(1)/xdg-runtime
WINE_ENV := $(call WINE_ENV_IN,$(BUILD_DIR))

# Shell commands that wait for a Wine server left by an earlier run, start a
# persistent one for the commands after them and end it when the shell exits
# (WINE_SESSION_IN: for the prefix in folder $(1)).
WINE_SESSION_IN = $(call WINE_ENV_IN,$(1)) timeout 20 wineserver -w </dev/null >/dev/null 2>&1 || true; \
  $(call WINE_ENV_IN,$(1)) wineserver -p </dev/null >/dev/null 2>&1 || true; \
  trap '$(call WINE_ENV_IN,$(1)) wineserver -k >/dev/null 2>&1 || true' EXIT; \
  KW_BUILD_DIR=$(1) $(WINE_RUN) --boot || true
WINE_SESSION = $(call WINE_SESSION_IN,$(BUILD_DIR))

DEB_PACKAGES := g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 \
                wine64-tools googletest nlohmann-json3-dev python3 python3-pefile cmake make tmux g++ \
                osslsigncode nsis openssl xvfb xdotool locales
# Only for make coverage: the report tool (gcovr runs the MinGW gcov below).
COVERAGE_PACKAGES := gcovr
COVERAGE_GCOV := i686-w64-mingw32-gcov-posix
JOBS ?= 2

TRY_ARGS ?=

.PHONY: test demo bench try dist installer-screens soak coverage deps coverage-deps configure build hardened prefix native clean

test: deps build hardened prefix native
	@rc=0; \
	$(WINE_SESSION); \
	ctest --test-dir build --output-on-failure -j$(JOBS) || rc=$$?; \
	ctest --test-dir $(NATIVE_DIR) --output-on-failure -j$(JOBS) || rc=$$?; \
	echo "== the same tests on the hardened build (build-hardened/) =="; \
	ctest --test-dir $(HARDENED_DIR) --output-on-failure -j$(JOBS) || rc=$$?; \
	exit $$rc

demo: deps configure
	cmake --build build -j$(JOBS) --target kalwestrowka_host -- --no-print-directory
	$(WINE_RUN) $(BUILD_DIR)/kalwestrowka_host.exe

# Figures of the module's cost, printed, never asserted (see README, Benchmarks);
# kalwraport's on a ten-year journal and one over 4 GB natively and as the
# Windows program, whose reports must be the native ones (their digests).
bench: deps build prefix native
	@$(WINE_SESSION); \
	$(WINE_RUN) $(BUILD_DIR)/module_share_bench.exe; \
	$(WINE_RUN) $(BUILD_DIR)/load_bench.exe; \
	$(WINE_RUN) $(BUILD_DIR)/host_call_bench.exe; \
	echo "== natively (build-native/) =="; $(NATIVE_DIR)/kalwraport_bench --over-4gb | tee $(NATIVE_DIR)/kalwraport_bench.txt; \
	echo "== the Windows program under Wine =="; \
	$(WINE_RUN) $(BUILD_DIR)/kalwraport_bench.exe --over-4gb | tee $(BUILD_DIR)/kalwraport_bench.txt; \
	if diff <(grep -o 'digest .*' $(NATIVE_DIR)/kalwraport_bench.txt) <(grep -o 'digest .*' $(BUILD_DIR)/kalwraport_bench.txt); \
	then echo "kalwraport: the Windows program's reports are the native ones, byte for byte"; \
	else echo "kalwraport: the Windows program's reports DIFFER from the native ones"; exit 1; fi

# The random walk over many seeds it has not walked before, every core busy:
# each failing seed is printed with its first failure and its replay command.
SEEDS ?= 200
STEPS ?= 10000
START ?=
SOAK_JOBS ?= $(shell nproc)
SLAD ?=
# Then kalwraport's walk against its model of a shop (native, REPORT_SEEDS
# fresh seeds from START or from the clock), and the installer's walk:
# INSTALLER_SEEDS fresh seeds of INSTALLER_STEPS administrator's actions
# (INSTALLER_START= walks a given seed again) in INSTALLER_JOBS streams, each
# in its own copy of the Wine prefix.
REPORT_SEEDS ?= 1000
INSTALLER_SEEDS ?= 20
INSTALLER_STEPS ?= 20
INSTALLER_START ?=
INSTALLER_JOBS ?= $(SOAK_JOBS)
soak: deps build prefix native
	@rc=0; $(WINE_SESSION); \
	/usr/bin/python3 -B tests/walk/soak.py $(BUILD_DIR)/host_walk_test.exe $(WINE_RUN) \
	  --seeds $(SEEDS) --steps $(STEPS) --jobs $(SOAK_JOBS) $(if $(START),--start $(START)) $(if $(SLAD),--slad) || rc=$$?; \
	$(NATIVE_DIR)/kalwraport_walk --seeds $(REPORT_SEEDS) --start $(if $(START),$(START),$$(date +%s)) || rc=$$?; \
	ctest --test-dir build -R '^release_installer_walk$$' -N -V | sed -n 's/^[0-9]*: Test command: //p' | head -1 \
	  | { read -r command; eval "$$command --seeds $(INSTALLER_SEEDS) --steps $(INSTALLER_STEPS) --jobs $(INSTALLER_JOBS) \
	      $(if $(INSTALLER_START),--start $(INSTALLER_START))"; } || rc=$$?; \
	exit $$rc

# The terminal host on this terminal, driven from the keyboard.
try: deps configure
	cmake --build build -j$(JOBS) --target kalwestrowka_terminal -- --no-print-directory
	@$(WINE_RUN) --prepare
	$(WINE_RUN) --console $(BUILD_DIR)/kalwestrowka_terminal.exe $(TRY_ARGS)

# The release package: dist/Kalwestrowka-<version>.zip and the installer
# dist/Kalwestrowka-<version>-setup.exe. With SIGN_PFX (a PKCS#12 file),
# SIGN_PASS_FILE (a file holding its password) and optionally
# SIGN_TIMESTAMP_URL the DLL, the tools and the installer are signed; only the
# file names reach the commands, never the password.
SIGN_PFX ?=
SIGN_PASS_FILE ?=
SIGN_TIMESTAMP_URL ?=
dist: deps configure
	KW_SIGN_PFX="$(if $(SIGN_PFX),$(abspath $(SIGN_PFX)))" KW_SIGN_PASS_FILE="$(if $(SIGN_PASS_FILE),$(abspath $(SIGN_PASS_FILE)))" \
	KW_SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" \
	cmake --build build -j$(JOBS) --target dist -- --no-print-directory

# The graphical installer and uninstaller walked page by page on an Xvfb screen
# (the test release_installer_pages); a screenshot of every page for a person
# to look at, in the folder the test names.
installer-screens: deps build
	@ctest --test-dir build -R '^release_installer_pages$$' -V > $(BUILD_DIR)/installer-pages.log 2>&1 \
	  || { cat $(BUILD_DIR)/installer-pages.log; exit 1; }
	@sed -n 's/^[0-9]*: screenshots of the pages: /Screenshots of the installer'"'"'s pages: /p' $(BUILD_DIR)/installer-pages.log

# The module's lines and branches reached by the tests (see README, Coverage).
# Counts from an earlier run are removed first; the test programs merge their
# counts into the same .gcda files under a file lock.
coverage: deps coverage-deps
	@if [ ! -f $(COVERAGE_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(COVERAGE_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release \
	        -DKW_COVERAGE=ON; \
	fi
	cmake --build $(COVERAGE_DIR) -j$(JOBS) -- --no-print-directory
	@KW_BUILD_DIR=$(COVERAGE_DIR) $(WINE_RUN) --prepare
	@rc=0; \
	find $(COVERAGE_DIR) -name '*.gcda' -delete; \
	rm -rf $(COVERAGE_DIR)/coverage; mkdir -p $(COVERAGE_DIR)/coverage; \
	( export KW_BUILD_DIR=$(COVERAGE_DIR); $(call WINE_SESSION_IN,$(COVERAGE_DIR)); \
	  ctest --test-dir $(COVERAGE_DIR) --output-on-failure -j$(JOBS) ) || rc=$$?; \
	echo "== the module's lines and branches (foundation/ shared/ config/ documents/ jpk/ module/) =="; \
	gcovr --root $(CURDIR) --object-directory $(COVERAGE_DIR) --gcov-executable $(COVERAGE_GCOV) -j$(JOBS) \
	      --filter '$(CURDIR)/(foundation|shared|config|documents|jpk|module)/' \
	      --txt - --html-details $(COVERAGE_DIR)/coverage/index.html --print-summary; \
	echo "HTML report: $(COVERAGE_DIR)/coverage/index.html"; \
	exit $$rc

coverage-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(COVERAGE_PACKAGES)"

# Install only what is missing, so a second run costs nothing.
deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q 'install ok installed' \
	    || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then echo "make deps: run as root to install:$$missing" >&2; exit 1; fi; \
	  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update; \
	  apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	@if [ ! -f build/CMakeCache.txt ]; then \
	  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release; \
	fi

build: configure
	cmake --build build -j$(JOBS) -- --no-print-directory

hardened: deps
	@if [ ! -f $(HARDENED_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(HARDENED_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release \
	        -DKW_HARDENED=ON -DKW_WINE_DIR=$(BUILD_DIR); \
	fi
	cmake --build $(HARDENED_DIR) -j$(JOBS) -- --no-print-directory

# The native build reads the simulated host's TALMER.dll from build/.
native: deps build
	@if [ ! -f $(NATIVE_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=Release -DKW_WINDOWS_BUILD_DIR=$(BUILD_DIR); \
	fi
	cmake --build $(NATIVE_DIR) -j$(JOBS) -- --no-print-directory

# Create the private Wine prefix once (cmake/wine-run does it under a lock).
prefix: build
	@$(WINE_RUN) --prepare

clean:
	-@$(WINE_ENV) wineserver -k >/dev/null 2>&1 || true
	-@$(call WINE_ENV_IN,$(COVERAGE_DIR)) wineserver -k >/dev/null 2>&1 || true
	rm -rf build $(HARDENED_DIR) $(NATIVE_DIR) $(COVERAGE_DIR)
