# Wrappers around CMake: `make run` plays the example show, `make test` runs every test,
# `make web` builds the web player (WebAssembly) and `make test-web` tests it in Chromium.
BUILD ?= build
# `make package` builds in a folder of its own: only what the package holds, for /usr.
PACKAGE_BUILD ?= build-package
WEB_BUILD ?= build-web
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
# Extra CMake settings, e.g. CMAKE_ARGS=-DZAMP_WERROR=ON (CI) or -DZAMP_SANITIZE=ON.
CMAKE_ARGS ?=
# The sanitizer build and the fuzz build live beside the ordinary one.
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
# The sanitizer and fuzz builds: light optimisation and line tables only, which is what their
# reports need (file and line in every frame) and compiles a third faster than -O2 -g.
CHECK_FLAGS ?= -O1 -g1 -DNDEBUG
# Seconds each fuzz target runs for in `make fuzz`.
FUZZ_SECONDS ?= 300

# The recursive makes under CMake's build say nothing of the folders they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build player run test bench install package clean web web-deps test-web sanitize fuzz fuzz-build fuzz-seeds

all: build

deps:
	@scripts/install-deps

# The install prefix is set here, not at install time: the manual pages name the paths under it.
configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_ARGS) >/dev/null

# Everything: the player, the tools, the tests and the benchmarks.
build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only what playing needs: the player, the siv tool and the example show.
player: configure
	@cmake --build $(BUILD) -j $(JOBS) --target zamp siv example-show

# What `make install` and `make package` install.
INSTALLED = zamp siv example-show man-pages

run: player
	$(BUILD)/zamp --windowed $(BUILD)/examples/show

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@bash $(BUILD)/bench/run-benchmarks

# Everything but the benchmarks built with AddressSanitizer and UndefinedBehaviorSanitizer;
# every test and an offline render of the whole example show run under them, LeakSanitizer
# included.
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAMP_SANITIZE=ON -DZAMP_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(CHECK_FLAGS)" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$(CHECK_FLAGS)" $(CMAKE_ARGS) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@bash tools/run-sanitized $(SANITIZE_BUILD) $(JOBS)

# The libFuzzer targets (clang), then each run for FUZZ_SECONDS from its seed corpus.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DZAMP_FUZZ=ON -DZAMP_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(CHECK_FLAGS)" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$(CHECK_FLAGS)" $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	@bash fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Writes the seed corpora under fuzz/corpus again: fuzz-seeds' files and the example scenes.
fuzz-seeds: fuzz-build player
	$(FUZZ_BUILD)/fuzz/fuzz-seeds fuzz/corpus
	cp $(BUILD)/examples/show/data/*.siv fuzz/corpus/siv_loader_fuzz/

# The binaries are installed stripped.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED)
	cmake --install $(BUILD) --strip

# The Debian package, built from $(PACKAGE_BUILD): the tests are not configured there and only
# what the package holds is built (no benchmarks), compiled as for `make player` but without
# debug information; CPack installs what is already built (its install does not build every
# target first), strips the binaries and lets dpkg-shlibdeps find the libraries they link.
package: deps
	@echo "package: configuring $(PACKAGE_BUILD) (prefix /usr, no tests, no debug information)"
	@cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
	  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX=/usr -DZAMP_TESTS=OFF \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON $(CMAKE_ARGS) >/dev/null
	@echo "package: building $(INSTALLED) with $(JOBS) jobs"
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target $(INSTALLED)
	@echo "package: installing into the package's tree, stripping the binaries, finding the dependencies"
	@rm -f $(PACKAGE_BUILD)/zamp_*.deb
	@cd $(PACKAGE_BUILD) && cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@echo "package: wrote $$(ls $(PACKAGE_BUILD)/zamp_*.deb)"
	@echo "package: Depends: $$(dpkg-deb -f $(PACKAGE_BUILD)/zamp_*.deb Depends)"

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
	rm -rf $(BUILD) $(PACKAGE_BUILD) $(WEB_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
