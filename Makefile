# Two commands for a fresh Debian 12 machine:
#   make run    installs what is missing, builds, opens the window
#   make test   installs what is missing, builds, runs the whole suite
#               (a normal build, then one with AddressSanitizer and UBSan)
#               and the core cross-built for Windows, tested under Wine

BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_WIN  ?= build-windows
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test test-normal test-sanitize clean

all: build

deps:
	@bash packaging/install-build-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/brisendale

test: test-normal check-package test-sanitize test-wine

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRISENDALE_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

# The core cross-built for Windows, its tests run under Wine (skipped with a
# note where the cross compiler or Wine cannot be installed).
.PHONY: test-wine
test-wine:
	BUILD_WIN=$(BUILD_WIN) JOBS=$(JOBS) bash packaging/windows/wine-tests.sh

# The Debian package (in $(BUILD)), and the check of what a user gets: the
# installed tree, both programs, desktop entry, metadata, manual pages and
# the package's control data and file list.
.PHONY: package check-package
package: build
	cmake --build $(BUILD) --target package

check-package: build
	@bash packaging/install-build-deps.sh desktop-file-utils appstream man-db dpkg-dev file
	bash packaging/check-install.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_WIN)
