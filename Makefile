# The two set-up commands are `make run` and `make test`; each installs what is missing,
# configures (once; after that Ninja re-runs CMake itself when a CMakeLists.txt changes) and
# builds incrementally.
#
#   make run     build build/ and open the editor on examples/worm.zmf (a screenshot under Xvfb
#                when there is no display)
#   make test    build build/ and build-asan/, run every test in both
#   make bench   build build-bench/ (Release) and run every benchmark
#   make fuzz    build build-fuzz/ (clang, libFuzzer) and fuzz every target for a bounded time
#   make install build build/ and install the editor under PREFIX (default /usr/local), staged
#                under DESTDIR when it is set: make install PREFIX=/usr DESTDIR=/tmp/stage

JOBS ?= 2
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
# The model `make run` opens: make run RUN_MODEL=examples/sphere.zmf opens another.
RUN_MODEL ?= examples/worm.zmf

CMAKE_MAIN  := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZMF_STRICT=ON
CMAKE_ASAN  := -DCMAKE_BUILD_TYPE=Debug -DZMF_STRICT=ON -DZMF_SANITIZE=ON
CMAKE_BENCH := -DCMAKE_BUILD_TYPE=Release -DZMF_BUILD_APP=OFF -DZMF_BUILD_BENCH=ON
CMAKE_FUZZ  := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZMF_FUZZ=ON \
               -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

# $(call build,DIR,CMAKE_OPTIONS)
define build
	@test -f $(1)/build.ninja || cmake -S . -B $(1) -G Ninja $(2)
	ninja -C $(1) -j$(JOBS)
endef

# One build at a time: the machine has two cores and each build already uses both.
.NOTPARALLEL:

.PHONY: run test bench fuzz install deps build build-asan build-bench build-fuzz clean

deps:
	@scripts/install-deps.sh

build: deps
	$(call build,build,$(CMAKE_MAIN))

build-asan: deps
	$(call build,build-asan,$(CMAKE_ASAN))

build-bench: deps
	$(call build,build-bench,$(CMAKE_BENCH))

build-fuzz: deps
	$(call build,build-fuzz,$(CMAKE_FUZZ))

run: build
	@scripts/run-editor.sh build/src/app/zmfedit build/run-screenshot.png $(RUN_MODEL)

test: build build-asan
	@scripts/run-tests.sh build build-asan

bench: build-bench
	@scripts/run-benchmarks.sh build-bench/bench

fuzz: build-fuzz
	@scripts/run-fuzzers.sh build-fuzz/fuzz $(FUZZ_SECONDS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

clean:
	rm -rf build build-asan build-bench build-fuzz
