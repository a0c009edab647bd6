# The two commands of the README, `make run` and `make test`, and the
# reliability checks: `make test-sanitize` and `make fuzz`.
BUILD   ?= build
TYPE    ?= RelWithDebInfo
WERROR  ?= ON
JOBS    ?= $(shell nproc)
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build run test test-sanitize fuzz clean install package

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(TYPE) -DTAVELO_WERROR=$(WERROR) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# Installs into $(PREFIX) (DESTDIR, when set, is put in front of every path).
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the program, in $(BUILD)/.
package: build
	@cd $(BUILD) && cpack -G DEB

# The benchmark (bench/README.md): a Release build of its own in
# $(BENCH_BUILD), without the tests; the table goes to stdout.
BENCH_BUILD ?= build-bench
.PHONY: bench
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DTAVELO_WERROR=$(WERROR) -DTAVELO_TESTS=OFF -DTAVELO_BENCH=ON $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target tavelo-bench
	@QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} $(BENCH_BUILD)/bench/tavelo-bench

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} ctest --output-on-failure -j $(JOBS)

# Every test again, built with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer; any report fails the run.
SANITIZE_BUILD ?= build-sanitize
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON -DTAVELO_WERROR=$(WERROR) $(LAUNCHER) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@scripts/sanitize-env.sh sh -c 'cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)'

# The fuzz targets, built with clang and libFuzzer, each run for FUZZ_SECONDS.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@TAVELO_WITH_CLANG=1 scripts/install-deps.sh
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVELO_FUZZ=ON -DTAVELO_TESTS=OFF -DTAVELO_WERROR=$(WERROR) $(LAUNCHER) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target tavelo_fuzz_targets
	@scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
