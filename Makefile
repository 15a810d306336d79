# The two set-up commands are `make run` and `make test`; everything else is
# for developers.
.PHONY: all deps build run package format-check test test-asan test-werror test-windows bench bench-soak fuzz clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	scripts/run-player build

# The Debian package (build/package/ondrix_VERSION_ARCH.deb): everything
# `cmake --install` installs, under /usr.
package: build
	cd build && cpack

# The unit and window tests run a second time built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the end-to-end tests only in the normal build).
# The package is built first: a test installs it and starts the player from it.
# Last, everything is built once more with warnings as errors, so that a
# warning fails the run.
test: format-check build package
	ctest --preset default
	$(MAKE) test-asan
	$(MAKE) test-werror

# Every C++ file as the committed .clang-format writes it.
format-check: deps
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Builds the programs and tests with every warning an error; runs nothing.
test-werror: deps
	cmake --preset werror
	cmake --build --preset werror

# The command-line splitter against Windows' own CommandLineToArgvW, run under
# Wine (installed when missing); not part of `make test`.
test-windows: deps
	cmake --preset default
	cmake --build --preset default --target windows_argv_compare
	scripts/test-windows build

bench: build
	scripts/bench build

# A 30-minute run of a stream with the player's memory sampled every minute.
bench-soak: build
	BENCH_SOAK_MINUTES=30 scripts/bench build

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz build-fuzz $(or $(FUZZ_SECONDS),60)

clean:
	rm -rf build build-asan build-werror build-fuzz
