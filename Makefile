# make run: installs what is missing, builds, and opens the New User window.
# make test: installs what is missing, builds, and runs every test: the
# native ones, the fuzz targets over their corpora under the sanitizers (make
# fuzz-replay), and the Windows program's, cross-built and run under Wine,
# with its installer package built and tried there (make windows-test).
# make fuzz FUZZ_TARGET=...: fuzzes one target of fuzz/ for a bounded time
# (FUZZ_SECONDS): create_user_with_quota (the routines) or password_box.
# make bench: measures start-up, memory and the quota window's response.
# make screenshots: redraws the README's pictures of the windows, on Linux
# and under Wine (docs/screenshots).

BUILD_DIR ?= build
WINDOWS_BUILD_DIR ?= build-windows
FUZZ_TARGET ?=
FUZZ_SECONDS ?= 240
BENCH_RUNS ?= 20
JOBS ?= $(shell nproc)

.PHONY: all deps build run test fuzz-replay windows-test fuzz bench screenshots clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	$(BUILD_DIR)/app/newuser

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --timeout 120
	$(MAKE) fuzz-replay
	$(MAKE) windows-test

fuzz-replay:
	JOBS=$(JOBS) scripts/fuzz replay

windows-test:
	JOBS=$(JOBS) scripts/windows-test $(WINDOWS_BUILD_DIR)

fuzz:
	JOBS=$(JOBS) scripts/fuzz run "$(FUZZ_TARGET)" $(FUZZ_SECONDS)

bench:
	JOBS=$(JOBS) scripts/bench $(BENCH_RUNS)

screenshots: build
	JOBS=$(JOBS) scripts/screenshots $(BUILD_DIR) $(WINDOWS_BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(WINDOWS_BUILD_DIR) build-fuzz build-bench
