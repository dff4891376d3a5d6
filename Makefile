# The two setup commands of README.md are `make run` and `make test`; both
# install what is missing first, then build incrementally.

BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_BENCH ?= build-bench
BUILD_FUZZ  ?= build-fuzz
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CTEST_ARGS  ?= --output-on-failure -j $(JOBS) --timeout 300
# Extra CMake options for a build folder's first configuration (CI: -DTARVEL_WERROR=ON).
CMAKE_FLAGS ?=
# The shared real-world test files; the tests read the same variable at run time.
TESTDATA    := $(or $(TARVEL_TESTDATA),$(CURDIR)/../shared/testdata)

.PHONY: all deps configure build run test test-sanitize bench bench-build fuzz fuzz-build install clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: configure
	cmake --build $(BUILD) -j $(JOBS) --target tarvel-viewer
	$(BUILD)/src/app/tarvel-viewer samples/

# Ends with the skipped tests and the reasons they gave.
test: build
	@status=0; ctest --test-dir $(BUILD) $(CTEST_ARGS) || status=$$?; \
	  scripts/skipped-tests $(BUILD); exit $$status

$(BUILD_ASAN)/build.ninja:
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEL_SANITIZE=ON $(CMAKE_FLAGS)

test-sanitize: deps $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	@status=0; \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(BUILD_ASAN) $(CTEST_ARGS) || status=$$?; \
	  scripts/skipped-tests $(BUILD_ASAN); exit $$status

$(BUILD_BENCH)/build.ninja:
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEL_TESTS=OFF -DTARVEL_BENCH=ON $(CMAKE_FLAGS)

bench-build: deps $(BUILD_BENCH)/build.ninja
	cmake --build $(BUILD_BENCH) -j $(JOBS)

# Every benchmark binary; the probes they start live in bench/probes/.
bench: bench-build
	@for b in $(BUILD_BENCH)/bench/*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done
	@echo "== $(BUILD_BENCH)/bench/bench_startup as a native Wayland client (headless Weston)"; \
	  status=0; scripts/with-weston $(BUILD_BENCH)/bench/bench_startup \
	    --benchmark_filter=BM_StartupToFirstPicture || status=$$?; \
	  [ $$status -eq 0 ] || [ $$status -eq 77 ]

$(BUILD_FUZZ)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTARVEL_GUI=OFF -DTARVEL_TESTS=OFF -DTARVEL_FUZZ=ON $(CMAKE_FLAGS)

fuzz-build: deps $(BUILD_FUZZ)/build.ninja
	cmake --build $(BUILD_FUZZ) -j $(JOBS)

# fuzz/seeds/<target>.dirs names folders of the shared test files to seed from
# (relative to TARVEL_TESTDATA); those that are absent are left out.
# fuzz/<target>.flags holds further libFuzzer flags (-malloc_limit_mb at the
# picture's memory budget for the image targets).
fuzz: fuzz-build
	@for f in $(BUILD_FUZZ)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; name=$$(basename $$f); \
	  mkdir -p fuzz-corpus/$$name; seeds=fuzz/seeds/$$name; [ -d $$seeds ] || seeds=; \
	  shared=; for d in $$(cat fuzz/seeds/$$name.dirs 2>/dev/null); do \
	    if [ -d "$(TESTDATA)/$$d" ]; then shared="$$shared $(TESTDATA)/$$d"; \
	    else echo "(no shared seeds at $(TESTDATA)/$$d)"; fi; done; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 \
	      $$( [ -f fuzz/$$name.dict ] && echo -dict=fuzz/$$name.dict ) $$(cat fuzz/$$name.flags 2>/dev/null) \
	      fuzz-corpus/$$name $$seeds $$shared || exit 1; \
	done

install: build
	cmake --install $(BUILD) --prefix $(or $(PREFIX),$(HOME)/.local)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_BENCH) $(BUILD_FUZZ)
