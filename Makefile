# Quick start: `make run` and `make test`. Everything installs what it misses.
BUILD      ?= build/release
FUZZ_BUILD ?= build/fuzz
TSAN_BUILD ?= build/tsan
# The tests that run threads against each other, run again under the thread sanitizer.
TSAN_TESTS ?= concurrency|search_run|cached_file_io|key_value_file|http_client
FUZZ_SECONDS ?= 5
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

# ccache hits across clones and build folders.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all deps build fuzz-build tsan-build run test tsan bench fuzz clean

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

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBEL_TSAN=ON

tsan-build: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $$(cmake --build $(TSAN_BUILD) --target help | \
	  sed -nE 's/^(test_[a-z_]*($(TSAN_TESTS))[a-z_]*):.*/\1/p')

tsan: tsan-build
	TSAN_OPTIONS="suppressions=$(CURDIR)/tsan.supp halt_on_error=1" \
	  ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

# The desktop program on the default library; LIBRARY=DIR for another,
# PORTABLE=1 for portable mode.
run: build
	$(BUILD)/ui/brambel $(if $(LIBRARY),--library "$(LIBRARY)") $(if $(PORTABLE),--portable)

test: build fuzz-build tsan-build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory tsan
	scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) --target benchmarks
	scripts/bench-run $(BUILD)

fuzz: fuzz-build
	scripts/fuzz-run $(FUZZ_BUILD) 300

clean:
	rm -rf build
