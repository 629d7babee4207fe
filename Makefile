# Front door: `make run` builds and starts NocTuro under Wine, `make test` builds and runs every test tier.
BUILD     ?= build
TOOLCHAIN ?= cmake/mingw-w64-x86_64.cmake
JOBS      ?= 2
# Tests at once: one on each of the two Wine desktops and two scripts with prefixes of their own;
# most of their time is spent waiting for windows and clocks, not computing.
TEST_JOBS ?= 4
ARGS      ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test test-native test-wine test-e2e bench bench-long fuzz dist dist-test clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/CMakeCache.txt: | deps
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) >/dev/null

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

# ARGS are NocTuro's parameters, e.g. make run ARGS='* 0 0 45 0' (no file-name expansion). Builds
# the program alone, not the tests.
run: configure
	@cmake --build $(BUILD) -j$(JOBS) --target NocTuro -- --no-print-directory
	@set -f; scripts/run.sh $(BUILD) $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(TEST_JOBS)

test-native test-wine test-e2e: build
	@cd $(BUILD) && ctest --output-on-failure -j$(TEST_JOBS) -L $(subst test-,,$@)

# One table each (scripts/bench.sh), also kept in $(BUILD)/bench/table-*.txt.
bench: build
	@cmake --build $(BUILD) -j$(JOBS) --target bench_app -- --no-print-directory
	@cd $(BUILD) && ctest --output-on-failure -C bench -L bench && cat bench/table-short.txt

bench-long: build
	@cmake --build $(BUILD) -j$(JOBS) --target bench_app -- --no-print-directory
	@cd $(BUILD) && ctest --output-on-failure -C benchlong -L bench-long && cat bench/table-long.txt

# Each fuzzer for FUZZ_SECONDS over its corpus and regressions; new inputs and failures go to $(BUILD)/fuzz-long.
fuzz: build
	@status=0; for f in $$(cat $(BUILD)/fuzz/fuzzers.txt); do \
	  tests/fuzz/fuzz.sh long $(BUILD)/fuzz/$$f tests/fuzz $(BUILD)/fuzz-long $(FUZZ_SECONDS) || status=1; \
	done; exit $$status

# Release builds for 64-bit and 32-bit Windows and the setup program, into dist/.
dist:
	@JOBS=$(JOBS) scripts/dist.sh

# dist, then the setup program's tests under Wine (64-bit and 32-bit Windows, prefixes of their own).
dist-test:
	@JOBS=$(JOBS) scripts/dist-test.sh

clean:
	@rm -rf $(BUILD)
