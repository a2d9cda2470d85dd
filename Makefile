# Quick start on a fresh Debian machine:
#   make demo   builds kor and runs it on the bundled example
#   make test   builds everything and runs the whole test suite
# Both install the Debian packages they need first (apt-get, as root or through sudo).

BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES   := g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
              libcairo2-dev libgif-dev libx11-dev fonts-dejavu-core xvfb

.PHONY: all deps build demo test test-sanitize format clean

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@./examples/run-demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(SAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKOR_SANITIZE=ON -DKOR_BUILD_BENCH=OFF

test-sanitize: deps $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

format:
	clang-format -i $$(git ls-files '*.h' '*.cc')

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
