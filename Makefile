# Entry points for people who have make; `./tumbo.sh run` and `./tumbo.sh
# test` do the same without it (and install make itself). `make run` builds
# and starts the demo; `make test` builds and runs every test. Both first
# check the Debian packages they need (tools/ensure-packages has the lists):
# as root they install what is missing, otherwise they print the apt-get line
# to run and stop.

BUILD     ?= build
JOBS      ?= $(shell nproc)
ARGS      ?= -w
XVFB      := xvfb-run -a -s "-screen 0 1280x1024x24"
# No test found is a failure, never a quiet pass.
CTEST     := ctest --output-on-failure --no-tests=error -j$(JOBS)
# TUMBO_WERROR=ON in the environment (CI sets it) makes every compiler warning
# an error; unset, a build folder keeps what it was configured with.
CMAKE_ARGS := $(if $(TUMBO_WERROR),-DCMAKE_COMPILE_WARNING_AS_ERROR=$(TUMBO_WERROR))

# Reliability runs (figures in README, "Reliability"): seconds each fuzzer
# runs from its corpus in tests/fuzz/corpus, seconds of the show under
# ThreadSanitizer, seconds of frames under valgrind after start-up.
FUZZ_SECONDS     ?= 60
TSAN_SECONDS     ?= 30
VALGRIND_SECONDS ?= 5
# The whole show as frames under ASan and UBSan (make sanitize), at 5 frames
# per second and 160x120; 0 leaves it out.
SANITIZE_CAPTURE ?= 1

.PHONY: all deps-build deps-test build build-all run test unit-tests fuzz sanitize tsan valgrind reliability bench clean

all: build

deps-build:
	@./tools/ensure-packages run

deps-test:
	@./tools/ensure-packages test

# The programs only (tumbo, the tumbow link, tumbo-capture), whatever else the
# folder is configured for. A build folder made here has the tests and
# benchmarks switched off, since they need the test packages; build-all
# switches them on in the same folder.
build: deps-build
	cmake -S . -B $(BUILD) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS) --target tumbo tumbo-capture

run: build
	./$(BUILD)/tumbo $(ARGS)

# Everything: programs, tests and every benchmark.
build-all: deps-test
	cmake -S . -B $(BUILD) -DTUMBO_TESTS=ON -DTUMBO_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS) --target all benchmarks

# Every test: unit, GL and end-to-end tests under Xvfb, then the
# reliability runs.
test: deps-test
	$(MAKE) --no-print-directory build-all
	$(MAKE) --no-print-directory unit-tests
	$(MAKE) --no-print-directory reliability

# Fuzzing, the suite under ASan and UBSan, the demo under ThreadSanitizer
# and under valgrind.
reliability:
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory sanitize
	$(MAKE) --no-print-directory tsan
	$(MAKE) --no-print-directory valgrind

unit-tests:
	$(XVFB) $(CTEST) --test-dir $(BUILD) --timeout 600

# libFuzzer targets, built with clang, ASan and UBSan into build/fuzz.
fuzz: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTUMBO_FUZZ=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF -DTUMBO_FUZZ_SECONDS=$(FUZZ_SECONDS) $(CMAKE_ARGS)
	cmake --build $(BUILD)/fuzz -j$(JOBS)
	$(CTEST) --test-dir $(BUILD)/fuzz

# The whole test suite built with ASan and UBSan into build/sanitize. Leaks
# inside system libraries (tests/lsan.supp) are not reported.
sanitize: deps-test
	cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DTUMBO_SANITIZE=ON -DTUMBO_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD)/sanitize -j$(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) $(CTEST) --test-dir $(BUILD)/sanitize --timeout 1200
ifeq ($(SANITIZE_CAPTURE),1)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) tests/reliability/capture_show.sh $(BUILD)/sanitize 5 160x120
endif

# The demo built with ThreadSanitizer into build/tsan, run for TSAN_SECONDS
# of the show under Xvfb with dummy audio (tests/reliability/tsan.supp).
tsan: deps-test
	cmake -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBO_TSAN=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD)/tsan -j$(JOBS) --target tumbo
	tests/reliability/tsan_show.sh $(BUILD)/tsan $(TSAN_SECONDS)

# The demo under valgrind memcheck: start-up and VALGRIND_SECONDS of frames
# (tests/reliability/valgrind.supp).
valgrind: build
	tests/reliability/valgrind_show.sh $(BUILD) $(VALGRIND_SECONDS)

# Run the benchmarks from $(BUILD)/bench (BENCHMARKS.md).
bench: build-all

clean:
	rm -rf $(BUILD)
