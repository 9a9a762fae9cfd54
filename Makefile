# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD    ?= build
NATIVE   := $(BUILD)/native
WIN      := $(BUILD)/win
FUZZ     := $(BUILD)/fuzz
JOBS     ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all deps native win test test-native test-win fuzz fuzz-build run demo dist bench bench-win bench-idle clean

all: native win

deps:
	@scripts/install-deps.sh

$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DKIV_SANITIZE=ON

$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

native: deps $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

win: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure --timeout 600

# Windows tests run one at a time under one shared Wine session (display, wineserver).
test-win: win
	scripts/wine-session start $(WIN)
	cd $(WIN) && ctest --output-on-failure --timeout 600 -j1; rc=$$?; cd - >/dev/null; \
	  scripts/wine-session stop $(WIN); exit $$rc

fuzz-build: deps
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS on its seed corpus (a scratch copy: the committed
# corpus only changes by hand).
fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

test: test-native test-win test-dist fuzz

bench: native
	cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD)/bench -j $(JOBS)
	@for b in $(BUILD)/bench/bench/bench_*; do [ -x $$b ] && $$b; done

# The Windows benchmarks under Wine (in their own Xvfb when there is no display): the rest
# window's repaint per monitor size and mode; a rest opening and ending on one monitor and
# on two (a nested two-screen X server): screens covered, the keyboard hook's delay per key.
bench-win: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target bench_rest_paint bench_rest_open
	scripts/wine-run $(WIN)/bench/bench_rest_paint.exe
	scripts/bench-rest-open $(WIN)

# Release packages in dist/: two zips (plain and portable), the installer, the MSI and
# SHA256SUMS. Only the shipped targets are built, in Release. Signed with
# SIGN_PFX=<key.pfx> SIGN_PASS_FILE=<file with its password> [SIGN_TIMESTAMP_URL=<RFC 3161 server>].
SIGN_PFX ?=
SIGN_PASS_FILE ?=
SIGN_TIMESTAMP_URL ?=
dist: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target kivTool kivsound
	SIGN_PFX="$(SIGN_PFX)" SIGN_PASS_FILE="$(SIGN_PASS_FILE)" SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" \
	  scripts/make-dist $(WIN)

# Two builds of HEAD in two fresh clones compared byte for byte (two full Release builds;
# not part of `make test`).
.PHONY: check-reproducible
check-reproducible: deps
	scripts/check-reproducible

# The release packages, and the installer installed and removed silently under Wine (30-60 s);
# then a dist signed with a throwaway key: every signature verifies, the signed program runs.
.PHONY: test-dist
test-dist: dist
	cmake --build $(WIN) -j $(JOBS) --target e2e_tests
	tests/e2e/installer_test.sh dist/kivTool-$$(scripts/make-dist --version)-setup.exe
	tests/e2e/signing_test.sh $(WIN) dist

# What kivTool costs while idle under Wine: CPU, wake-ups, memory, start-up (BENCH_SECONDS),
# beside a bare program with one 1-second timer measured in the same run (the floor).
bench-idle: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target kivTool kivsound idle_floor
	scripts/bench-idle $(WIN)

run: win
	scripts/run-kivtool $(WIN)

# Pictures of every screen of a scripted session into demo/, and of the English windows
# into demo/en/ (about two minutes each).
demo: win
	scripts/demo $(WIN)
	KIV_LANG=en scripts/demo $(WIN)

clean:
	rm -rf $(BUILD)
