# Wrappers around CMake: `make run` plays the example show, `make test` runs every test,
# `make web` builds the web player (WebAssembly) and `make test-web` tests it in Chromium.
BUILD ?= build
WEB_BUILD ?= build-web
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean web web-deps test-web

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/zamp --windowed $(BUILD)/examples/show

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@bash $(BUILD)/bench/run-benchmarks

web-deps:
	@scripts/install-deps-web
	@scripts/build-web-deps $(WEB_BUILD)/deps

# emscripten's JavaScript tools need Debian's node-acorn, which a Node.js from elsewhere on
# the PATH does not look for.
web: export NODE_PATH := /usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))
web: web-deps
	@emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DZAMP_WEB_DEPS=$(abspath $(WEB_BUILD))/deps >/dev/null
	@cmake --build $(WEB_BUILD) -j $(JOBS)

test-web: build web
	@tests/web/run $(BUILD) $(WEB_BUILD)

clean:
	rm -rf $(BUILD) $(WEB_BUILD)
