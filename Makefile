# Set-up commands of KV6274PA.
JOBS ?= $(shell nproc)
GEN := -G Ninja

.PHONY: all deps build test test-normal test-asan format clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B build $(GEN) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build -j $(JOBS)

test-normal: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

test: test-normal test-asan

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-release build-fuzz
