# Set-up commands of KV6274PA.
JOBS ?= $(shell nproc)
GEN := -G Ninja
# Warnings are errors where the tests run (continuous integration runs make test); a user's own
# build, perhaps with a newer compiler, only shows them.
WERROR :=
test test-normal test-asan: WERROR := -DKV_WERROR=ON

.PHONY: all deps build demo layers test test-normal test-asan fuzz fuzz-build fuzz-smoke bench format clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B build $(GEN) -DCMAKE_BUILD_TYPE=Debug $(WERROR)
	cmake --build build -j $(JOBS)

# The reference frame against the simulated positioner; build/demo keeps its project between runs.
# With a display (DISPLAY or WAYLAND_DISPLAY set) the frame's window opens, else the terminal run.
demo: deps
	cmake -S . -B build $(GEN) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build -j $(JOBS) --target kv6274pa-frame
	mkdir -p build/demo
	if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then cd build/demo && ../kv6274pa-frame --gui; \
	else cd build/demo && ../kv6274pa-frame; fi

# The library graph: no cycle, nothing below the widget layers reaches Qt, and no library
# includes a header of one it does not link.
layers: deps
	./scripts/check-layers build

test-normal: build layers
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON $(WERROR)
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# libFuzzer targets of fuzz/, built with clang and the sanitizers; each runs FUZZ_SECONDS.
FUZZ_SECONDS ?= 600

fuzz-build: deps
	cmake -S . -B build-fuzz $(GEN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DKV_FUZZ=ON -DKV_TESTS=OFF -DKV_UI=OFF
	cmake --build build-fuzz -j $(JOBS)

fuzz: fuzz-build
	./scripts/run-fuzz build-fuzz $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=5

test: test-normal test-asan fuzz-smoke

# Release build of the benchmark programs; runs them and prints each figure beside its target.
bench: deps
	cmake -S . -B build-release $(GEN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	  -DKV_WERROR=ON -DKV_TESTS=OFF -DKV_BENCH=ON
	cmake --build build-release -j $(JOBS)
	for b in build-release/kv6274pa_*bench; do $$b || exit 1; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-release build-fuzz
