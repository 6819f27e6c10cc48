# Quick start: `make run` and `make test`. Each installs the Debian packages it
# misses (scripts/install-deps, by group) and builds only what it needs.
BUILD      ?= build/release
FUZZ_BUILD ?= build/fuzz
TSAN_BUILD ?= build/tsan
# The tests that run threads against each other, run again under the thread sanitizer.
TSAN_TESTS ?= concurrency|search_run|search_launcher|source_table|program_settings|cached_file_io|key_value_file|http_client|work_queue|worker_pool|content_pipeline|removal_log|app_document
FUZZ_SECONDS ?= 5
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

# ccache hits across clones and build folders.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all deps-run deps-test deps-bench configure-tests build fuzz-build tsan-build run test tsan bench fuzz clean

all: build

deps-run:
	@scripts/install-deps run
deps-test:
	@scripts/install-deps test
deps-bench:
	@scripts/install-deps bench

# A new build folder is configured for running only; the test and benchmark
# targets switch on what they build.
$(BUILD)/build.ninja: | deps-run
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBEL_TESTS=OFF -DBRAMBEL_BENCH=OFF $(CMAKE_FLAGS)

configure-tests: deps-test $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DBRAMBEL_TESTS=ON > /dev/null

# The programs and every test.
build: configure-tests
	cmake --build $(BUILD) -j $(JOBS)

# The desktop program on the default library; LIBRARY=DIR for another,
# PORTABLE=1 for portable mode.
run: deps-run $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target brambel brambel-cli
	$(BUILD)/ui/brambel $(if $(LIBRARY),--library "$(LIBRARY)") $(if $(PORTABLE),--portable)

$(FUZZ_BUILD)/build.ninja: | deps-test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBEL_FUZZ=ON

fuzz-build: deps-test $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

$(TSAN_BUILD)/build.ninja: | deps-test
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAMBEL_TSAN=ON -DBRAMBEL_BENCH=OFF

tsan-build: deps-test $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $$(cmake --build $(TSAN_BUILD) --target help | \
	  sed -nE 's/^(test_[a-z_]*($(TSAN_TESTS))[a-z_]*):.*/\1/p')

tsan: tsan-build
	TSAN_OPTIONS="suppressions=$(CURDIR)/tsan.supp halt_on_error=1" \
	  ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

test: build fuzz-build tsan-build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory tsan
	scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps-bench configure-tests
	cmake -S . -B $(BUILD) -DBRAMBEL_BENCH=ON > /dev/null
	cmake --build $(BUILD) --target benchmarks
	scripts/bench-run $(BUILD)

fuzz: fuzz-build
	scripts/fuzz-run $(FUZZ_BUILD) 300

clean:
	rm -rf build
