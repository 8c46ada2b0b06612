# Entry points for people who have make; `./tumbo.sh run`, `./tumbo.sh
# test [--full]` and `./tumbo.sh release` do the same without it (and install
# make itself). `make run` builds and starts the demo; `make test` builds and
# runs the everyday tests; `make test-full` runs everything CI runs;
# `make release` writes the .deb and the tarball. Each first checks the
# Debian packages it needs (tools/ensure-packages has the lists): as root it
# installs what is missing, otherwise it prints the apt-get line to run and
# stops.

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

.PHONY: all deps-build deps-test deps-release build build-tests build-all run test test-full everyday-tests \
  every-test fuzz sanitize tsan valgrind reliability release bench clean

all: build

deps-build:
	@./tools/ensure-packages run

deps-test:
	@./tools/ensure-packages test

deps-release:
	@./tools/ensure-packages release

# The programs only (tumbo, the tumbow link, tumbo-capture), whatever else the
# folder is configured for. A build folder made here has the tests and
# benchmarks switched off, since they need the test packages; build-all
# switches them on in the same folder.
build: deps-build
	cmake -S . -B $(BUILD) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS) --target tumbo tumbo-capture

run: build
	./$(BUILD)/tumbo $(ARGS)

# Programs and tests; the benchmarks are switched on but not built.
build-tests: deps-test
	cmake -S . -B $(BUILD) -DTUMBO_TESTS=ON -DTUMBO_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS) --target all

# Everything: programs, tests and every benchmark.
build-all: build-tests
	cmake --build $(BUILD) -j$(JOBS) --target benchmarks

# The everyday tests: every unit, GL, show, capture and end-to-end test and
# the song report, all but the cases labelled `full` (the whole show in real
# time). Minutes, not a quarter of an hour.
test: deps-test
	$(MAKE) --no-print-directory build-tests
	$(MAKE) --no-print-directory everyday-tests

# Everything CI runs: the benchmarks built, every test case, then the
# reliability runs.
test-full: deps-test
	$(MAKE) --no-print-directory build-all
	$(MAKE) --no-print-directory every-test
	$(MAKE) --no-print-directory reliability

# Fuzzing, the suite under ASan and UBSan, the demo under ThreadSanitizer
# and under valgrind.
reliability:
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory sanitize
	$(MAKE) --no-print-directory tsan
	$(MAKE) --no-print-directory valgrind

# The test cases through ctest under Xvfb, in parallel (most end-to-end
# cases wait on a private X server and on the clock, so they run beside the
# cases that draw).
everyday-tests:
	$(XVFB) $(CTEST) --test-dir $(BUILD) --timeout 600 -LE full
every-test:
	$(XVFB) $(CTEST) --test-dir $(BUILD) --timeout 600

# libFuzzer targets, built with clang, ASan and UBSan into build/fuzz.
fuzz: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTUMBO_FUZZ=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF -DTUMBO_FUZZ_SECONDS=$(FUZZ_SECONDS) $(CMAKE_ARGS)
	cmake --build $(BUILD)/fuzz -j$(JOBS)
	$(CTEST) --test-dir $(BUILD)/fuzz

# The test suite built with ASan and UBSan into build/sanitize, but for the
# cases labelled `full`: the whole show in real time adds nothing under the
# sanitizers that the whole-show capture below does not cover. Leaks inside
# system libraries (tests/lsan.supp) are not reported.
sanitize: deps-test
	cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DTUMBO_SANITIZE=ON -DTUMBO_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD)/sanitize -j$(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) $(CTEST) --test-dir $(BUILD)/sanitize --timeout 1200 -LE full
ifeq ($(SANITIZE_CAPTURE),1)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) tests/reliability/capture_show.sh $(BUILD)/sanitize 5 160x120
endif

# The demo built with ThreadSanitizer into build/tsan, run for TSAN_SECONDS
# of the show under Xvfb with dummy audio, and the capture tool for a few
# seconds of frames and video (tests/reliability/tsan.supp).
tsan: deps-test
	cmake -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBO_TSAN=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD)/tsan -j$(JOBS) --target tumbo tumbo-capture
	tests/reliability/tsan_show.sh $(BUILD)/tsan $(TSAN_SECONDS)
	tests/reliability/tsan_capture.sh $(BUILD)/tsan

# The demo under valgrind memcheck: start-up and VALGRIND_SECONDS of frames
# (tests/reliability/valgrind.supp).
valgrind: build
	tests/reliability/valgrind_show.sh $(BUILD) $(VALGRIND_SECONDS)

# The release: a Release build in $(BUILD)/release whose programs carry
# their C++ run time (TUMBO_STATIC_RUNTIME), its everyday tests, then the
# .deb and the tarball in that folder (tools/make-release).
RELEASE_BUILD := $(BUILD)/release
release: deps-release
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DTUMBO_TESTS=ON -DTUMBO_BENCH=OFF \
	  -DTUMBO_STATIC_RUNTIME=ON $(CMAKE_ARGS)
	cmake --build $(RELEASE_BUILD) -j$(JOBS)
	$(MAKE) --no-print-directory everyday-tests BUILD=$(RELEASE_BUILD)
	tools/make-release $(RELEASE_BUILD)

# Run the benchmarks from $(BUILD)/bench (BENCHMARKS.md).
bench: build-all

clean:
	rm -rf $(BUILD)
