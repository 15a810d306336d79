# The two set-up commands are `make run` and `make test`; everything else is
# for developers.
.PHONY: all deps build run test test-asan bench fuzz clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	scripts/run-player build

test: build
	ctest --preset default --timeout 300 -j2

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan --timeout 300

bench: build
	scripts/bench build

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz build-fuzz $(or $(FUZZ_SECONDS),60)

clean:
	rm -rf build build-asan build-fuzz
