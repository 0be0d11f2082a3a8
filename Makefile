# Two commands do everything on a fresh Debian 12 machine (root or sudo):
#   make run   - install what is missing, build, start the program with a virtual instrument
#   make test  - install what is missing, build, run every test (also the core under sanitizers)

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
RELEASE_DIR ?= build-release
JOBS ?= $(shell nproc)

.PHONY: all deps build build-sanitize build-release bench test run format format-check clean fuzz

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_WERROR=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The Qt-free core and the virtual instrument under AddressSanitizer and
# UndefinedBehaviorSanitizer.
build-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DKORVA_CORE_ONLY=ON -DKORVA_SANITIZE=ON -DKORVA_WERROR=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

# Benchmarks measure the optimised program.
build-release: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DKORVA_WERROR=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)

bench: build-release
	@scripts/run-benchmarks $(RELEASE_DIR)

# Each phase's wall time is printed at the end, so a slow step shows at once.
test:
	@scripts/timed-phases \
	  "install packages" "$(MAKE) --no-print-directory deps" \
	  "main build" "$(MAKE) --no-print-directory build" \
	  "sanitizer build" "$(MAKE) --no-print-directory build-sanitize" \
	  "main tests" "ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)" \
	  "sanitizer tests" "ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)"

format-check:
	@scripts/check-format

# Every libFuzzer target under Clang with the sanitizers, FUZZ_SECONDS each.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/run-fuzzers $(FUZZ_DIR)

run: build
	@scripts/run-korva $(BUILD_DIR)

format:
	find src sim tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(RELEASE_DIR)

# The Debian package a lab installs (build/korva-tdcr_VERSION_ARCH.deb), made
# from the build tree with stripped copies of its binaries.
.PHONY: package
package: build
	cd $(BUILD_DIR) && cpack -G DEB
