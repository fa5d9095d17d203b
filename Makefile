# Wrappers around CMake: `make run` plays the example show, `make test` runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
# Extra CMake settings, e.g. CMAKE_ARGS=-DZAMP_WERROR=ON (CI) or -DZAMP_SANITIZE=ON.
CMAKE_ARGS ?=

.PHONY: all deps configure build player run test bench install package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

# Everything: the player, the tools, the tests and the benchmarks.
build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only what playing needs: the player, the siv tool and the example show.
player: configure
	@cmake --build $(BUILD) -j $(JOBS) --target zamp siv example-show

run: player
	$(BUILD)/zamp --windowed $(BUILD)/examples/show

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@bash $(BUILD)/bench/run-benchmarks

install: player
	cmake --install $(BUILD) --prefix $(PREFIX)

package: player
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
