# Front door: `make run` builds and starts NocTuro under Wine, `make test` builds and runs every test tier.
BUILD     ?= build
TOOLCHAIN ?= cmake/mingw-w64-x86_64.cmake
JOBS      ?= 2
ARGS      ?=

.PHONY: all deps configure build run test test-native test-wine test-e2e bench bench-long clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/CMakeCache.txt: | deps
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) >/dev/null

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

# ARGS are NocTuro's parameters, e.g. make run ARGS='* 0 0 45 0' (no file-name expansion).
run: build
	@set -f; scripts/run.sh $(BUILD) $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-native test-wine test-e2e: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS) -L $(subst test-,,$@)

# One table each (scripts/bench.sh), also kept in $(BUILD)/bench/table-*.txt.
bench: build
	@cd $(BUILD) && ctest --output-on-failure -C bench -L bench && cat bench/table-short.txt

bench-long: build
	@cd $(BUILD) && ctest --output-on-failure -C benchlong -L bench-long && cat bench/table-long.txt

clean:
	@rm -rf $(BUILD)
