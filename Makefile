# Two commands do everything on a fresh Debian 12 machine (root or sudo):
#   make run   - install what is missing, build, start the program with a virtual instrument
#   make test  - install what is missing, build, run every test (also the core under sanitizers)

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
RELEASE_DIR ?= build-release
TSAN_DIR ?= build-tsan
JOBS ?= $(shell nproc)

.PHONY: all deps build build-sanitize build-tsan build-release bench test run format format-check tidy clean fuzz

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_WERROR=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The Qt-free core, the virtual instrument and the serial port's Qt adapters
# under AddressSanitizer and UndefinedBehaviorSanitizer.
build-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DKORVA_CORE_ONLY=ON -DKORVA_SANITIZE=ON -DKORVA_WERROR=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

# The serial port's listener thread, the virtual instrument's pseudo-terminal
# server and the link between them under ThreadSanitizer, with only the
# sources their tests use (tests/threaded).
build-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DKORVA_TSAN=ON -DKORVA_WERROR=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target korva_tsan_port_tests

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
	  "tsan build" "$(MAKE) --no-print-directory build-tsan" \
	  "main tests" "ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)" \
	  "sanitizer tests" "ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)" \
	  "tsan tests" "ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS)"

format-check:
	@scripts/check-format

# clang-tidy over src/ and sim/ with the checks in .clang-tidy. It needs each
# source's compile command, so its tree is configured without unity batches,
# and the one header the build generates (the build's commit); nothing else
# is built.
TIDY_DIR ?= build-tidy
tidy: deps
	cmake -S . -B $(TIDY_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_WERROR=ON -DKORVA_UNITY=OFF
	cmake --build $(TIDY_DIR) --target korva_build_commit
	JOBS=$(JOBS) scripts/run-clang-tidy $(TIDY_DIR)

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
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(RELEASE_DIR) $(TIDY_DIR)

# The Debian package a lab installs (build/korva-tdcr_VERSION_ARCH.deb), made
# from the build tree with stripped copies of its binaries.
.PHONY: package
package: build
	cd $(BUILD_DIR) && cpack -G DEB
