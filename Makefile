# Three commands for a fresh Debian 12 machine:
#   make run     installs what is missing, builds, opens the window
#   make check   the fast loop: the normal build and the test suite
#   make test    installs what is missing and runs everything CI runs: the
#                format check, the size of the tests against the code, the normal build and its suite, one
#                short run of the benchmark from that build, the installed
#                tree and package, a Release build and its suite, the suite
#                under AddressSanitizer and UBSan, the core cross-built for
#                Windows and tested under Wine, and each fuzz target briefly
#
# Warnings are errors in every build here but the Release and package ones,
# which are built as users build them.

BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_RELEASE ?= build-release
BUILD_WIN  ?= build-windows
BUILD_FUZZ ?= build-fuzz
BUILD_BENCH ?= build-bench
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)

.PHONY: all deps build run check test test-measure test-release test-sanitize format-check clean

all: build

deps:
	@bash packaging/install-build-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRISENDALE_WERROR=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/brisendale

test: format-check test-measure check bench-short check-package test-release test-sanitize test-wine fuzz-short

check: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The test code at most two fifths of the production code (tools/test-measure.sh).
test-measure:
	bash tools/test-measure.sh

# Every tracked C and C++ file as clang-format (.clang-format) would write it.
format-check:
	@bash packaging/install-build-deps.sh clang-format
	git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror

# The tree as users build it: optimised, warnings reported but not fatal, so
# that a build type only users make cannot break unseen.
test-release: deps
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)
	cmake --build $(BUILD_RELEASE) -j $(JOBS)
	cd $(BUILD_RELEASE) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRISENDALE_WERROR=ON \
	    -DBRISENDALE_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

# The core cross-built for Windows, its tests run under Wine (skipped with a
# note where the cross compiler or Wine cannot be installed).
.PHONY: test-wine
test-wine:
	BUILD_WIN=$(BUILD_WIN) JOBS=$(JOBS) bash packaging/windows/wine-tests.sh

# The Debian package, built in a tree of its own: optimised, with Debian's
# hardening flags from dpkg-buildflags, and with warnings that do not stop a
# user's build on a newer compiler. Then the check of what a user gets: the
# installed tree, both programs, desktop entry, metadata, manual pages, the
# package's control data and file list, and lintian.
BUILD_PKG ?= build-package
PKG_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
.PHONY: package package-tree check-package
package-tree: deps
	@bash packaging/install-build-deps.sh dpkg-dev
	cmake -S . -B $(BUILD_PKG) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DBRISENDALE_WERROR=OFF -DBRISENDALE_TESTS=OFF \
	    "-DCMAKE_C_FLAGS=$$($(PKG_FLAGS) CPPFLAGS) $$($(PKG_FLAGS) CFLAGS)" \
	    "-DCMAKE_CXX_FLAGS=$$($(PKG_FLAGS) CPPFLAGS) $$($(PKG_FLAGS) CXXFLAGS)" \
	    "-DCMAKE_EXE_LINKER_FLAGS=$$($(PKG_FLAGS) LDFLAGS)" $(CMAKE_ARGS)
	cmake --build $(BUILD_PKG) -j $(JOBS)

package: package-tree
	cmake --build $(BUILD_PKG) --target package

check-package: package-tree
	@bash packaging/install-build-deps.sh desktop-file-utils appstream man-db dpkg-dev file lintian
	bash packaging/check-install.sh $(BUILD_PKG)

# Fuzzing: every fuzz target in a clang build of its own, without Qt.
# `make fuzz` runs each for FUZZ_SECONDS; `make test` runs each for 20 s so
# that a crash or a broken invariant fails CI. A failing input is kept in
# $(BUILD_FUZZ)/artifacts/.
FUZZ_SECONDS ?= 120
.PHONY: fuzz fuzz-short fuzz-deps bench bench-short
fuzz-deps:
	@bash packaging/install-build-deps.sh clang-14 libclang-rt-14-dev
fuzz: fuzz-deps
	bash tests/fuzz/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)
fuzz-short: fuzz-deps
	bash tests/fuzz/run-fuzzers.sh $(BUILD_FUZZ) 20

# Benchmark figures from an optimised build; prints a table, never fails on
# a slow machine, only when the program misbehaves under measure.
bench: deps
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)
	cmake --build $(BUILD_BENCH) -j $(JOBS) --target brisendale_bench
	./$(BUILD_BENCH)/tools/bench/brisendale_bench

# One run of each measure from the normal build, so that the benchmark
# cannot rot unseen; its figures mean little in a Debug build.
bench-short: build
	cmake --build $(BUILD) -j $(JOBS) --target brisendale_bench
	./$(BUILD)/tools/bench/brisendale_bench --short

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_RELEASE) $(BUILD_WIN) $(BUILD_FUZZ) $(BUILD_BENCH) $(BUILD_PKG)
