# Entry points: `make run` builds and starts reelforge, `make test` builds and
# runs every test. Both install missing Debian packages first.
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test test-asan bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/reelforge

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREEL_SANITIZE=ON -DREEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The worker against the ffmpeg command, the preview's seeking against an
# in-process decode, the import's probe and thumbnail against a plain libav
# program, and the GUI at scale (a thousand files added, ten thousand
# history records, start-up against a minimal Qt program); a few minutes
# on 8 cores.
bench: build
	@bash bench/run_conversion_bench.sh $(BUILD_DIR)
	@$(BUILD_DIR)/bin/bench_preview_seek
	@bash bench/run_probe_thumbnail_bench.sh $(BUILD_DIR)
	@bash bench/run_gui_scale_bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR)
