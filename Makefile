# Quick start: `make run` and `make test`. Everything installs what it misses.
BUILD      ?= build/release
FUZZ_BUILD ?= build/fuzz
FUZZ_SECONDS ?= 5
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

# ccache hits across clones and build folders.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all deps build fuzz-build run test bench fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBEL_FUZZ=ON

fuzz-build: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

run: build
	$(BUILD)/cli/brambel-cli --help

test: build fuzz-build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) --target benchmarks
	scripts/bench-run $(BUILD)

fuzz: fuzz-build
	scripts/fuzz-run $(FUZZ_BUILD) 300

clean:
	rm -rf build
