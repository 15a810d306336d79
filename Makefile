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

# The unit and window tests run a second time built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the end-to-end tests only in the normal build).
test: build
	ctest --preset default --timeout 300 -j2
	$(MAKE) test-asan

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: build
	scripts/bench build

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz build-fuzz $(or $(FUZZ_SECONDS),60)

clean:
	rm -rf build build-asan build-fuzz
