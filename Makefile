# The two set-up commands are `make run` and `make test`; everything else is
# for developers.
.PHONY: all deps build run package format-check check tidy test test-asan test-werror test-windows bench bench-soak fuzz clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

# Only the four programs and what they need: the test tools come with make test.
run:
	scripts/install-deps run
	cmake --preset default
	cmake --build --preset default --target ondrixWavelark31 OndrixMP3 OndrixFlac OndrixWRec ondrix_default_settings
	scripts/run-player build

# The Debian package (build/package/ondrix_VERSION_ARCH.deb): everything
# `cmake --install` installs, under /usr.
package: build
	cd build && cpack

# The unit and window tests run a second time built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the end-to-end tests only in the normal build);
# that build makes everything with warnings as errors, so that a warning
# fails the run. The package is built first: a test installs it and starts
# the player from it. clang-tidy runs beside the tests of the normal build,
# whose end-to-end part mostly waits on servers and players; its report
# follows theirs.
test: format-check build package
	@scripts/tidy build > build/tidy.log 2>&1 & tidy=$$!; \
	ctest --preset default; tests=$$?; \
	wait $$tidy; tidied=$$?; cat build/tidy.log; \
	test $$tests -eq 0 -a $$tidied -eq 0
	$(MAKE) test-asan

# Format, then the unit and window tests of the normal build.
check: format-check build
	ctest --preset default -L 'unit|gui'

# Every C++ file as the committed .clang-format writes it.
format-check: deps
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

# clang-tidy with the committed .clang-tidy on every source file of the
# default build, two at a time; a file found clean is checked again only when
# what it includes changed (scripts/tidy). Any finding fails.
tidy: build
	scripts/tidy build

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Builds the programs and tests optimised with every warning an error (some
# warnings show only when optimising); runs nothing.
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

# An hour of station changes between MP3, AAC and Ogg Vorbis every 3
# minutes, the player's memory sampled at each; BENCH_SOAK_MINUTES and
# BENCH_SOAK_SWITCH_SECONDS make it shorter.
bench-soak: build
	BENCH_SOAK_MINUTES=$${BENCH_SOAK_MINUTES:-60} scripts/bench build

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz build-fuzz $(or $(FUZZ_SECONDS),60)

clean:
	rm -rf build build-asan build-werror build-fuzz
