# Kalwestrowka: user-facing targets are `make test`, `make demo`, `make bench`,
# `make try` (`make try TRY_ARGS="--omit 52308"` passes switches to the
# terminal host) and `make dist`.
# Internal: deps, configure, build, hardened, prefix, native, clean.

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

BUILD_DIR := $(CURDIR)/build
# The same tests on a build that traps on undefined behaviour and checks stack
# canaries; it shares build/'s Wine prefix.
HARDENED_DIR := $(CURDIR)/build-hardened
# The tools that also run on Linux, built natively with their tests.
NATIVE_DIR := $(CURDIR)/build-native
export KW_BUILD_DIR := $(BUILD_DIR)

WINE_RUN := $(CURDIR)/cmake/wine-run
WINE_ENV := WINEPREFIX=$(BUILD_DIR)/wineprefix WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" XDG_RUNTIME_DIR=$(BUILD_DIR)/xdg-runtime

# Shell commands that wait for a Wine server left by an earlier run, start a
# persistent one for the commands after them and end it when the shell exits.
WINE_SESSION = $(WINE_ENV) timeout 20 wineserver -w </dev/null >/dev/null 2>&1 || true; \
  $(WINE_ENV) wineserver -p </dev/null >/dev/null 2>&1 || true; \
  trap '$(WINE_ENV) wineserver -k >/dev/null 2>&1 || true' EXIT; \
  $(WINE_RUN) --boot || true

DEB_PACKAGES := g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 \
                wine64-tools googletest python3 python3-pefile cmake make tmux g++
JOBS ?= 2

TRY_ARGS ?=

.PHONY: test demo bench try dist deps configure build hardened prefix native clean

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

# Figures of the module's cost, printed, never asserted (see README, Benchmarks).
bench: deps build prefix
	@$(WINE_SESSION); \
	$(WINE_RUN) $(BUILD_DIR)/module_share_bench.exe; \
	$(WINE_RUN) $(BUILD_DIR)/load_bench.exe; \
	$(WINE_RUN) $(BUILD_DIR)/host_call_bench.exe

# The terminal host on this terminal, driven from the keyboard.
try: deps configure
	cmake --build build -j$(JOBS) --target kalwestrowka_terminal -- --no-print-directory
	@$(WINE_RUN) --prepare
	$(WINE_RUN) --console $(BUILD_DIR)/kalwestrowka_terminal.exe $(TRY_ARGS)

# The release package: dist/Kalwestrowka-<version>.zip.
dist: deps configure
	cmake --build build -j$(JOBS) --target dist -- --no-print-directory

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
	rm -rf build $(HARDENED_DIR) $(NATIVE_DIR)
