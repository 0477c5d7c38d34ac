# make run: installs what is missing, builds, and opens the New User window.
# make test: installs what is missing, builds, and runs every test, the
# Windows side's too (cross-built, run under Wine: make windows-test).

BUILD_DIR ?= build
WINDOWS_BUILD_DIR ?= build-windows
JOBS ?= $(shell nproc)

.PHONY: all deps build run test windows-test clean

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
	$(MAKE) windows-test

windows-test:
	JOBS=$(JOBS) scripts/windows-test $(WINDOWS_BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(WINDOWS_BUILD_DIR)
