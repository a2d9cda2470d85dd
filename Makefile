# Quick start on a fresh Debian machine:
#   make demo   builds the four programs (not the tests) and runs kor on the bundled example
#   make test   builds everything and runs the whole test suite
# Both install the Debian packages they need first (apt-get, as root or through sudo).

BUILD      ?= build
SAN_BUILD  ?= build-sanitize
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# What the programs need, and what the tests and benchmarks add.
# kor_batch runs its plots on GNU parallel (Debian package parallel).
PROGRAM_PACKAGES := g++ cmake make pkg-config libcairo2-dev libgif-dev libx11-dev fonts-dejavu-core \
                    parallel
TEST_PACKAGES    := libgtest-dev libgmock-dev libbenchmark-dev xvfb man-db
PACKAGES   := $(PROGRAM_PACKAGES) $(TEST_PACKAGES)
PROGRAMS   := kor kor_plots kor_files kor_select mplt

# Fuzzing (clang and its libFuzzer runtime on top of the packages above).
FUZZ_BUILD    ?= build-fuzz
FUZZ_SECONDS  ?= 300
SMOKE_SECONDS ?= 5
MUTATION_RUNS ?= 300
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_TARGETS  := trace_reader_fuzz control_file_fuzz dialogue_fuzz plot_driver_fuzz ucd_fuzz \
                 probability_fuzz files_control_fuzz format_fuzz link_reply_fuzz \
                 server_request_fuzz select_fuzz

.PHONY: all deps program-deps build demo install test test-sanitize test-tsan fuzz-deps fuzz-build fuzz fuzz-smoke \
        mutation-check format clean

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

program-deps:
	@./scripts/install-deps.sh $(PROGRAM_PACKAGES)

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# A folder that the demo configured without the tests gets them now.
build: deps $(BUILD)/CMakeCache.txt
	@if grep -q '^KOR_BUILD_TESTS:BOOL=OFF' $(BUILD)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD) -DKOR_BUILD_TESTS=ON -DKOR_BUILD_BENCH=ON; fi
	cmake --build $(BUILD) -j $(JOBS)

# Only the programs, with a one-line build report, so that the demo's results start on the first
# screen.
demo: program-deps
	@./scripts/build-programs.sh $(BUILD) $(JOBS) $(PROGRAMS)
	@./examples/run-demo.sh $(BUILD)

# The programs, the server's message file, the examples and the demo, the manual pages and the
# documents, under PREFIX (bin/, share/kor/, share/man/man1/, share/doc/kor/).
PREFIX ?= /usr/local
install: program-deps
	@./scripts/build-programs.sh $(BUILD) $(JOBS) $(PROGRAMS)
	cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(SAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKOR_SANITIZE=ON -DKOR_BUILD_BENCH=OFF

test-sanitize: deps $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The resampling tests, whose trials run on several threads, under the thread sanitizer.
TSAN_TESTS := resample_resampling_test resample_accumulate_test resample_draws_test

$(TSAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOR_TSAN=ON -DKOR_BUILD_BENCH=OFF

test-tsan: deps $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -R '^(Resampling|TrialSums|Draws)'

fuzz-deps:
	@./scripts/install-deps.sh $(PACKAGES) $(FUZZ_PACKAGES)

$(FUZZ_BUILD)/CMakeCache.txt: | fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKOR_FUZZ=ON -DKOR_BUILD_TESTS=OFF -DKOR_BUILD_BENCH=OFF

fuzz-build: fuzz-deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

# Every fuzz target for FUZZ_SECONDS (one after another; FUZZ_JOBS=2 runs two processes each),
# then the end-to-end mutation check on the sanitizer build of kor.
fuzz: fuzz-build mutation-check
	./scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# CI's short run: each target replays its starting corpus and fuzzes for SMOKE_SECONDS.
fuzz-smoke: fuzz-build
	./scripts/fuzz.sh $(FUZZ_BUILD) $(SMOKE_SECONDS)

mutation-check: deps $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS) --target kor
	./fuzz/mutation_check.sh $(SAN_BUILD) $(MUTATION_RUNS)

format:
	clang-format -i $$(git ls-files '*.h' '*.cc')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
