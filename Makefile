# Set-up and entry points. `make run` builds and starts the demo; `make test`
# builds and runs every test. Both install missing Debian packages when run
# as root and print the apt-get line to run otherwise.

BUILD     ?= build
JOBS      ?= $(shell nproc)
ARGS      ?= -w
XVFB      := xvfb-run -a -s "-screen 0 1280x1024x24"

# Build, run and test dependencies (Debian 12 package names).
PACKAGES_BUILD := cmake make g++ pkg-config libsdl2-dev libgl-dev libgl1-mesa-dri libx11-dev \
                  libpng-dev zlib1g-dev
PACKAGES_TEST  := libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils openbox \
                  clang libclang-rt-14-dev valgrind

# Reliability runs (figures in README, "Reliability"): seconds each fuzzer
# runs from its corpus in tests/fuzz/corpus, seconds of the show under
# ThreadSanitizer, seconds of frames under valgrind after start-up.
FUZZ_SECONDS     ?= 60
TSAN_SECONDS     ?= 30
VALGRIND_SECONDS ?= 5
# The whole show as frames under ASan and UBSan (make sanitize), at 5 frames
# per second and 160x120; 0 leaves it out.
SANITIZE_CAPTURE ?= 1

.PHONY: all deps-build deps-test build run test unit-tests fuzz sanitize tsan valgrind reliability bench clean

all: build

deps-build:
	@./tools/ensure-packages $(PACKAGES_BUILD)

deps-test:
	@./tools/ensure-packages $(PACKAGES_BUILD) $(PACKAGES_TEST)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/tumbo $(ARGS)

# Every test: unit, GL and end-to-end tests under Xvfb, then the
# reliability runs.
test: deps-test
	$(MAKE) --no-print-directory build
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
	$(XVFB) ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) --timeout 600

# libFuzzer targets, built with clang, ASan and UBSan into build/fuzz.
fuzz: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTUMBO_FUZZ=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF -DTUMBO_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(BUILD)/fuzz -j$(JOBS)
	ctest --test-dir $(BUILD)/fuzz --output-on-failure -j$(JOBS)

# The whole test suite built with ASan and UBSan into build/sanitize. Leaks
# inside system libraries (tests/lsan.supp) are not reported.
sanitize: deps-test
	cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DTUMBO_SANITIZE=ON -DTUMBO_BENCH=OFF
	cmake --build $(BUILD)/sanitize -j$(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) ctest --test-dir $(BUILD)/sanitize --output-on-failure -j$(JOBS) --timeout 1200
ifeq ($(SANITIZE_CAPTURE),1)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(XVFB) tests/reliability/capture_show.sh $(BUILD)/sanitize 5 160x120
endif

# The demo built with ThreadSanitizer into build/tsan, run for TSAN_SECONDS
# of the show under Xvfb with dummy audio (tests/reliability/tsan.supp).
tsan: deps-test
	cmake -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBO_TSAN=ON -DTUMBO_TESTS=OFF -DTUMBO_BENCH=OFF
	cmake --build $(BUILD)/tsan -j$(JOBS) --target tumbo
	tests/reliability/tsan_show.sh $(BUILD)/tsan $(TSAN_SECONDS)

# The demo under valgrind memcheck: start-up and VALGRIND_SECONDS of frames
# (tests/reliability/valgrind.supp).
valgrind: build
	tests/reliability/valgrind_show.sh $(BUILD) $(VALGRIND_SECONDS)

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD)
